#pragma once

#include <QGroupBox>
#include <array>
#include <functional>

#include "store/draw.h"
#include "store/history_row.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace arrange5 {

class HistoryTableModel;

// 历史号码 (FrameHistory): the history grid, the next issue over its prompt and the five
// fields a new draw is typed into. It shows what the window gives it and hands over a draw
// once its fifth digit is typed; storing it is the window's command.
class HistoryPanel : public QGroupBox {
  public:
    explicit HistoryPanel(QWidget* parent = nullptr);

    // Shows `rows` in the grid; a history longer than the grid shows its end.
    void showRows(const HistorySnapshot& rows);

    // The fifth digit typed (not the fields emptied after an entry) runs `typed`; any other
    // filled field moves the cursor on to the next.
    void onDrawTyped(std::function<void()> typed) { drawTyped_ = std::move(typed); }
    Digits typedDigits() const;
    // After an entry, stored or refused: the fields empty and the cursor in the first. The
    // next key typed starts a new entry.
    void clearEntry();
    // After an entry refused for its issue number: the five digits stay, with the cursor in
    // the last; Enter in a digit field enters them once the issue is put right.
    void keepEntry();

    QTableView* grid() const { return grid_; }                                // MSFlexGrid1
    QLineEdit* nextIssueField() const { return next_; }                       // Text1
    const std::array<QLineEdit*, 5>& entryDigits() const { return digits_; }  // MaskEdBox1(1..5)

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void applyScrollRule();
    void entryFieldChanged(int position);

    HistoryTableModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* prompt_ = nullptr;  // Label12
    QLineEdit* next_ = nullptr;
    std::array<QLineEdit*, 5> digits_{};
    bool scrollPending_ = false;
    bool entryDone_ = false;  // the fields were emptied by an entry, not by typing
    std::function<void()> drawTyped_;
};

}  // namespace arrange5
