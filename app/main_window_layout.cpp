#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/chance_panel.h"
#include "app/commands_panel.h"
#include "app/grid_columns.h"
#include "app/history_panel.h"
#include "app/main_window.h"
#include "app/reference_tabs.h"
#include "app/search_panel.h"
#include "app/status_line.h"
#include "app/text_table_model.h"
#include "app/wheel_filter.h"
#include "app/widget_parts.h"

namespace arrange5 {

void MainWindow::buildControls() {
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    hitsModel_ = new TextTableModel(hitsHeader(false), this);
    tallyModel_ = new TextTableModel({"序号", "结果", "出现次数", "百分比"}, this);

    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(8, 8, 8, 4);
    columns->setSpacing(10);
    columns->addWidget(buildHistorySide());
    columns->addWidget(buildSearchSide());
    columns->addWidget(buildResultSide(), 1);
    setCentralWidget(central);
    statusLine_ = new StatusLine(statusBar(), context_.dialogs);

    buildMenus();
    // 1280 x 800, or the screen's free room when it is smaller (1366 x 768 with a task bar).
    resize(QSize(1280, 800).boundedTo(screen()->availableGeometry().size()));
}

QWidget* MainWindow::buildHistorySide() {
    historyPanel_ = new HistoryPanel;
    historyGrid_ = historyPanel_->grid();
    nextIssueField_ = historyPanel_->nextIssueField();
    entryDigits_ = historyPanel_->entryDigits();
    return historyPanel_;
}

QWidget* MainWindow::buildSearchSide() {
    auto* panel = new SearchPanel;
    search_ = &panel->controls();
    referenceTabs_ = search_->referenceTabs;
    referenceTabBar_ = referenceTabs_->tabBar();
    verifyIssueField_ = referenceTabs_->verifyIssueField();
    onlyBeforeBox_ = referenceTabs_->onlyBeforeBox();
    for (int i = 0; i < 5; ++i) manualTexts_[i] = referenceTabs_->value(kManualTab, i)->text();
    return panel;
}

QWidget* MainWindow::buildResultSide() {
    auto* side = new QWidget;
    side->setObjectName("ResultSide");
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* hits = frame(QStringLiteral("检索结果"), "FrameHits");
    auto* hitsLayout = new QVBoxLayout(hits);
    hitsGrid_ = grid("MSFlexGrid2", hitsModel_);
    hitsGrid_->setToolTip(exportTip());
    hitsLayout->addWidget(hitsGrid_);
    layout->addWidget(hits, 3);

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
    tallyLayout->addWidget(tallyGrid_);
    chancePanel_ = new ChancePanel;
    tallyLayout->addWidget(chancePanel_);
    statusBar()->addPermanentWidget(chancePanel_->studyLabel());
    showStudyCount();
    tally->setFixedWidth(columnsWidth(kTallyColumns) + 46);
    lower->addWidget(tally);

    commands_ = new CommandsPanel;
    lower->addWidget(commands_, 1);
    lower->addStretch();
    layout->addLayout(lower, 2);

    wheelFilter_ = new WheelFilter(this, {historyGrid_, hitsGrid_, tallyGrid_});
    return side;
}

}  // namespace arrange5
