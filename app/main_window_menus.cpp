// The two menus of the window, 历史管理 and 设置.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/main_window.h"
#include "store/program_info.h"

namespace arrange5 {

namespace {

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

}  // namespace

// Each item is connected beside its caption; like every command it first takes a pending
// edit in (main_window_wiring.cpp).
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
         &MainWindow::exportHistoryToSpreadsheet);
    item(historyMenu_, "mnuErase", QStringLiteral("删除最后历史(&E)"), &MainWindow::deleteLastDraw);
    item(historyMenu_, "mnuClear", QStringLiteral("清空历史号码(&C)"), &MainWindow::clearHistory);
    item(historyMenu_, "mnuDlzd", QStringLiteral("删除到选定期(&D)"), &MainWindow::cutToIssue);
    item(historyMenu_, "mnuEszhzd", QStringLiteral("删除最后指定数量期历史(&E)"),
         &MainWindow::dropLastIssues);
    item(historyMenu_, "mnuCheck", QStringLiteral("检查历史号码(&K)"),
         &MainWindow::checkHistoryRows);
    item(historyMenu_, "mnuTrend", QStringLiteral("走势图(&Z)"), &MainWindow::openTrend);
    historyMenu_->addSeparator();
    QAction* quit = item(historyMenu_, "mnuExit", QStringLiteral("退出(&X)"), &MainWindow::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    settingsMenu_ = menuBar()->addMenu(QStringLiteral("设置"));
    settingsMenu_->setObjectName("mnuSetup");
    QMenu* segments = settingsMenu_->addMenu(QStringLiteral("段数参数设置(&A)"));
    segments->setObjectName("mnuDssetup");
    segments->menuAction()->setObjectName("mnuDssetup");
    // Check marks, not radio dots: chooseSegmentBase() keeps exactly one item checked.
    const QStringList captions = {"段数参数0~4(&0)", "段数参数1~5(&1)"};
    for (int base = 0; base < 2; ++base) {
        segmentBaseItems_[base] = segments->addAction(captions[base]);
        segmentBaseItems_[base]->setObjectName(indexed("mnuDscs", base));
        segmentBaseItems_[base]->setCheckable(true);
        connect(segmentBaseItems_[base], &QAction::triggered, this,
                asCommand([this, base] { chooseSegmentBase(base); }));
    }
    item(segments, "mnuRecode", QStringLiteral("按当前分段方式重算(&R)"),
         &MainWindow::recodeSegmentsNow);
    settingsMenu_->addSeparator()->setObjectName("mk10");
    item(settingsMenu_, "mnuSetDay", QStringLiteral("历史号码更新检索年(&Y)"),
         &MainWindow::setYearsToKeep);
    QMenu* sources = settingsMenu_->addMenu(QStringLiteral("开奖结果来源(&S)"));
    sources->menuAction()->setObjectName("mnuSource");
    const QStringList sourceCaptions = {"体彩官方数据(&G)", "开奖结果网页(&W)"};
    for (int i = 0; i < 2; ++i) {
        const UpdateSource source = i == 0 ? UpdateSource::Official : UpdateSource::Pages;
        updateSourceItems_[i] = sources->addAction(sourceCaptions[i]);
        updateSourceItems_[i]->setObjectName(indexed("mnuSource", i));
        updateSourceItems_[i]->setCheckable(true);
        connect(updateSourceItems_[i], &QAction::triggered, this,
                asCommand([this, source] { chooseUpdateSource(source); }));
    }
    item(settingsMenu_, "mnuUpdateHost", QStringLiteral("开奖结果网址设置(&U)"),
         &MainWindow::setUpdateHost);
    item(settingsMenu_, "mnuNewStudy", QStringLiteral("开始新的研究(&N)"),
         &MainWindow::startNewStudy);
    item(settingsMenu_, "mnuFrontPage", QStringLiteral("软件介绍服务主页(&P)"),
         [this] { openDocument("index.html"); });
    item(settingsMenu_, "mnuDescrb", QStringLiteral("软件介绍说明页面(&R)"),
         [this] { openDocument("manual.html"); });
    item(settingsMenu_, "numYanshiDown", QStringLiteral("软件演示说明录像下载(&D)"),
         [this] { openDocument("demo.gif"); });
    // The documents describe this version of the program.
    QAction* version = settingsMenu_->addAction(QStringLiteral("版本 %1").arg(kProgramVersion));
    version->setObjectName("mnuVersion");
    version->setEnabled(false);
}

}  // namespace arrange5
