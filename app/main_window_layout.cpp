#include <QAction>
#include <QActionGroup>
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
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

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
    hitsModel_ =
        new TextTableModel({"期号", "第1位", "第2位", "第3位", "第4位", "第5位", "上期开奖"}, this);
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

    buildMenus();
    resize(1280, 800);
}

QWidget* MainWindow::buildHistorySide() {
    auto* box = frame(QStringLiteral("历史号码"), "FrameHistory");
    auto* layout = new QVBoxLayout(box);

    grid1_ = grid("MSFlexGrid1", historyModel_);
    grid1_->setToolTip(kExportTip);
    layout->addWidget(grid1_, 1);

    // The next issue sits over the number in the prompt, as it always has.
    label12_ = new QLabel(QStringLiteral("在下面输入 2007001    期历史号码:"));
    label12_->setObjectName("Label12");
    text1_ = new QLineEdit(QStringLiteral("2007001"), label12_);
    text1_->setObjectName("Text1");
    text1_->setReadOnly(true);
    text1_->setFrame(false);
    text1_->setAlignment(Qt::AlignCenter);
    text1_->setFocusPolicy(Qt::NoFocus);
    text1_->setAutoFillBackground(true);
    text1_->setStyleSheet(QStringLiteral(
        "QLineEdit { background: palette(window); color: #b71c1c; font-weight: bold; }"));
    const QFontMetrics metrics(label12_->font());
    QFont bold = label12_->font();
    bold.setBold(true);
    const int numberWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("2007001")) + 8;
    const int numberLeft = metrics.horizontalAdvance(QStringLiteral("在下面输入")) + 1;
    label12_->setMinimumHeight(metrics.height() + 6);
    text1_->setGeometry(numberLeft, 0, numberWidth, metrics.height() + 6);
    layout->addWidget(label12_);

    auto* digits = new QHBoxLayout;
    for (int i = 1; i <= 5; ++i) {
        entry_[i] = digitField(indexed("MaskEdBox1", i));
        entry_[i]->setToolTip(QStringLiteral("在此补充输入最新历史号码"));
        QFont big = entry_[i]->font();
        big.setPointSize(big.pointSize() + 4);
        entry_[i]->setFont(big);
        entry_[i]->installEventFilter(this);
        digits->addWidget(entry_[i]);
    }
    digits->addStretch();
    layout->addLayout(digits);

    const int width = twipsToPixels(1200) + 5 * twipsToPixels(620);
    grid1_->setMinimumWidth(width + 22);
    box->setFixedWidth(width + 46);
    return box;
}

