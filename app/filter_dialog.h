#pragma once

#include <QDialog>
#include <filesystem>
#include <map>
#include <optional>

#include "analysis/number_filter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QStringListModel;

namespace arrange5 {

class Dialogs;
class HistoryDocument;

// 缩水(&F): the conditions of the 大底, its count and share, the list of numbers with its
// export as text and .xlsx, the walk-forward verification and the list kept as a pick. The
// decisions are the library's (parseFilter, runFilter, verifyFilterInStudy, addPick); the
// dialog only gathers the fields and shows the answers.
class FilterDialog : public QDialog {
    Q_OBJECT
  public:
    FilterDialog(HistoryDocument& document, Dialogs* dialogs, QWidget* parent = nullptr);

    // Opens the dialog over `parent` and returns when it is closed.
    static void open(HistoryDocument& document, Dialogs* dialogs, QWidget* parent);

    QLineEdit* field(const std::string& condition) const { return fields_.at(condition); }
    QComboBox* game() const { return game_; }
    QLabel* summary() const { return summary_; }
    QLabel* verdict() const { return verdict_; }
    const std::optional<FilterResult>& result() const { return result_; }

    bool apply();        // 计算: false when a condition was refused (a message says why)
    void verify();       // 验证
    void exportText();   // the list to Dadi.txt in the data folder
    void exportSheet();  // the list to Dadi.xlsx
    void keepAsPick();   // the list as one pick for the next issue

  private:
    NumberFilter readConditions() const;
    void fail(const QString& text);
    void shown(const std::filesystem::path& file);

    HistoryDocument& document_;
    Dialogs* dialogs_;
    QComboBox* game_ = nullptr;
    std::map<std::string, QLineEdit*> fields_;
    QLineEdit* targets_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* verdict_ = nullptr;
    QListView* list_ = nullptr;
    QStringListModel* numbers_ = nullptr;
    std::optional<FilterResult> result_;
};

}  // namespace arrange5
