#pragma once

#include <QTableView>
#include <QWidget>
#include <filesystem>
#include <optional>

#include "store/history_row.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace arrange5 {

class Dialogs;
class TrendModel;

// The chart's table: draws the lines joining each position's drawn digits over the cells.
class TrendView : public QTableView {
    Q_OBJECT
  public:
    using QTableView::QTableView;
    void setLinesShown(bool shown);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool lines_ = true;
};

// 走势图: the trend and omission chart of the last W draws, with what fair draws would give.
class TrendWindow : public QWidget {
    Q_OBJECT
  public:
    TrendWindow(std::filesystem::path dataFolder, Dialogs* dialogs, QWidget* parent = nullptr);

    // Shows the chart over `rows`; called again whenever the history changes.
    void setHistory(const HistorySnapshot& rows);
    TrendModel* model() const { return model_; }
    TrendView* view() const { return view_; }
    // The chance sentence under the chart.
    QString chanceText() const;

    void exportTable();
    void savePicture();

  private:
    std::optional<int> chosenWindow() const;
    void rebuild();

    std::filesystem::path dataFolder_;
    Dialogs* dialogs_;
    HistorySnapshot rows_;
    TrendModel* model_ = nullptr;
    TrendView* view_ = nullptr;
    QComboBox* windowBox_ = nullptr;
    QCheckBox* omissionBox_ = nullptr;
    QCheckBox* linesBox_ = nullptr;
    QLabel* chance_ = nullptr;
};

// The main window's refresh hook: every open trend window follows the new history.
void followTrendWindows(QWidget* mainWindow, const HistorySnapshot& rows);

}  // namespace arrange5
