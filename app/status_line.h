#pragma once

#include <QObject>
#include <QString>

class QStatusBar;
class QToolButton;

namespace arrange5 {

class Dialogs;

// The window's status line: what the last command did, with the lines it skipped one click
// away (StatusDetails) while there are any, and a note of what the window found out before
// the command ran (another program's change) kept in front of the command's own words.
class StatusLine : public QObject {
  public:
    StatusLine(QStatusBar* bar, Dialogs* dialogs);

    void show(const QString& text, const QString& details = {});
    // More words on the same command, after what it already said.
    void append(const QString& more);
    void setNote(const QString& note);
    // The command has ended: its note goes with it.
    void clearNote() { note_.clear(); }

  private:
    void showDetails();

    QStatusBar* bar_;
    Dialogs* dialogs_;
    QToolButton* detailsButton_;
    QString text_;
    QString details_;
    QString note_;
};

}  // namespace arrange5
