#include "app/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "acquire/first_start.h"
#include "acquire/history_digest.h"
#include "acquire/replace_history.h"
#include "app/busy_cursor.h"
#include "app/change_watch.h"
#include "app/dialogs.h"
#include "app/grid_export.h"
#include "app/history_panel.h"
#include "app/result_side.h"
#include "app/search_side.h"
#include "app/segment_recoding.h"
#include "app/settings_menu.h"
#include "app/status_line.h"
#include "app/trend_window.h"
#include "store/data_folder.h"
#include "store/errors.h"
#include "store/next_issue.h"
#include "store/schema.h"

namespace arrange5 {

namespace fs = std::filesystem;

MainWindow::MainWindow(AppContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
    buildControls();
    connectHandlers();
    startUp();
    // Once the window shows, so the progress box has a window to sit on.
    QTimer::singleShot(0, this, &MainWindow::updateAtStart);
}

// The trend windows are children, which QWidget deletes after the members: they leave the
// document they follow while it still exists.
MainWindow::~MainWindow() {
    for (TrendWindow* window : findChildren<TrendWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
        delete window;
    }
}

// The order is the window's traditional one: every option shows its stored setting and runs
// its click behaviour, then the next issue, the range, the reference values and last the
// history grid. The wheel rule is in place from buildControls() on.
void MainWindow::startUp() {
    openStore();
    searchSide_->setDocument(document_.get());
    searchSide_->replayStoredOptions(*settings_);
    settingsItems_->showStored();
    showNextIssue();
    searchSide_->setRangeDefaults();
    searchSide_->showReference();
    showHistory();
    noticeUnsoundRows();
}

void MainWindow::noticeUnsoundRows() {
    if (!document_) return;
    if (const auto notice = unsoundHistoryNotice(document_->rows(), unsoundShown_)) {
        reportError(*notice);
    }
}

void MainWindow::openStore() {
    const fs::path folder = context_.dataFolder;
    std::error_code ec;
    const bool fresh = !fs::exists(folder / kDatabaseFileName, ec);
    try {
        document_ = std::make_unique<HistoryDocument>(folder);
        document_->setSegmentBase(settings_->segmentBase);
    } catch (const Error& e) {
        document_.reset();
        storeProblem_ = QString::fromStdString(e.what());
        reportError(QStringLiteral("历史数据库无法打开，窗口以空的历史号码启动：\n") +
                    storeProblem_);
        return;
    }
    fs::create_directories(folder / fs::path(kImportFolderName), ec);
    // startUp() shows the first start's history along with everything else.
    if (fresh) fillFirstStart();
    // Every later change of the history, ours or another program's, reaches the window here.
    document_->subscribe([this](const HistoryChange& change) { historyChanged(change); });
}

// A new database starts with the history that ships with the program; a copy goes into the
// import folder so the import dialog opens on a real file.
void MainWindow::fillFirstStart() {
    if (!context_.bundledHistory) return;
    try {
        BusyCursor busy;
        const ReplaceReport report =
            fillFromBundledHistory(document_->store(), *context_.bundledHistory);
        showReadReport(report);
    } catch (const Error& e) {
        reportError(QStringLiteral("随程序附带的历史号码未能读入：\n") +
                    QString::fromStdString(e.what()));
    }
}

// After every change of the history, in this order: the grid first; then the range, whose
// rule compares the fields with the history they were set from; then the next issue, which
// also becomes the issue to verify; last the reference values, which on tab 3 take that issue.
void MainWindow::historyChanged(const HistoryChange& change) {
    if (!change.drawsChanged()) return;
    resultSide_->markStale();
    showHistory();
    noticeUnsoundRows();
    searchSide_->followHistory(rangeGoesToDefaults(change));
    showNextIssue();
    searchSide_->showReference();
    if (!change.outside) return;
    const HistoryEnds& now = change.after;
    statusLine_->setNote(
        now.count == 0
            ? QStringLiteral("历史号码已被另一个程序改动，已重新读入：历史号码为空")
            : QStringLiteral("历史号码已被另一个程序改动，已重新读入：%1 期（%2 期至 %3 期）")
                  .arg(now.count)
                  .arg(now.firstIssue)
                  .arg(now.lastIssue));
}

void MainWindow::followOutsideChanges() {
    if (!document_) return;
    try {
        document_->followOutsideChanges();
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
}

// What the window found out before the command ran was said with it; the next one starts clean.
void MainWindow::commandEnded() {
    statusLine_->clearNote();
}

bool MainWindow::guarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const ChangeCommittedError& e) {
        changeCommitted(e);
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        // A command refused part way may have read another program's rows first.
        followOutsideChanges();
    }
    return false;
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) followOutsideChanges();
    QMainWindow::changeEvent(event);
}

void MainWindow::showHistory() {
    historyPanel_->showRows(document_ ? document_->rows() : HistorySnapshot{});
}

void MainWindow::showNextIssue() {
    if (!document_ || document_->empty()) return;
    QLineEdit* next = historyPanel_->nextIssueField();
    next->setText(QString::number(nextIssue(document_->rows().back().issue, systemYear())));
    searchSide_->setIssueToVerify(next->text());
}

// The counts and the first skipped lines fit the status line; every skipped line, with its
// number and reason, is one click away.
void MainWindow::showReadReport(const ReplaceReport& report) {
    constexpr std::size_t kLinesOnStatusLine = 3;
    QStringList lines;
    for (const SkippedLine& line : report.skippedLines) {
        lines << QString::fromStdString(describeSkippedLine(line));
    }
    const std::string summary = report.summary(kLinesOnStatusLine);
    statusLine_->show(
        QString::fromStdString(document_ ? summaryWithDigest(summary, document_->rows()) : summary),
        lines.join('\n'));
}

bool MainWindow::requireStore() {
    if (document_) return true;
    reportError(QStringLiteral("历史数据库无法使用，这个操作没有执行：\n") + storeProblem_);
    return false;
}

void MainWindow::reportError(const QString& what) {
    context_.dialogs->inform(this, QString::fromUtf8(kWindowTitle), what);
}

WindowServices MainWindow::services() {
    return {this, context_.dialogs, [this](const std::function<void()>& c) { return guarded(c); },
            [this](const QString& text) { reportError(text); },
            [this](const QString& text) { statusLine_->show(text); }};
}

}  // namespace arrange5
