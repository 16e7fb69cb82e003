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
#include "app/history_table_model.h"
#include "app/main_window.h"
#include "app/text_table_model.h"
#include "app/wheel_filter.h"
#include "store/program_info.h"

namespace arrange5 {

namespace {

const QString kExportTip = QStringLiteral("鼠标双击列表可以将列表导出到EXCEL");

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QRadioButton* radio(const char* name, int index, const QString& caption) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(indexed(name, index));
    return button;
}

QTableView* grid(const char* name, QAbstractItemModel* model) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(20);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setHighlightSections(false);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    // Tab moves on to the next control, so the keyboard can leave a long list; the arrow
    // keys move within it.
    view->setTabKeyNavigation(false);
    return view;
}

// One digit, an empty place shown as "_".
QLineEdit* digitField(const QString& name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setInputMask(QStringLiteral("0;_"));
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(34);
    return field;
}

QLineEdit* valueField(const QString& name, bool readOnly) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(40);
    field->setReadOnly(readOnly);
    return field;
}

QGroupBox* frame(const QString& caption, const char* name) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(name);
    return box;
}

}  // namespace

void MainWindow::buildControls() {
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    historyModel_ = new HistoryTableModel(this);
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
    statusBar()->setObjectName("StatusBar");
    detailsButton_ = new QToolButton;
    detailsButton_->setObjectName("StatusDetails");
    detailsButton_->setText(QStringLiteral("跳过的行…"));
    detailsButton_->setToolTip(QStringLiteral("列出读入时跳过的每一行：行号和原因"));
    detailsButton_->setAutoRaise(true);
    // No taller than the text beside it, so the status line keeps its height.
    detailsButton_->setMaximumHeight(statusBar()->fontMetrics().height());
    detailsButton_->hide();
    statusBar()->addPermanentWidget(detailsButton_);

    buildMenus();
    // 1280 x 800, or the screen's free room when it is smaller (1366 x 768 with a task bar).
    resize(QSize(1280, 800).boundedTo(screen()->availableGeometry().size()));
}

QWidget* MainWindow::buildHistorySide() {
    auto* box = frame(QStringLiteral("历史号码"), "FrameHistory");
    auto* layout = new QVBoxLayout(box);

    historyGrid_ = grid("MSFlexGrid1", historyModel_);
    historyGrid_->setToolTip(kExportTip);
    layout->addWidget(historyGrid_, 1);

    // The next issue sits over the number in the prompt, as it always has.
    entryPrompt_ = new QLabel(QStringLiteral("在下面输入 2007001    期历史号码:"));
    entryPrompt_->setObjectName("Label12");
    nextIssueField_ = new QLineEdit(QStringLiteral("2007001"), entryPrompt_);
    nextIssueField_->setObjectName("Text1");
    nextIssueField_->setFrame(false);
    nextIssueField_->setAlignment(Qt::AlignCenter);
    nextIssueField_->setAutoFillBackground(true);
    nextIssueField_->setStyleSheet(QStringLiteral(
        "QLineEdit { background: palette(window); color: #b71c1c; font-weight: bold; }"));
    const QFontMetrics metrics(entryPrompt_->font());
    QFont bold = entryPrompt_->font();
    bold.setBold(true);
    const int numberWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("2007001")) + 8;
    const int numberLeft = metrics.horizontalAdvance(QStringLiteral("在下面输入")) + 1;
    entryPrompt_->setMinimumHeight(metrics.height() + 6);
    nextIssueField_->setGeometry(numberLeft, 0, numberWidth, metrics.height() + 6);
    layout->addWidget(entryPrompt_);

    auto* digits = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        QLineEdit* field = entryDigits_[i] = digitField(indexed("MaskEdBox1", i + 1));
        field->setToolTip(QStringLiteral("在此补充输入最新历史号码"));
        QFont big = field->font();
        big.setPointSize(big.pointSize() + 4);
        field->setFont(big);
        digits->addWidget(field);
    }
    digits->addStretch();
    layout->addLayout(digits);

    const int width = columnsWidth(kHistoryColumns);
    historyGrid_->setMinimumWidth(width + 22);
    box->setFixedWidth(width + 46);
    return box;
}

QWidget* MainWindow::buildReferenceTabs() {
    auto* box = frame(QString(), "FrameReference");
    auto* layout = new QVBoxLayout(box);
    referenceTabBar_ = new QTabBar;
    referenceTabBar_->setObjectName("TabStrip1");
    referenceTabBar_->addTab(QStringLiteral("自动历史位"));
    referenceTabBar_->addTab(QStringLiteral("手动输入号"));
    referenceTabBar_->addTab(QStringLiteral("验证指定期"));
    referenceTabBar_->setExpanding(true);
    layout->addWidget(referenceTabBar_);

    referenceFrames_ = new QStackedLayout;
    // Check1 and Text2 are shared by tabs 1 and 3, the verification tab's counted from 11.
    const std::array<const char*, 3> checkNames = {"Check1", "Check11", "Check1"};
    const std::array<const char*, 3> valueNames = {"Text2", "Text22", "Text2"};
    for (int tab = 0; tab < 3; ++tab) {
        ReferenceTab& controls = referenceTabs_[tab];
        controls.frame = frame(QString(), "");
        controls.frame->setObjectName(indexed("Frame2", tab));
        auto* rows = new QGridLayout(controls.frame);
        const int firstIndex = tab == kVerifyTab ? 11 : 1;
        for (int i = 0; i < 5; ++i) {
            QCheckBox* check = controls.ticks[i] =
                new QCheckBox(QStringLiteral("第%1位").arg(i + 1));
            check->setObjectName(indexed(checkNames[tab], firstIndex + i));
            QLineEdit* value = controls.values[i] =
                valueField(indexed(valueNames[tab], firstIndex + i), tab != kManualTab);
            if (tab == kManualTab) {
                value->setText(QStringLiteral("0"));
                manualTexts_[i] = value->text();
            }
            rows->addWidget(check, 0, i, Qt::AlignHCenter);
            rows->addWidget(value, 1, i, Qt::AlignHCenter);
        }
        if (tab == kVerifyTab) {
            auto* verify = new QHBoxLayout;
            verify->addWidget(new QLabel(QStringLiteral("验证期")));
            verifyIssueField_ = new QLineEdit(QStringLiteral("2013001"));
            verifyIssueField_->setObjectName("Text4");
            verifyIssueField_->setFixedWidth(80);
            verify->addWidget(verifyIssueField_);
            onlyBeforeBox_ = new QCheckBox(QStringLiteral("仅检索该期前"));
            onlyBeforeBox_->setObjectName("Check4");
            verify->addWidget(onlyBeforeBox_);
            verify->addStretch();
            rows->addLayout(verify, 2, 0, 1, 5);
        }
        referenceFrames_->addWidget(controls.frame);
    }
    layout->addLayout(referenceFrames_);
    return box;
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
    hitsGrid_->setToolTip(kExportTip);
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
    buttons->addStretch();
    // On a wide screen the grids take the room; the buttons keep their size.
    commands->setMaximumWidth(300);
    lower->addWidget(commands, 1);
    lower->addStretch();
    layout->addLayout(lower, 2);

    wheelFilter_ = new WheelFilter(this, {historyGrid_, hitsGrid_, tallyGrid_});
    return side;
}

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
