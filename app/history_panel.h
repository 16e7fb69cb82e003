#pragma once

#include <QGroupBox>
#include <array>

#include "store/history_row.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace arrange5 {

class HistoryTableModel;

// 历史号码 (FrameHistory): the history grid, the next issue over its prompt and the five
// fields a new draw is typed into. It shows what the window gives it and decides nothing.
class HistoryPanel : public QGroupBox {
  public:
    explicit HistoryPanel(QWidget* parent = nullptr);

    // Shows `rows` in the grid; a history longer than the grid shows its end.
    void showRows(const HistorySnapshot& rows);

    QTableView* grid() const { return grid_; }                                // MSFlexGrid1
    QLineEdit* nextIssueField() const { return next_; }                       // Text1
    const std::array<QLineEdit*, 5>& entryDigits() const { return digits_; }  // MaskEdBox1(1..5)

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void applyScrollRule();

    HistoryTableModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* prompt_ = nullptr;  // Label12
    QLineEdit* next_ = nullptr;
    std::array<QLineEdit*, 5> digits_{};
    bool scrollPending_ = false;
};

}  // namespace arrange5
