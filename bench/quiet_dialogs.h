#pragma once

#include <QString>
#include <QStringList>

#include "app/dialogs.h"

namespace arrange5::bench {

// The window's questions answered without a modal loop: every confirmation is refused, every
// choice takes the Escape answer and every message is kept, so a measurement can fail when
// the window reported a problem.
class QuietDialogs : public Dialogs {
  public:
    QStringList messages;

    bool confirm(QWidget*, const QString&, const QString&) override { return false; }
    int choose(QWidget*, const QString&, const QString&, const QStringList&, int,
               int escapeButton) override {
        return escapeButton;
    }
    void inform(QWidget*, const QString& title, const QString& text) override {
        messages << title + ": " + text;
    }
    std::optional<QString> input(QWidget*, const QString&, const QString&,
                                 const QString&) override {
        return std::nullopt;
    }
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    bool openUrl(const QUrl&) override { return false; }
};

}  // namespace arrange5::bench
