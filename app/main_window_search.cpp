#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <algorithm>

#include "acquire/maintenance.h"
#include "analysis/memory_search.h"
#include "analysis/reference.h"
#include "analysis/rest_comparison.h"
#include "analysis/search_request.h"
#include "analysis/search_rules.h"
#include "analysis/study_log.h"
#include "app/busy_cursor.h"
#include "app/chance_panel.h"
#include "app/grid_columns.h"
#include "app/main_window.h"
#include "app/reference_tabs.h"
#include "app/search_panel.h"
#include "app/status_line.h"
#include "app/text_table_model.h"
#include "store/errors.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

std::optional<int16_t> shortValue(const QString& text) {
    bool ok = false;
    const short value = text.trimmed().toShort(&ok);
    return ok ? std::optional<int16_t>(value) : std::nullopt;
}

}  // namespace

// The options as the 设置 and option buttons left them (stored in the settings table).
SearchSettings MainWindow::searchSettings() const {
    return {static_cast<CodeKind>(settings_->searchKind), settings_->freePositions,
            settings_->previousIssue, settings_->lagN};
}

TallySettings MainWindow::tallySettings() const {
    return {static_cast<CodeKind>(settings_->resultKind), settings_->resultPosition,
            settings_->groupSelection, settings_->segmentBase};
}

int MainWindow::selectedTab() const {
    return referenceTabs_->current();
}

void MainWindow::refreshReferenceValues() {
    const int tab = selectedTab();
    if (tab == kVerifyTab) {
        ysjs(false);
        return;
    }
    if (tab == kManualTab) {
        manualReference_ = true;
        for (int i = 0; i < 5; ++i) {
            if (const auto v = shortValue(referenceTabs_->value(kManualTab, i)->text())) {
                reference_[i] = *v;
            }
        }
        return;
    }
    manualReference_ = false;
    if (!document_) return;
    const auto values = historyReference(document_->rows(), searchSettings());
    if (!values) return;
    reference_ = *values;
    for (int i = 0; i < 5; ++i) {
        referenceTabs_->value(kHistoryTab, i)->setText(QString::number(reference_[i]));
    }
}

void MainWindow::ysjs(bool reportBadIssue) {
    if (!document_) return;
    int32_t issue = 0;
    try {
        issue = parseIssueField(verifyIssueField_->text().toStdString(), "验证期");
    } catch (const Error& e) {
        if (reportBadIssue) reportError(QString::fromStdString(e.what()));
        return;
    }
    const bool onlyBefore = onlyBeforeBox_->isChecked();
    const auto found = verifyReference(document_->rows(), issue, onlyBefore, searchSettings());
    if (!found) {
        // A target before the first draw has no reference, so the values stay; 止 still
        // ends the range as for any target: at the target itself or at the last issue.
        if (!document_->empty() && verifyTarget(issue) < document_->rows().front().issue) {
            search_->rangeTo->setText(
                QString::number(onlyBefore ? verifyTarget(issue) : document_->rows().back().issue));
        }
        return;
    }
    manualReference_ = false;
    reference_ = found->values;
    for (int i = 0; i < 5; ++i) {
        referenceTabs_->value(kVerifyTab, i)->setText(QString::number(reference_[i]));
    }
    search_->rangeTo->setText(QString::number(found->rangeEnd));
}

void MainWindow::updateRangeStart() {
    if (!document_) return;
    if (const auto start = defaultRangeStart(document_->rows(), searchSettings())) {
        search_->rangeFrom->setText(QString::number(*start));
    }
}

// ---- options ----

// Either option of 检索位选择 or 检索期选择 saves both flags.
void MainWindow::positionModeClicked(bool free) {
    settings_.set(&WindowSettings::freePositions, free);
    settings_.set(&WindowSettings::previousIssue, settings_->previousIssue);
    refreshReferenceValues();
    updateRangeStart();
}

void MainWindow::referenceIssueClicked(bool previous) {
    settings_.set(&WindowSettings::freePositions, settings_->freePositions);
    settings_.set(&WindowSettings::previousIssue, previous);
    // An empty hits list names its last column after the mode in force; a list of hits keeps
    // the name of the mode it was found in.
    if (hitsModel_->rowCount() == 0) hitsModel_->setHeader(hitsHeader(!previous));
    refreshReferenceValues();
    updateRangeStart();
}

// The selection options save bolSq again, unchanged, as they always have.
void MainWindow::selectionClicked(bool group) {
    settings_.set(&WindowSettings::groupSelection, group);
    settings_.set(&WindowSettings::previousIssue, settings_->previousIssue);
    refreshReferenceValues();
}

void MainWindow::searchKindClicked(int kind) {
    settings_.set(&WindowSettings::searchKind, kind);
    refreshReferenceValues();
}

