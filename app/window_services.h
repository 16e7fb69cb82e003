#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace arrange5 {

class Dialogs;

// What the window lends its parts: the parent of their dialogs, the dialogs interface, and
// its one way of running a command and of saying what happened.
struct WindowServices {
    QWidget* window = nullptr;
    Dialogs* dialogs = nullptr;
    // Runs `command` and returns true, or shows what failed and returns false.
    std::function<bool(const std::function<void()>& command)> guarded;
    std::function<void(const QString& text)> reportError;  // a message box
    std::function<void(const QString& text)> showStatus;   // the status line
};

}  // namespace arrange5
