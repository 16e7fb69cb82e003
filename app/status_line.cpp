#include "app/status_line.h"

#include <QStatusBar>
#include <QToolButton>

#include "app/dialogs.h"

namespace arrange5 {

StatusLine::StatusLine(QStatusBar* bar, Dialogs* dialogs)
    : QObject(bar), bar_(bar), dialogs_(dialogs), detailsButton_(new QToolButton) {
    bar_->setObjectName("StatusBar");
    detailsButton_->setObjectName("StatusDetails");
    detailsButton_->setText(QStringLiteral("跳过的行…"));
    detailsButton_->setToolTip(QStringLiteral("列出读入时跳过的每一行：行号和原因"));
    detailsButton_->setAutoRaise(true);
    // No taller than the text beside it, so the status line keeps its height.
    detailsButton_->setMaximumHeight(bar_->fontMetrics().height());
    detailsButton_->hide();
    bar_->addPermanentWidget(detailsButton_);
    connect(detailsButton_, &QToolButton::clicked, this, &StatusLine::showDetails);
}

void StatusLine::show(const QString& text, const QString& details) {
    text_ = text;
    details_ = details;
    QString shown = text;
    if (!note_.isEmpty()) shown = text.isEmpty() ? note_ : note_ + QStringLiteral("；") + text;
    bar_->showMessage(shown);
    detailsButton_->setVisible(!details.isEmpty());
}

void StatusLine::append(const QString& more) {
    show(text_ + more, details_);
}

void StatusLine::setNote(const QString& note) {
    note_ = note;
    show(text_, details_);
}

void StatusLine::showDetails() {
    dialogs_->showDetails(bar_->window(), QStringLiteral("跳过的行"), bar_->currentMessage(),
                          details_);
}

}  // namespace arrange5