void MainWindow::resultKindClicked(int kind) {
    settings_.set(&WindowSettings::resultKind, kind);
}

void MainWindow::resultPositionClicked(int position) {
    settings_.set(&WindowSettings::resultPosition, position);
}

void MainWindow::combinationColourClicked(bool redOnly) {
    settings_.set(&WindowSettings::redOnly, redOnly);
}

void MainWindow::tabChanged(int tab) {
    // The verification's range end belongs to the verification: leaving it with 仅检索该期前
    // ticked gives the other tabs the whole history again, as clearing the box does.
    const bool leftVerification = shownTab_ == kVerifyTab && tab != kVerifyTab;
    shownTab_ = tab;
    if (leftVerification && onlyBeforeBox_->isChecked() && document_ && !document_->empty()) {
        search_->rangeTo->setText(QString::number(document_->rows().back().issue));
    }
    if (tab == kVerifyTab) {
        ysjs(true);
        return;
    }
    // The mode may have changed while another tab was shown: 自动历史位 shows and searches the
    // reference of the mode in force, never what its fields held before.
    if (tab == kHistoryTab) {
        refreshReferenceValues();
        return;
    }
    manualReference_ = tab == kManualTab;
    for (int i = 0; i < 5; ++i) {
        if (const auto v = shortValue(referenceTabs_->value(tab, i)->text())) reference_[i] = *v;
    }
}

void MainWindow::onlyBeforeClicked() {
    if (!document_ || document_->empty()) return;
    if (!onlyBeforeBox_->isChecked()) {
        search_->rangeTo->setText(QString::number(document_->rows().back().issue));
        return;
    }
    try {
        const int32_t issue = parseIssueField(verifyIssueField_->text().toStdString(), "验证期");
        search_->rangeTo->setText(QString::number(verifyTarget(issue)));
    } catch (const Error& e) {
        // Without an issue there is nothing to search before: the box stays clear.
        onlyBeforeBox_->setChecked(false);
        reportError(QString::fromStdString(e.what()));
    }
}

// The N of 前期 is one digit 1..9; anything else puts the previous N back.
void MainWindow::lagFieldLeft() {
    bool ok = false;
    const int n = search_->lagField->text().trimmed().toInt(&ok);
    if (!ok || n < limits::kMinEarlier || n > limits::kMaxEarlier) {
        search_->lagField->setText(lagText_);
        return;
    }
    lagText_ = QString::number(n);
    settings_.set(&WindowSettings::lagN, n);
    refreshReferenceValues();
    updateRangeStart();
}

void MainWindow::combinedFieldLeft() {
    bool ok = false;
    const int k = search_->combinedBox->currentText().trimmed().toShort(&ok);
    // A combination of k positions exists for k = 1..5 only; any other number would search
    // nothing.
    if (!ok || k < 1 || k > limits::kPositions) {
        search_->combinedBox->setEditText(combinedText_);
        return;
    }
    combinedText_ = QString::number(k);
    settings_.set(&WindowSettings::combined, k);
}

void MainWindow::manualValueLeft(int position) {
    QLineEdit* field = referenceTabs_->value(kManualTab, position - 1);
    const auto v = shortValue(field->text());
    if (!v) {
        field->setText(manualTexts_[position - 1]);
        return;
    }
    manualTexts_[position - 1] = field->text();
    reference_[position - 1] = *v;
}

// A new issue to verify takes effect at once, so the next search uses its reference.
void MainWindow::verifyIssueLeft() {
    if (selectedTab() == kVerifyTab) ysjs(false);
}

// ---- searches ----

std::array<bool, 5> MainWindow::tickedPositions() const {
    return referenceTabs_->ticked();
}

// The window searches the reference it shows, whichever tab it came from, and the range in
// 起 and 止; the library checks them and completes the request as for the command line.
std::optional<SearchRequest> MainWindow::searchRequest() {
    if (!requireStore()) return std::nullopt;
    RequestInput in;
    in.settings = searchSettings();
    in.tally = tallySettings();
    in.positions = tickedPositions();
    in.source = ReferenceSource::Typed;
    in.typed = reference_;
    std::optional<SearchRequest> request;
    guarded([&] {
        if (selectedTab() == kVerifyTab) {
            parseIssueField(verifyIssueField_->text().toStdString(), in.names.verify);
        }
        in.from = parseIssueBound(search_->rangeFrom->text().toStdString(), in.names.from);
        in.to = parseIssueBound(search_->rangeTo->text().toStdString(), in.names.to);
        request = buildSearchRequest(document_->rows(), in);
    });
    return request;
}

