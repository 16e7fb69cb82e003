#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "store/history_row.h"

class QWidget;

namespace arrange5 {

// Looks for another program's change to the history while the window is idle, so that what
// the window shows is what the next command acts on: a timer asks `look` (a comparison of
// the store's change stamp, which reads the history only when it moved), and so does the
// moment the user enters a watched field, before the first key reaches it. No look is made
// while a modal dialog is open: its command is running and looks for itself.
class ChangeWatch : public QObject {
    Q_OBJECT
  public:
    ChangeWatch(QObject* parent, std::function<void()> look,
                std::chrono::milliseconds interval = std::chrono::seconds(1));

    // Entering `field` (the entry boxes, the next issue) looks first.
    void watchFocus(QWidget* field);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void lookNow();

    std::function<void()> look_;
    QTimer timer_;
};

// The message the window shows for a history with an unsound row (a digit outside 0..9,
// codes that disagree), once per problem: none when the rows are sound or `lastShown` already
// holds this problem, which it is set to.
std::optional<QString> unsoundHistoryNotice(const HistorySnapshot& rows, std::string& lastShown);

}  // namespace arrange5
