#pragma once

#include <QDialog>
#include <atomic>
#include <filesystem>
#include <memory>

#include "analysis/search_form.h"

class QChartView;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;
class QThread;

namespace arrange5 {

class Dialogs;
class BacktestTableModel;

// What the main window hands the verification: its current settings, in effect and as the
// one line of text the dialog shows, and a copy of the history to run on.
struct BacktestDialogInput {
    HistorySnapshot rows;
    // The options, the ticked positions of the single search and k of the combination
    // search; `form.combination` chooses the search the dialog starts on.
    SearchForm form;
    QString settingsText;
    std::filesystem::path dataFolder;  // where Yanzheng.xlsx is written
    Dialogs* dialogs = nullptr;
};

// 滚动验证: runs the walk-forward verification of the given settings over a range of target
// issues in a worker thread, with a progress bar and 取消, and shows every target, the
// summary and the cumulative hit rate against chance.
class BacktestDialog : public QDialog {
    Q_OBJECT
  public:
    explicit BacktestDialog(BacktestDialogInput input, QWidget* parent = nullptr);
    ~BacktestDialog() override;

    void start();   // 开始
    void cancel();  // 取消
    bool running() const { return worker_ != nullptr; }

    const BacktestResult& result() const { return result_; }
    QTableView* table() const { return table_; }
    QString summaryText() const;

  signals:
    void finished();

  private:
    void progressed(int done, int total);
    void showResult(BacktestResult result);
    void keepOutcomeInStudy();
    void fillChart();
    void exportTable();
    void reportError(const QString& text);

    BacktestDialogInput input_;
    BacktestResult result_;
    PlannedBacktest plan_;  // the run as the form checked and counted it
    std::atomic<bool> cancelled_{false};
    QThread* worker_ = nullptr;

    QRadioButton* single_ = nullptr;
    QRadioButton* combined_ = nullptr;
    QLineEdit* firstTarget_ = nullptr;
    QLineEdit* lastTarget_ = nullptr;
    QSpinBox* top_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTableView* table_ = nullptr;
    BacktestTableModel* model_ = nullptr;
    QLabel* summary_ = nullptr;
    QChartView* chart_ = nullptr;
};

}  // namespace arrange5