void MainWindow::runSearch() {
    runSearchCommand(
        [this](const SearchRequest& request) {
            return runSingleSearch(document_->store(), request);
        },
        [](const SearchRequest& request) { return SearchShape::single(request.positions); });
}

void MainWindow::runCombinationSearch() {
    runSearchCommand(
        [this](const SearchRequest& request) {
            return arrange5::runCombinationSearch(document_->store(), request, settings_->combined);
        },
        [this](const SearchRequest&) { return SearchShape::combined(settings_->combined); });
}

// Both search commands read the fields, settle the segment base, then search and show. The
// request is read again after the segment question: a recomputation changes the reference
// the window shows.
void MainWindow::runSearchCommand(const std::function<SearchResult(const SearchRequest&)>& search,
                                  const std::function<SearchShape(const SearchRequest&)>& shape) {
    auto request = searchRequest();
    if (!request) return;
    if (!segmentBaseReady(*request)) return;
    request = searchRequest();
    if (!request) return;
    guarded([&] {
        BusyCursor busy;
        const SearchResult result = search(*request);
        showSearchResult(result, searchStudySetting(document_->rows(), *request, shape(*request)));
        noteImpossibleReference(*request);
        showVerifiedOutcome(result);
    });
}

// On 验证指定期 the draw that came is shown beside the result: the status line names it and
// the tally grid marks its outcome, so the user sees at once where the ranking put it.
void MainWindow::showVerifiedOutcome(const SearchResult& result) {
    if (selectedTab() != kVerifyTab || !document_) return;
    int32_t issue = 0;
    try {
        issue = parseIssueField(verifyIssueField_->text().toStdString(), "验证期");
    } catch (const Error&) {
        return;
    }
    const auto& rows = document_->rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const HistoryRow& r) { return r.issue == issue; });
    if (row == rows.end()) return;
    const std::vector<int> came = outcomesOf(*row, tallySettings());
    std::vector<bool> marked;
    QStringList ranks;
    for (const TallyRow& tallyRow : result.tally) {
        const bool cameHere = std::find(came.begin(), came.end(), tallyRow.value) != came.end();
        marked.push_back(cameHere);
        if (cameHere) {
            ranks << QStringLiteral("%1 排第 %2 位")
                         .arg(QString::fromStdString(tallyRow.outcome))
                         .arg(tallyRow.rank);
        }
    }
    tallyModel_->setMarked(std::move(marked));
    statusLine_->append(
        QStringLiteral("；第 %1 期开出 %2")
            .arg(issue)
            .arg(QString::fromStdString(digitString(row->digits()))) +
        (ranks.isEmpty() ? QString() : QStringLiteral("，") + ranks.join(QStringLiteral("，"))));
}

// Values typed into 手动输入号 are searched as they stand, but one that its kind cannot hold
// finds nothing, and the verdict line says why.
void MainWindow::noteImpossibleReference(const SearchRequest& request) {
    if (selectedTab() != kManualTab) return;
    if (const auto why =
            impossibleReference(request.settings.kind, request.reference, settings_->segmentBase,
                                {true, true, true, true, true})) {
        chancePanel_->prependNote(QString::fromStdString(*why));
    }
}

void MainWindow::showSearchResult(const SearchResult& result, const StudySetting& setting) {
    hitsModel_->setHeader(hitsHeader(result.earlierMode));
    std::vector<QStringList> hits;
    hits.reserve(result.hits.size());
    for (const Hit& hit : result.hits) {
        QStringList row{QString::number(hit.issue)};
        for (const int16_t v : hit.values) row << QString::number(v);
        row << QString::fromStdString(hit.matched);
        hits.push_back(std::move(row));
    }
    hitsModel_->setRows(std::move(hits));
    setColumnWidths(hitsGrid_, kHitsColumns);

    std::vector<QStringList> tally;
    for (const TallyRow& row : result.tally) {
        tally.push_back({QString::number(row.rank), QString::fromStdString(row.outcome),
                         QString::number(row.count), QString::fromStdString(row.percent)});
    }
    tallyModel_->setRows(std::move(tally));
    // A search that compared nothing is not counted in the study.
    StudyPlace place;
    if (comparesWithRest(result)) place = countInStudy(setting);
    lastChance_ = testAgainstChance(result, tallySettings().resultKind, place);
    const PatternTest pattern = testAgainstRest(result, place);
    chancePanel_->showTally(result, *lastChance_, pattern);
    if (place.counted()) noteInStudy(setting.key, pattern.p, pattern.pAdjusted, pattern.verdict);
    // A new result opens at its first rows, wherever the last one was scrolled to.
    hitsGrid_->scrollToTop();
    tallyGrid_->scrollToTop();
    showStatus(QStringLiteral("检索到 %1 期").arg(result.hits.size()));
}

}  // namespace arrange5
