#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include "analysis/segment_bases.h"
#include "analysis/study_log.h"
#include "app/backtest_dialog.h"
#include "app/busy_cursor.h"
#include "app/chance_panel.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/search_panel.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

// The caption of the checked button of a group, without its accelerator mark.
template <std::size_t N>
QString checkedCaption(const std::array<QRadioButton*, N>& buttons) {
    for (const QRadioButton* b : buttons) {
        if (b && b->isChecked()) return b->text().remove('&');
    }
    return {};
}

}  // namespace

// The settings in one line, as the verification dialog shows what it runs on.
QString MainWindow::settingsText() const {
    const SearchSettings s = searchSettings();
    QStringList ticked;
    const auto positions = tickedPositions();
    for (int i = 0; i < 5; ++i) {
        if (positions[i]) ticked << QString::number(i + 1);
    }
    const QString issue =
        s.previousIssue ? QStringLiteral("上期") : QStringLiteral("前%1期").arg(s.lagN);
    return QStringLiteral("%1 %2 %3 第%4位；结果 %5 %6 %7")
        .arg(checkedCaption(search_->searchKind), checkedCaption(search_->positionMode), issue,
             ticked.join(QStringLiteral("、")), checkedCaption(search_->resultKind),
             checkedCaption(search_->resultPosition), checkedCaption(search_->selection));
}

void MainWindow::openBacktest() {
    if (!requireStore()) return;
    BacktestDialogInput input;
    input.rows = document_->rows();
    input.settings = searchSettings();
    input.tally = tallySettings();
    input.positions = tickedPositions();
    input.k = settings_->combined;
    input.settingsText = settingsText();
    input.dataFolder = context_.dataFolder;
    input.dialogs = context_.dialogs;
    // Modeless: the verification runs in its own thread while the window stays usable.
    auto* dialog = new BacktestDialog(std::move(input), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A verification counts towards the study.
    connect(dialog, &BacktestDialog::finished, this, &MainWindow::showStudyCount);
    dialog->show();
}

// ---- the study count ----

// A study that cannot be read or written judges nothing: the verdicts then say the search was
// not counted, and the message box says why.
StudyPlace MainWindow::countInStudy(const StudySetting& setting) {
    StudyPlace place;
    guarded([&] { place = StudyLog(context_.dataFolder).record(setting); });
    showStudyCount();
    return place;
}

void MainWindow::noteInStudy(const std::string& key, std::optional<double> p,
                             std::optional<double> pAdjusted, const std::string& verdict) {
    guarded([&] { StudyLog(context_.dataFolder).noteOutcome(key, p, pAdjusted, verdict); });
}

void MainWindow::showStudyCount() {
    try {
        chancePanel_->showStudyCount(StudyLog(context_.dataFolder).count());
    } catch (const Error&) {
        chancePanel_->showStudyCount(std::nullopt);
    }
}

void MainWindow::startNewStudy() {
    std::optional<std::size_t> count;
    try {
        count = StudyLog(context_.dataFolder).count();
    } catch (const Error&) {
    }
    const QString counted = count
                                ? QStringLiteral("本次研究已检索或验证 %1 种设置。").arg(*count)
                                : QStringLiteral("研究记录无法读取；开始新的研究会把它另存一旁。");
    const QString text =
        counted + QStringLiteral(
                      "开始新的研究会把这个数目归零：此后的设置从第 1 种重新排起，各按其"
                      "名次校正。\n\n只有当你换了一个新的问题、不再沿用之前检索得到的想法时，"
                      "才应开始新的研究。历史号码不受影响。");
    if (!context_.dialogs->confirm(this, QStringLiteral("开始新的研究"), text)) return;
    guarded([&] { StudyLog(context_.dataFolder).reset(); });
    showStudyCount();
}

// ---- segment bases ----

bool MainWindow::segmentBaseReady(const SearchRequest& request) {
    return segmentCodesAgree([&] { requireSegmentBase(document_->store(), request); });
}

// Codes of another base are a question for the user, not a failure: the window offers to
// recompute them. True when `check` found the codes usable (or they were recomputed).
bool MainWindow::segmentCodesAgree(const std::function<void()>& check) {
    std::optional<QString> otherBase;
    const bool checked = guarded([&] {
        try {
            check();
        } catch (const SegmentBaseError& e) {
            otherBase = QString::fromStdString(e.what());
        }
    });
    if (otherBase) return offerRecode(*otherBase);
    return checked;
}

bool MainWindow::offerRecode(const QString& reason) {
    const QString question =
        reason +
        QStringLiteral("\n\n现在按当前分段方式（段数参数 %1）重算所有历史号码的段数吗？")
            .arg(settings_->segmentBase == 0 ? QStringLiteral("0~4") : QStringLiteral("1~5"));
    if (!context_.dialogs->confirm(this, QStringLiteral("按当前分段方式重算"), question)) {
        return false;
    }
    recodeSegmentsNow();
    return true;
}

void MainWindow::recodeSegmentsNow() {
    if (!requireStore()) return;
    guarded([&] {
        BusyCursor busy;
        const int64_t rows = recodeSegments(document_->store(), settings_->segmentBase);
        showStatus(QStringLiteral("已按当前分段方式重算 %1 期的段数").arg(rows));
    });
}

void MainWindow::segmentBaseChanged() {
    if (!document_) return;
    segmentCodesAgree([&] {
        SearchSettings segments;
        segments.kind = CodeKind::Segment;
        TallySettings tally;
        tally.segmentBase = settings_->segmentBase;
        requireSegmentBase(storedSegmentBases(document_->store()), segments, tally);
    });
}

}  // namespace arrange5
