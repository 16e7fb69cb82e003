#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;

namespace arrange5 {

class Dialogs;
class HistoryDocument;
class TextTableModel;

// 预选记录(&J): picks typed in and sealed for an undrawn issue, the journal with each entry's
// status and prize, withdrawal before the draw and the check of the seals. The journal's
// rules are the library's (addPick, withdrawPick, checkPickChain, checkPicks).
class PickDialog : public QDialog {
    Q_OBJECT
  public:
    PickDialog(HistoryDocument& document, Dialogs* dialogs, QWidget* parent = nullptr);

    static void open(HistoryDocument& document, Dialogs* dialogs, QWidget* parent);

    QLineEdit* numbers() const { return numbers_; }
    QComboBox* play() const { return play_; }
    QLineEdit* issue() const { return issue_; }
    QTableView* table() const { return table_; }
    TextTableModel* model() const { return model_; }
    QLabel* verdict() const { return verdict_; }

    void add();       // 记下
    void withdraw();  // 撤回 the selected pick
    void refresh();   // the journal against the stored draws, and the chain

  private:
    void fail(const QString& text);

    HistoryDocument& document_;
    Dialogs* dialogs_;
    QLineEdit* numbers_ = nullptr;
    QComboBox* play_ = nullptr;
    QLineEdit* issue_ = nullptr;
    QSpinBox* multiple_ = nullptr;
    QTableView* table_ = nullptr;
    TextTableModel* model_ = nullptr;
    QLabel* verdict_ = nullptr;
};

}  // namespace arrange5
