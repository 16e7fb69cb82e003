#include <QDate>
#include <QScopeGuard>

#include "acquire/history_digest.h"
#include "acquire/online_update.h"
#include "acquire/online_update_plan.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/settings_menu.h"
#include "app/status_line.h"
#include "app/update_runner.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

const QString kUpdateQuestion = QStringLiteral(
    "确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者我方服务器更新不及时可能"
    "都造成更新失败！");

enum PurgeAnswer { KeepAll, Purge, Cancel };

}  // namespace

void MainWindow::onlineUpdate() {
    if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), kUpdateQuestion)) return;
    if (!requireStore()) return;
    UpdateChoices choices;
    choices.source = updateSourceFromKey(settings_->updateSource).value_or(UpdateSource::Official);
    choices.address = settings_->officialUrl;
    // Only the results pages need a host typed in; the operator's data has its address.
    if (choices.source == UpdateSource::Pages) {
        if (settings_->updateHost.empty()) settingsItems_->askUpdateHost();
        if (settings_->updateHost.empty()) return;
        choices.address = settings_->updateHost;
    }
    choices.yearsToKeep = settings_->yearsToKeep;
    choices.today = QDate::currentDate().toString("yyyy-MM-dd").toStdString();
    choices.segmentBase = settings_->segmentBase;
    // The update may also purge the oldest years, so the range is set to the kept history as
    // a whole rather than following it: a typed bound could lie in a purged year.
    rangeRule_ = RangeRule::Defaults;
    const auto restoreRule = qScopeGuard([this] { rangeRule_ = RangeRule::FollowUnlessTyped; });
    guarded([&] {
        UpdateOptions options = updateOptionsFor(choices);
        // Deleting history is the user's choice, made knowing what goes; keeping it is the
        // default and the Escape answer.
        if (const auto purge = proposePurge(document_->rows(), options)) {
            const int answer = context_.dialogs->choose(
                this, QStringLiteral("删除早期历史"), QString::fromStdString(purge->question()),
                {QStringLiteral("保留全部并更新"), QStringLiteral("删除并更新"),
                 QStringLiteral("取消")},
                KeepAll, KeepAll);
            if (answer == Cancel) return;
            options.purgeAllowed = answer == Purge;
        }
        const PageFetcher fetch =
            context_.fetcher ? context_.fetcher : makeUpdateFetcher(options.source);
        UpdateReport report;
        {
            // The worker thread's writes reach the window as one change once it has finished.
            const auto deferral = document_->deferNotifications();
            report = runUpdateWithProgress(this, [&](const UpdateStatusProgress& progress) {
                return runOnlineUpdate(document_->store(), options, sp_, fetch, progress);
            });
        }
        statusLine_->show(
            QString::fromStdString(summaryWithDigest(report.line(), document_->rows())));
        if (!report.warning().empty()) reportError(QString::fromStdString(report.warning()));
    });
}

}  // namespace arrange5
