#pragma once

#include <QDialog>

#include "acquire/history_check.h"

namespace arrange5 {

class TextTableModel;

// 检查历史号码: the result of checkHistory as a table of years (年份, 期数, 第一期, 最后一期,
// 缺少的期号), the SHA-256 digest to compare with another user's, and a verdict line with
// every problem found. The dialog only shows; the check is the library's.
class HistoryCheckDialog : public QDialog {
    Q_OBJECT
  public:
    explicit HistoryCheckDialog(const HistoryCheck& check, QWidget* parent = nullptr);

    const TextTableModel& years() const { return *years_; }

  private:
    TextTableModel* years_;
};

}  // namespace arrange5
