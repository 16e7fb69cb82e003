#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

#include "app/chance_panel.h"
#include "app/filter_dialog.h"
#include "app/grid_export.h"
#include "app/history_panel.h"
#include "app/main_window.h"
#include "app/pick_dialog.h"
#include "app/result_side.h"
#include "app/search_panel.h"
#include "app/search_side.h"
#include "app/segment_recoding.h"
#include "app/settings_menu.h"
#include "app/status_line.h"
#include "app/wheel_filter.h"

namespace arrange5 {

void MainWindow::buildControls() {
    setWindowTitle(QString::fromUtf8(kWindowTitle));

    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(8, 8, 8, 4);
    columns->setSpacing(10);
    historyPanel_ = new HistoryPanel;
    columns->addWidget(historyPanel_);
    auto* searchPanel = new SearchPanel;
    search_ = &searchPanel->controls();
    columns->addWidget(searchPanel);
    resultSide_ = new ResultSide;
    columns->addWidget(resultSide_, 1);
    setCentralWidget(central);
    statusLine_ = new StatusLine(statusBar(), context_.dialogs);
    statusBar()->addPermanentWidget(resultSide_->chancePanel()->studyLabel());
    resultSide_->showStudyCount(context_.dataFolder);

    // The search side saves every option it changes into the settings file at once.
    const SaveOption save = [this](const SettingsField& field, int value) {
        if (const auto* flag = std::get_if<bool UserSettings::*>(&field)) {
            settings_.set(*flag, value != 0);
        } else if (const auto* number = std::get_if<int UserSettings::*>(&field)) {
            settings_.set(*number, value);
        }
    };
    searchSide_ = new SearchSide(
        *search_, *settings_, save, [this](const QString& text) { reportError(text); },
        [this](bool earlier) { resultSide_->showEarlierMode(earlier); }, this);
    searchSide_->setReferenceFollower(
        [this](const ReferenceValues& now) { resultSide_->followReference(now); });
    gridExport_ = std::make_unique<GridExport>(
        services(), context_.dataFolder,
        GridExport::Grids{historyPanel_->grid(), resultSide_->hitsGrid(), resultSide_->tallyGrid()},
        [this]() -> const std::optional<TextTable>& { return resultSide_->lastComparison(); });
    segmentRecoding_ = std::make_unique<SegmentRecoding>(services());
    wheelFilter_ = new WheelFilter(
        this, {historyPanel_->grid(), resultSide_->hitsGrid(), resultSide_->tallyGrid()});

    buildMenus();
    // 1280 x 800, or the screen's free room when it is smaller (1366 x 768 with a task bar).
    resize(QSize(1280, 800).boundedTo(screen()->availableGeometry().size()));
}

// 历史管理 and 设置. Each item is connected beside its caption; like every command it first
// takes a pending edit in (main_window_wiring.cpp).
void MainWindow::buildMenus() {
    historyMenu_ = menuBar()->addMenu(QStringLiteral("历史管理"));
    historyMenu_->setObjectName("mnuLsgl");
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, asCommand(handler));
        return action;
    };
    item(historyMenu_, "mnuDcls", QStringLiteral("导出历史号码(&O)"),
         [this] { gridExport_->exportHistory(); });
    item(historyMenu_, "mnuErase", QStringLiteral("删除最后历史(&E)"), &MainWindow::deleteLastDraw);
    item(historyMenu_, "mnuClear", QStringLiteral("清空历史号码(&C)"), &MainWindow::clearHistory);
    item(historyMenu_, "mnuDlzd", QStringLiteral("删除到选定期(&D)"), &MainWindow::cutToIssue);
    item(historyMenu_, "mnuEszhzd", QStringLiteral("删除最后指定数量期历史(&N)"),
         &MainWindow::dropLastIssues);
    item(historyMenu_, "mnuCheck", QStringLiteral("检查历史号码(&K)"),
         &MainWindow::checkHistoryRows);
    item(historyMenu_, "mnuTrend", QStringLiteral("走势图(&Z)"), &MainWindow::openTrend);
    item(historyMenu_, "mnuFilter", QStringLiteral("缩水(&F)"), [this] {
        if (requireStore()) FilterDialog::open(*document_, context_.dialogs, this);
    });
    item(historyMenu_, "mnuPicks", QStringLiteral("预选记录(&J)"), [this] {
        if (requireStore()) PickDialog::open(*document_, context_.dialogs, this);
    });
    historyMenu_->addSeparator();
    QAction* quit = item(historyMenu_, "mnuExit", QStringLiteral("退出(&X)"), &MainWindow::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    settingsMenu_ = menuBar()->addMenu(QStringLiteral("设置"));
    SettingsMenu::Hooks hooks;
    hooks.segmentBaseChosen = [this](int base) {
        if (document_) document_->setSegmentBase(base);
        searchSide_->setSegmentBase(base);
        if (document_) segmentRecoding_->baseChanged(document_->store(), base);
    };
    hooks.recodeNow = [this] {
        if (requireStore()) segmentRecoding_->recodeNow(document_->store(), settings_->segmentBase);
    };
    hooks.studyReset = [this] { resultSide_->showStudyCount(context_.dataFolder); };
    settingsItems_ = new SettingsMenu(
        settingsMenu_, settings_, services(), context_.dataFolder, context_.docFolders,
        [this](std::function<void()> handler) -> std::function<void()> {
            return asCommand(std::move(handler));
        },
        std::move(hooks));
}

}  // namespace arrange5