QWidget* MainWindow::buildReferenceTabs() {
    auto* box = frame(QString(), "FrameReference");
    auto* layout = new QVBoxLayout(box);
    tabs_ = new QTabBar;
    tabs_->setObjectName("TabStrip1");
    tabs_->addTab(QStringLiteral("自动历史位"));
    tabs_->addTab(QStringLiteral("手动输入号"));
    tabs_->addTab(QStringLiteral("验证指定期"));
    tabs_->setExpanding(true);
    layout->addWidget(tabs_);

    frames_ = new QStackedLayout;
    for (int tab = 0; tab < 3; ++tab) {
        frame2_[tab] = frame(QString(), "");
        frame2_[tab]->setObjectName(indexed("Frame2", tab));
        auto* rows = new QGridLayout(frame2_[tab]);
        for (int position = 1; position <= 5; ++position) {
            const QString caption = QStringLiteral("第%1位").arg(position);
            QCheckBox* check = nullptr;
            QLineEdit* value = nullptr;
            if (tab == 0) {
                check = check1_[position] = new QCheckBox(caption);
                check->setObjectName(indexed("Check1", position));
                value = text2_[position] = valueField(indexed("Text2", position), true);
            } else if (tab == 1) {
                check = check11_[position] = new QCheckBox(caption);
                check->setObjectName(indexed("Check11", position));
                value = text22_[position] = valueField(indexed("Text22", position), false);
                value->setText(QStringLiteral("0"));
                value->installEventFilter(this);
                manualTexts_[position] = value->text();
            } else {
                check = check1_[position + 10] = new QCheckBox(caption);
                check->setObjectName(indexed("Check1", position + 10));
                value = text2_[position + 10] = valueField(indexed("Text2", position + 10), true);
            }
            rows->addWidget(check, 0, position - 1, Qt::AlignHCenter);
            rows->addWidget(value, 1, position - 1, Qt::AlignHCenter);
        }
        if (tab == 2) {
            auto* verify = new QHBoxLayout;
            verify->addWidget(new QLabel(QStringLiteral("验证期")));
            text4_ = new QLineEdit(QStringLiteral("2013001"));
            text4_->setObjectName("Text4");
            text4_->setFixedWidth(80);
            verify->addWidget(text4_);
            check4_ = new QCheckBox(QStringLiteral("仅检索该期前"));
            check4_->setObjectName("Check4");
            verify->addWidget(check4_);
            verify->addStretch();
            rows->addLayout(verify, 2, 0, 1, 5);
        }
        frames_->addWidget(frame2_[tab]);
    }
    layout->addLayout(frames_);
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
    for (int i = 0; i < 2; ++i) {
        text3_[i] = new QLineEdit(QStringLiteral("2013001"));
        text3_[i]->setObjectName(indexed("Text3", i));
        text3_[i]->setFixedWidth(80);
        text3_[i]->setAlignment(Qt::AlignCenter);
    }
    rangeRow->addWidget(text3_[0]);
    rangeRow->addWidget(new QLabel(QStringLiteral("～")));
    rangeRow->addWidget(new QLabel(QStringLiteral("止")));
    rangeRow->addWidget(text3_[1]);
    rangeRow->addStretch();
    layout->addWidget(range);

    auto* modes = new QHBoxLayout;
    auto* position = frame(QStringLiteral("检索位选择"), "FramePositionMode");
    auto* positionRow = new QHBoxLayout(position);
    option1_[1] = radio("Option1", 1, QStringLiteral("自由位"));
    option1_[0] = radio("Option1", 0, QStringLiteral("固定位"));
    positionRow->addWidget(option1_[1]);
    positionRow->addWidget(option1_[0]);
    modes->addWidget(position);

    auto* issue = frame(QStringLiteral("检索期选择"), "FrameReferenceIssue");
    auto* issueRow = new QHBoxLayout(issue);
    option1_[3] = radio("Option1", 3, QStringLiteral("上期"));
    option1_[2] = radio("Option1", 2, QStringLiteral("前    期"));
    lagField_ = digitField(QStringLiteral("MaskEdBox2"));
    lagField_->installEventFilter(this);
    issueRow->addWidget(option1_[3]);
    issueRow->addWidget(option1_[2]);
    issueRow->addWidget(lagField_);
    modes->addWidget(issue);
    layout->addLayout(modes);

    auto* kind = frame(QStringLiteral("搜索类型选择"), "FrameSearchKind");
    auto* kindRow = new QHBoxLayout(kind);
    const QStringList kinds = {"号码", "大小", "单双", "段数"};
    for (int i = 0; i < 4; ++i) {
        option3_[i] = radio("Option3", i, kinds[i]);
        kindRow->addWidget(option3_[i]);
    }
    layout->addWidget(kind);

    layout->addWidget(buildReferenceTabs());

    auto* result = frame(QStringLiteral("结果类型选择"), "FrameResultKind");
    auto* resultRow = new QHBoxLayout(result);
    for (int i = 0; i < 4; ++i) {
        option4_[i] = radio("Option4", i, kinds[i]);
        resultRow->addWidget(option4_[i]);
    }
    layout->addWidget(result);

    auto* tallied = frame(QStringLiteral("结果统计选择"), "FrameResultPosition");
    auto* talliedRow = new QHBoxLayout(tallied);
    for (int i = 1; i <= 5; ++i) {
        option5_[i] = radio("Option5", i, QStringLiteral("第%1位").arg(i));
        talliedRow->addWidget(option5_[i]);
    }
    layout->addWidget(tallied);

    auto* lower = new QHBoxLayout;
    auto* selection = frame(QStringLiteral("号码组选择"), "FrameSelection");
    auto* selectionRow = new QHBoxLayout(selection);
    option2_[4] = radio("Option2", 4, QStringLiteral("直选"));
    option2_[5] = radio("Option2", 5, QStringLiteral("组选"));
    selectionRow->addWidget(option2_[4]);
    selectionRow->addWidget(option2_[5]);
    lower->addWidget(selection);

    command1_ = new QPushButton(QStringLiteral("检索(&S)"));
    command1_->setObjectName("Command1");
    command1_->setMinimumHeight(44);
    QFont strong = command1_->font();
    strong.setBold(true);
    command1_->setFont(strong);
    lower->addWidget(command1_, 1);
    layout->addLayout(lower);

    auto* combination = frame(QStringLiteral("组合组位检索"), "Frame5");
    auto* combinationRow = new QHBoxLayout(combination);
    combinationRow->addWidget(new QLabel(QStringLiteral("组合位数")));
    combo1_ = new QComboBox;
    combo1_->setObjectName("Combo1");
    combo1_->setEditable(true);
    combo1_->addItems({"1", "2", "3", "4", "5", "6"});
    combo1_->setFixedWidth(56);
    combo1_->installEventFilter(this);
    combinationRow->addWidget(combo1_);
    option6_[0] = radio("Option6", 0, QStringLiteral("红蓝"));
    option6_[1] = radio("Option6", 1, QStringLiteral("红球"));
    combinationRow->addWidget(option6_[0]);
    combinationRow->addWidget(option6_[1]);
    command2_ = new QPushButton(QStringLiteral("组合检索(&G)"));
    command2_->setObjectName("Command2");
    combinationRow->addWidget(command2_);
    layout->addWidget(combination);
    layout->addStretch();

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
    grid2_ = grid("MSFlexGrid2", hitsModel_);
    grid2_->setToolTip(kExportTip);
    hitsLayout->addWidget(grid2_);
    layout->addWidget(hits, 3);

    auto* lower = new QHBoxLayout;
    auto* tally = frame(QStringLiteral("结果统计"), "FrameTally");
    auto* tallyLayout = new QVBoxLayout(tally);
    grid3_ = grid("MSFlexGrid3", tallyModel_);
    // The tally's columns keep their traditional widths; a slightly smaller face lets
    // "11.643%" fit into the 百分比 column.
    QFont compact = grid3_->font();
    compact.setPointSizeF(compact.pointSizeF() - 1);
    grid3_->setFont(compact);
    grid3_->setTextElideMode(Qt::ElideNone);
    tallyLayout->addWidget(grid3_);
    tally->setFixedWidth(twipsToPixels(480 + 680 + 800 + 880) + 46);
    lower->addWidget(tally);

    auto* commands = frame(QStringLiteral("操作"), "FrameCommands");
    auto* buttons = new QVBoxLayout(commands);
    auto button = [&](QPushButton*& target, const char* name, const QString& caption) {
        target = new QPushButton(caption);
        target->setObjectName(name);
        target->setMinimumHeight(32);
        buttons->addWidget(target);
    };
    button(cmdRdLst_, "cmdRdLst", QStringLiteral("读取历史号文本(&W)"));
    cmdRdLst_->setToolTip(
        QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    button(command21_, "Command21", QStringLiteral("历史号在线更新(&O)"));
    command21_->setToolTip(QStringLiteral("从官方服务器更新历史号码"));
    button(command4_, "Command4", QStringLiteral("历史号码导出文本文件(&O)"));
    button(command3_, "Command3", QStringLiteral("删除最后历史(&D)"));
    button(command9_, "Command9", QStringLiteral("软件设置(&T)"));
    buttons->addStretch();
    lower->addWidget(commands, 1);
    layout->addLayout(lower, 2);

    wheelFilter_ = new WheelFilter(this, {grid1_, grid2_, grid3_});
    grid1_->viewport()->installEventFilter(this);
    grid2_->viewport()->installEventFilter(this);
    grid3_->viewport()->installEventFilter(this);
    return side;
}

void MainWindow::buildMenus() {
    mnuLsgl_ = menuBar()->addMenu(QStringLiteral("历史管理"));
    mnuLsgl_->setObjectName("mnuLsgl");
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    connect(item(mnuLsgl_, "mnuDcls", QStringLiteral("导出历史号码(&O)")), &QAction::triggered,
            this, &MainWindow::exportHistoryToSpreadsheet);
    connect(item(mnuLsgl_, "mnuErase", QStringLiteral("删除最后历史(&E)")), &QAction::triggered,
            this, &MainWindow::deleteLastDraw);
    connect(item(mnuLsgl_, "mnuClear", QStringLiteral("清空历史号码(&C)")), &QAction::triggered,
            this, &MainWindow::clearHistory);
    connect(item(mnuLsgl_, "mnuDlzd", QStringLiteral("删除到选定期(&D)")), &QAction::triggered,
            this, &MainWindow::cutToIssue);
    connect(item(mnuLsgl_, "mnuEszhzd", QStringLiteral("删除最后指定数量期历史(&E)")),
            &QAction::triggered, this, &MainWindow::dropLastIssues);

    mnuSetup_ = menuBar()->addMenu(QStringLiteral("设置"));
    mnuSetup_->setObjectName("mnuSetup");
    QMenu* segments = mnuSetup_->addMenu(QStringLiteral("段数参数设置(&A)"));
    segments->setObjectName("mnuDssetup");
    segments->menuAction()->setObjectName("mnuDssetup");
    auto* exclusive = new QActionGroup(this);
    const QStringList captions = {"段数参数0~4", "段数参数1~5"};
    for (int base = 0; base < 2; ++base) {
        mnuDscs_[base] = segments->addAction(captions[base]);
        mnuDscs_[base]->setObjectName(indexed("mnuDscs", base));
        mnuDscs_[base]->setCheckable(true);
        exclusive->addAction(mnuDscs_[base]);
        connect(mnuDscs_[base], &QAction::triggered, this,
                [this, base] { chooseSegmentBase(base); });
    }
    mnuSetup_->addSeparator()->setObjectName("mk10");
    connect(item(mnuSetup_, "mnuSetDay", QStringLiteral("历史号码更新检索年(&Y)")),
            &QAction::triggered, this, &MainWindow::setYearsToKeep);
    connect(item(mnuSetup_, "mnuUpdateHost", QStringLiteral("开奖结果网址设置(&U)")),
            &QAction::triggered, this, &MainWindow::setUpdateHost);
    connect(item(mnuSetup_, "mnuFrontPage", QStringLiteral("软件介绍服务主页(&P)")),
            &QAction::triggered, this, [this] { openDocument("index.html"); });
    connect(item(mnuSetup_, "mnuDescrb", QStringLiteral("软件介绍说明页面(&R)")),
            &QAction::triggered, this, [this] { openDocument("manual.html"); });
    connect(item(mnuSetup_, "numYanshiDown", QStringLiteral("软件演示说明录像下载(&D)")),
            &QAction::triggered, this, [this] { openDocument("demo.gif"); });
    // The documents describe this version of the program.
    QAction* version = mnuSetup_->addAction(QStringLiteral("版本 %1").arg(kProgramVersion));
    version->setObjectName("mnuVersion");
    version->setEnabled(false);
}

void MainWindow::connectHandlers() {
    for (int i : {0, 1, 2, 3}) {
        connect(option1_[i], &QRadioButton::clicked, this, [this, i] { option1Clicked(i); });
        connect(option3_[i], &QRadioButton::clicked, this, [this, i] { option3Clicked(i); });
        connect(option4_[i], &QRadioButton::clicked, this, [this, i] { option4Clicked(i); });
    }
    for (int i : {4, 5}) {
        connect(option2_[i], &QRadioButton::clicked, this, [this, i] { option2Clicked(i); });
    }
    for (int i = 1; i <= 5; ++i) {
        connect(option5_[i], &QRadioButton::clicked, this, [this, i] { option5Clicked(i); });
        connect(entry_[i], &QLineEdit::textChanged, this, [this, i] { entryFieldChanged(i); });
    }
    for (int i : {0, 1}) {
        connect(option6_[i], &QRadioButton::clicked, this, [this, i] { option6Clicked(i); });
    }
    connect(tabs_, &QTabBar::currentChanged, this, &MainWindow::tabChanged);
    connect(check4_, &QCheckBox::clicked, this, &MainWindow::check4Clicked);
    // A new issue to verify takes effect at once, so the next search uses its reference.
    connect(text4_, &QLineEdit::editingFinished, this, [this] {
        if (selectedTab() == 2) ysjs(false);
    });
    connect(command1_, &QPushButton::clicked, this, &MainWindow::runSearch);
    connect(command2_, &QPushButton::clicked, this, &MainWindow::runCombinationSearch);
    connect(cmdRdLst_, &QPushButton::clicked, this, &MainWindow::importHistory);
    connect(command21_, &QPushButton::clicked, this, &MainWindow::onlineUpdate);
    connect(command4_, &QPushButton::clicked, this, &MainWindow::exportHistoryText);
    connect(command3_, &QPushButton::clicked, this, &MainWindow::deleteLastDraw);
    connect(command9_, &QPushButton::clicked, this, [this] { mnuSetup_->popup(QCursor::pos()); });
}

}  // namespace arrange5
