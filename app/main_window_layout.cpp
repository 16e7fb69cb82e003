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
#include "app/grid_columns.h"
#include "app/history_panel.h"
#include "app/main_window.h"
#include "app/reference_tabs.h"
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

QWidget* MainWindow::buildReferenceTabs() {
    referenceTabs_ = new ReferenceTabs;
    referenceTabBar_ = referenceTabs_->tabBar();
    verifyIssueField_ = referenceTabs_->verifyIssueField();
    onlyBeforeBox_ = referenceTabs_->onlyBeforeBox();
    for (int i = 0; i < 5; ++i) manualTexts_[i] = referenceTabs_->value(kManualTab, i)->text();
    return referenceTabs_;
}

QWidget* MainWindow::buildSearchSide() {
    auto* side = new QWidget;
    side->setObjectName("SearchSide");
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* range = frame(QStringLiteral("检索起止期数"), "FrameRange");
    auto* rangeRow = new QHBoxLayout(range);
    rangeRow->addWidget(new QLabel(QStringLiteral("起")));
    for (QLineEdit*& bound : {std::ref(rangeFrom_), std::ref(rangeTo_)}) {
        bound = new QLineEdit(QStringLiteral("2013001"));
        bound->setFixedWidth(80);
        bound->setAlignment(Qt::AlignCenter);
    }
    rangeFrom_->setObjectName("Text3(0)");
    rangeTo_->setObjectName("Text3(1)");
    rangeRow->addWidget(rangeFrom_);
    rangeRow->addWidget(new QLabel(QStringLiteral("～")));
    rangeRow->addWidget(new QLabel(QStringLiteral("止")));
    rangeRow->addWidget(rangeTo_);
    rangeRow->addStretch();
    layout->addWidget(range);

    auto* modes = new QHBoxLayout;
    auto* position = frame(QStringLiteral("检索位选择"), "FramePositionMode");
    auto* positionRow = new QHBoxLayout(position);
    positionModeButtons_[true] = radio("Option1", 1, QStringLiteral("自由位"));
    positionModeButtons_[false] = radio("Option1", 0, QStringLiteral("固定位"));
    positionRow->addWidget(positionModeButtons_[true]);
    positionRow->addWidget(positionModeButtons_[false]);
    modes->addWidget(position);

    auto* issue = frame(QStringLiteral("检索期选择"), "FrameReferenceIssue");
    auto* issueRow = new QHBoxLayout(issue);
    referenceIssueButtons_[true] = radio("Option1", 3, QStringLiteral("上期"));
    referenceIssueButtons_[false] = radio("Option1", 2, QStringLiteral("前    期"));
    lagField_ = digitField(QStringLiteral("MaskEdBox2"));
    issueRow->addWidget(referenceIssueButtons_[true]);
    issueRow->addWidget(referenceIssueButtons_[false]);
    issueRow->addWidget(lagField_);
    modes->addWidget(issue);
    layout->addLayout(modes);

    auto* kind = frame(QStringLiteral("搜索类型选择"), "FrameSearchKind");
    auto* kindRow = new QHBoxLayout(kind);
    const QStringList kinds = {"号码", "大小", "单双", "段数"};
    for (int i = 0; i < 4; ++i) {
        searchKindButtons_[i] = radio("Option3", i, kinds[i]);
        kindRow->addWidget(searchKindButtons_[i]);
    }
    layout->addWidget(kind);

    layout->addWidget(buildReferenceTabs());

    auto* result = frame(QStringLiteral("结果类型选择"), "FrameResultKind");
    auto* resultRow = new QHBoxLayout(result);
    for (int i = 0; i < 4; ++i) {
        resultKindButtons_[i] = radio("Option4", i, kinds[i]);
        resultRow->addWidget(resultKindButtons_[i]);
    }
    layout->addWidget(result);

    auto* tallied = frame(QStringLiteral("结果统计选择"), "FrameResultPosition");
    auto* talliedRow = new QHBoxLayout(tallied);
    for (int i = 0; i < 5; ++i) {
        resultPositionButtons_[i] = radio("Option5", i + 1, QStringLiteral("第%1位").arg(i + 1));
        talliedRow->addWidget(resultPositionButtons_[i]);
    }
    layout->addWidget(tallied);

    auto* lower = new QHBoxLayout;
    auto* selection = frame(QStringLiteral("号码组选择"), "FrameSelection");
    auto* selectionRow = new QHBoxLayout(selection);
    selectionButtons_[false] = radio("Option2", 4, QStringLiteral("直选"));
    selectionButtons_[true] = radio("Option2", 5, QStringLiteral("组选"));
    selectionRow->addWidget(selectionButtons_[false]);
    selectionRow->addWidget(selectionButtons_[true]);
    lower->addWidget(selection);

    searchButton_ = new QPushButton(QStringLiteral("检索(&S)"));
    searchButton_->setObjectName("Command1");
    searchButton_->setMinimumHeight(44);
    QFont strong = searchButton_->font();
    strong.setBold(true);
    searchButton_->setFont(strong);
    lower->addWidget(searchButton_, 1);
    layout->addLayout(lower);

    auto* combination = frame(QStringLiteral("组合组位检索"), "Frame5");
    auto* combinationRow = new QHBoxLayout(combination);
    combinationRow->addWidget(new QLabel(QStringLiteral("组合位数")));
    combinedBox_ = new QComboBox;
    combinedBox_->setObjectName("Combo1");
    combinedBox_->setEditable(true);
    combinedBox_->addItems({"1", "2", "3", "4", "5", "6"});
    combinedBox_->setFixedWidth(56);
    combinationRow->addWidget(combinedBox_);
    colourButtons_[false] = radio("Option6", 0, QStringLiteral("红蓝"));
    colourButtons_[true] = radio("Option6", 1, QStringLiteral("红球"));
    combinationRow->addWidget(colourButtons_[false]);
    combinationRow->addWidget(colourButtons_[true]);
    combinationButton_ = new QPushButton(QStringLiteral("组合检索(&G)"));
    combinationButton_->setObjectName("Command2");
    combinationRow->addWidget(combinationButton_);
    layout->addWidget(combination);
    layout->addStretch();
    // The one-row frames keep little room above and below their row, so that the column fits
    // a 768-pixel screen with its task bar.
    for (QGroupBox* box : side->findChildren<QGroupBox*>()) {
        if (auto* row = qobject_cast<QHBoxLayout*>(box->layout()))
            row->setContentsMargins(9, 3, 9, 3);
    }

    side->setFixedWidth(400);
    return side;
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

    auto* commands = frame(QStringLiteral("操作"), "FrameCommands");
    auto* buttons = new QVBoxLayout(commands);
    auto button = [&](QPushButton*& target, const char* name, const QString& caption) {
        target = new QPushButton(caption);
        target->setObjectName(name);
        target->setMinimumHeight(32);
        buttons->addWidget(target);
    };
    button(importButton_, "cmdRdLst", QStringLiteral("读取历史号文本(&W)"));
    importButton_->setToolTip(
        QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    button(updateButton_, "Command21", QStringLiteral("历史号在线更新(&O)"));
    updateButton_->setToolTip(QStringLiteral("从官方服务器更新历史号码"));
    button(exportTextButton_, "Command4", QStringLiteral("历史号码导出文本文件(&O)"));
    button(deleteLastButton_, "Command3", QStringLiteral("删除最后历史(&D)"));
    button(settingsButton_, "Command9", QStringLiteral("软件设置(&T)"));
    button(backtestButton_, "CommandBacktest", QStringLiteral("滚动验证(&V)"));
    button(trendButton_, "CommandTrend", QStringLiteral("走势图(&Z)"));
    buttons->addStretch();
    // On a wide screen the grids take the room; the buttons keep their size.
    commands->setMaximumWidth(300);
    lower->addWidget(commands, 1);
    lower->addStretch();
    layout->addLayout(lower, 2);

    wheelFilter_ = new WheelFilter(this, {historyGrid_, hitsGrid_, tallyGrid_});
    return side;
}

}  // namespace arrange5
