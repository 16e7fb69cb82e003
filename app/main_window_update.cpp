#include <QDate>

#include "acquire/history_digest.h"
#include "acquire/online_update.h"
#include "acquire/online_update_plan.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/settings_menu.h"
#include "app/status_line.h"
#include "app/update_questions.h"
#include "app/update_runner.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

const QString kCancelled = QStringLiteral("在线更新已取消，历史号码没有改变");

}  // namespace

UpdateChoices MainWindow::updateChoices() const {
    UpdateChoices choices;
    choices.source = updateSourceFromKey(settings_->updateSource).value_or(UpdateSource::Official);
    choices.address =
        choices.source == UpdateSource::Pages ? settings_->updateHost : settings_->officialUrl;
    choices.yearsToKeep = settings_->yearsToKeep;
    choices.today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    return choices;
}

void MainWindow::onlineUpdate() {
    if (!requireStore()) return;
    // Only the results pages need an address typed in; the operator's data has its own.
    if (updateChoices().source == UpdateSource::Pages && settings_->updateHost.empty()) {
        settingsItems_->editUpdateSettings();
        if (settings_->updateHost.empty()) return;
    }
    const UpdateChoices choices = updateChoices();
    if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), updateQuestion(choices))) {
        return;
    }
    updateFrom(choices, false);
}

// 启动时检查新开奖: the same update, without the questions; early years are kept, and a start
// without new draws says nothing.
void MainWindow::updateAtStart() {
    if (!document_ || !settings_->updateOnStart) return;
    const UpdateChoices choices = updateChoices();
    if (choices.source == UpdateSource::Pages && choices.address.empty()) return;
    updateFrom(choices, true);
}

void MainWindow::updateFrom(UpdateChoices choices, bool atStart) {
    const auto run = [&](const UpdateChoices& c) {
        const UpdateOptions options = updateOptionsFor(c);
        const PageFetcher fetch =
            context_.fetcher ? context_.fetcher : makeUpdateFetcher(options.source);
        // The worker thread's writes reach the window as one change once it has finished.
        const auto deferral = document_->deferNotifications();
        return runUpdateWithProgress(
            this,
            [&](const UpdateStatusProgress& progress) {
                return runOnlineUpdate(document_->store(), options, fetch, progress);
            },
            connectingText(c));
    };
    const auto command = [&] {
        // Deleting history is the user's choice, made knowing what goes; keeping it is the
        // default, and what the user asked for once and for all.
        if (const auto purge = proposePurge(document_->rows(), updateOptionsFor(choices));
            purge && !atStart && !settings_->keepAllYears) {
            bool keepAllFromNowOn = false;
            const EarlyYearsAnswer answer =
                askAboutEarlyYears(*context_.dialogs, this, *purge, keepAllFromNowOn);
            if (answer == EarlyYearsAnswer::Cancel) {
                statusLine_->show(kCancelled);
                return;
            }
            if (keepAllFromNowOn) settings_.set(&WindowSettings::keepAllYears, true);
            choices.purgeAllowed = answer == EarlyYearsAnswer::Purge;
        }
        UpdateReport report;
        try {
            report = run(choices);
        } catch (const FetchError& e) {
            // The operator's data failed: the results pages, when set, may still answer.
            const auto other = fallbackChoices(choices, settings_->updateHost);
            if (!other || atStart) throw;
            const QString offer = QString::fromStdString(fallbackNotice(e.what(), choices, *other));
            if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), offer + "吗？")) {
                throw;
            }
            report = run(*other);
        }
        if (atStart && report.added == 0 && report.warning().empty()) return;
        statusLine_->show(
            QString::fromStdString(summaryWithDigest(report.line(), document_->rows())));
        if (!report.warning().empty()) reportError(QString::fromStdString(report.warning()));
    };
    if (!atStart) {
        guarded(command);
        return;
    }
    // A start without the network is no failure of a command the user gave: the status line
    // says it, without a box in the way of the window.
    try {
        command();
    } catch (const CancelledError&) {
        statusLine_->show(QStringLiteral("启动时的在线更新已取消，历史号码没有改变"));
    } catch (const Error& e) {
        statusLine_->show(
            QStringLiteral("启动时检查新开奖没有成功：%1").arg(QString::fromStdString(e.what())));
    }
}

}  // namespace arrange5
