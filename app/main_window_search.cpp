#include <QStatusBar>
#include <algorithm>

#include "analysis/search_form.h"
#include "app/backtest_dialog.h"
#include "app/busy_cursor.h"
#include "app/chance_panel.h"
#include "app/main_window.h"
#include "app/result_side.h"
#include "app/search_side.h"
#include "app/segment_recoding.h"
#include "app/status_line.h"
#include "store/errors.h"

namespace arrange5 {

// Both search commands read the fields (the form checks them), settle the segment base, then
// run the form and show its assessed result. The request is read again after the segment
// question: a recomputation changes the reference the window shows.
void MainWindow::runSearchCommand(bool combination) {
    if (!requireStore()) return;
    std::optional<SearchRequest> request;
    if (!guarded([&] { request = searchSide_->request(combination); })) return;
    if (!segmentRecoding_->readyFor(document_->store(), *request, settings_->segmentBase)) return;
    if (!guarded([&] { request = searchSide_->request(combination); })) return;
    guarded([&] {
        BusyCursor busy;
        StudyLog study(context_.dataFolder);
        const AssessedSearch assessed =
            searchSide_->form().run(document_->store(), *request, study);
        resultSide_->show(assessed);
        resultSide_->showStudyCount(context_.dataFolder);
        statusLine_->show(QStringLiteral("检索到 %1 期").arg(assessed.result.hits.size()));
        // On 验证指定期 the draw that came is shown beside the result: the status line names
        // it and the tally grid marks its outcome, so the user sees at once where the ranking
        // put it.
        if (const auto issue = searchSide_->verifiedIssue()) {
            const auto& rows = document_->rows();
            const auto row = std::find_if(rows.begin(), rows.end(),
                                          [&](const HistoryRow& r) { return r.issue == *issue; });
            if (row != rows.end()) {
                statusLine_->append(
                    resultSide_->markOutcomesOf(*row, assessed.result, request->tally));
            }
        }
        if (assessed.study.warning) reportError(QString::fromStdString(*assessed.study.warning));
    });
}

void MainWindow::openBacktest() {
    if (!requireStore()) return;
    BacktestDialogInput input;
    input.rows = document_->rows();
    input.form = searchSide_->verificationForm();
    input.settingsText = searchSide_->settingsText();
    input.dataFolder = context_.dataFolder;
    input.dialogs = context_.dialogs;
    // Modeless: the verification runs in its own thread while the window stays usable.
    auto* dialog = new BacktestDialog(std::move(input), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A verification counts towards the study.
    connect(dialog, &BacktestDialog::finished, this,
            [this] { resultSide_->showStudyCount(context_.dataFolder); });
    dialog->show();
}

}  // namespace arrange5
