#include "app/result_side.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/chance_table.h"
#include "analysis/memory_search.h"
#include "app/chance_panel.h"
#include "app/commands_panel.h"
#include "app/grid_columns.h"
#include "app/text_table_model.h"
#include "app/widget_parts.h"
#include "store/errors.h"

namespace arrange5 {

ResultSide::ResultSide(QWidget* parent) : QWidget(parent) {
    setObjectName("ResultSide");
    hitsModel_ = new TextTableModel(hitsHeader(false), this);
    tallyModel_ = new TextTableModel({"序号", "结果", "出现次数", "百分比"}, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* hits = frame(QStringLiteral("检索结果"), "FrameHits");
    auto* hitsLayout = new QVBoxLayout(hits);
    staleNote_ = new QLabel(QStringLiteral("历史已变，请重新检索"));
    staleNote_->setObjectName("StaleNote");
    staleNote_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    staleNote_->hide();
    hitsLayout->addWidget(staleNote_);
    hitsGrid_ = grid("MSFlexGrid2", hitsModel_);
    hitsGrid_->setToolTip(exportTip());
    hitsLayout->addWidget(hitsGrid_);
    // The hits take what the tally, the commands and the verdict leave: those keep their
    // size whatever a search says, so nothing moves when a result comes.
    layout->addWidget(hits, 1);

    auto* lower = new QHBoxLayout;
    auto* tally = frame(QStringLiteral("结果统计"), "FrameTally");
    auto* tallyLayout = new QVBoxLayout(tally);
    tallyGrid_ = grid("MSFlexGrid3", tallyModel_);
    // The tally's columns keep their traditional widths; a slightly smaller face lets
    // "11.643%" fit into the 百分比 column.
    QFont compact = tallyGrid_->font();
    compact.setPointSizeF(compact.pointSizeF() - 1);
    tallyGrid_->setFont(compact);
    tallyGrid_->setTextElideMode(Qt::ElideNone);
    // Every row of a number tally (ten) shows without scrolling.
    constexpr int kTallyRowsShown = 10;
    tallyGrid_->setFixedHeight(tallyGrid_->horizontalHeader()->sizeHint().height() +
                               kTallyRowsShown *
                                   tallyGrid_->verticalHeader()->defaultSectionSize() +
                               2 * tallyGrid_->frameWidth());
    tallyLayout->addWidget(tallyGrid_);
    tally->setFixedWidth(columnsWidth(kTallyColumns) + 46);
    lower->addWidget(tally, 0, Qt::AlignTop);

    commands_ = new CommandsPanel;
    lower->addWidget(commands_, 1);
    lower->addStretch();
    layout->addLayout(lower, 0);
    // The verdicts under both frames, where a line holds a clause rather than a word or two.
    chancePanel_ = new ChancePanel;
    layout->addWidget(chancePanel_, 0);

    setColumnWidths(tallyGrid_, kTallyColumns);
    setColumnWidths(hitsGrid_, kHitsColumns);
}

void ResultSide::showEarlierMode(bool earlier) {
    if (hitsModel_->rowCount() == 0) hitsModel_->setHeader(hitsHeader(earlier));
}

void ResultSide::markStale() {
    if (!shownReference_ || stale_) return;
    stale_ = true;
    staleNote_->show();
    // Grey, as a disabled view is, but still scrollable and exportable.
    const QString grey = QStringLiteral("QTableView { color: #9a9a9a; }");
    hitsGrid_->setStyleSheet(grey);
    tallyGrid_->setStyleSheet(grey);
    chancePanel_->verdictLabel()->setEnabled(false);
}

void ResultSide::followReference(const ReferenceValues& now) {
    if (shownReference_ && now != *shownReference_) markStale();
}

void ResultSide::show(const AssessedSearch& assessed) {
    shownReference_ = assessed.request.reference;
    stale_ = false;
    staleNote_->hide();
    hitsGrid_->setStyleSheet({});
    tallyGrid_->setStyleSheet({});
    chancePanel_->verdictLabel()->setEnabled(true);
    const SearchResult& result = assessed.result;
    hitsModel_->setHeader(hitsHeader(result.earlierMode));
    std::vector<QStringList> hits;
    hits.reserve(result.hits.size());
    for (const Hit& hit : result.hits) {
        QStringList row{QString::number(hit.issue)};
        for (const int16_t v : hit.values) row << QString::number(v);
        QString matched = QString::fromStdString(hit.matched);
        // A combination hit names the positions it matched on, e.g. "15766 第1,3位".
        if (assessed.shape.combination) {
            QStringList met;
            for (const auto& positions :
                 metCombinations(assessed.request, assessed.shape, hit.matched)) {
                met << QString::fromStdString(positions);
            }
            if (!met.isEmpty())
                matched +=
                    QStringLiteral(" 第") + met.join(QStringLiteral("|")) + QStringLiteral("位");
        }
        row << matched;
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
    lastComparison_ = comparisonSheet(assessed);
    chancePanel_->showTally(assessed);
    // A new result opens at its first rows, wherever the last one was scrolled to.
    hitsGrid_->scrollToTop();
    tallyGrid_->scrollToTop();
}

void ResultSide::showStudyCount(const std::filesystem::path& dataFolder) {
    try {
        chancePanel_->showStudyCount(StudyLog(dataFolder).count());
    } catch (const Error&) {
        chancePanel_->showStudyCount(std::nullopt);
    }
}

QString ResultSide::markOutcomesOf(const HistoryRow& verified, const SearchResult& result,
                                   const TallySettings& tally) {
    const std::vector<int> came = outcomesOf(verified, tally);
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
    return QStringLiteral("；第 %1 期开出 %2")
               .arg(verified.issue)
               .arg(QString::fromStdString(digitString(verified.digits()))) +
           (ranks.isEmpty() ? QString() : QStringLiteral("，") + ranks.join(QStringLiteral("，")));
}

}  // namespace arrange5
