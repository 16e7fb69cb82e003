#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <nlohmann/json.hpp>

#include "acquire/official_source.h"
#include "app/backtest_dialog.h"
#include "app/chance_panel.h"
#include "app/text_table_model.h"
#include "app_test_support.h"
#include "store/errors.h"
#include "support/cli_process.h"

using namespace arrange5;
using namespace arrange5::test;

namespace {

QString cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

QString sheetXml(const std::filesystem::path& workbook, int sheet = 1) {
    QProcess unzip;
    unzip.start("unzip", {"-p", QString::fromStdString(workbook.string()),
                          QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet)});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

void activate(MainWindow& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void importAsksFirstAndReplacesTheHistory();
    void importFailuresLeaveTheHistory();
    void rangeFieldsFollowTheHistoryUnlessTyped();
    void manualEntryAppendsOnTheFifthDigit();
    void manualEntryIntoAnEmptyHistoryAsksForTheIssue();
    void deletionsAndClear();
    void searchesFillBothGrids();
    void accessKeysSearchWhatTheFieldsShow();
    void badFieldsStopTheSearch();
    void referenceFieldsOfTab2();
    void settingsMenu();
    void gridExportWritesAWorkbook();
    void onlineUpdateFailureIsReported();
    void onlineUpdateAsksBeforeDeletingEarlyYears();
    void changesByTheCommandLineAreFollowed();
};

void CommandsTest::importAsksFirstAndReplacesTheHistory() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(5));
    MainWindow& w = h.start();
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    const auto file = h.dataFolder() / "new.TXT";
    writeFile(file, historyText(entriesFrom(2014001, {"12345", "67890", "00000"})));

    // Cancelled confirmation: no dialog, nothing read.
    h.dialogs.confirmations = {false};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(h.dialogs.asked.size(), 1);
    QVERIFY(h.dialogs.asked[0].startsWith(QStringLiteral("读入历史: 确实要读入最新历史号码吗？")));
    QVERIFY(h.dialogs.fileFolders.isEmpty());
    QCOMPARE(grid->model()->rowCount(), 5);

    // A name that does not end in txt changes nothing.
    writeFile(h.dataFolder() / "new.csv", "2014001 12345\r\n");
    h.dialogs.confirmations = {true};
    h.dialogs.files = {QString::fromStdString((h.dataFolder() / "new.csv").string())};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 5);
    QVERIFY(h.dialogs.messages.isEmpty());
    QCOMPARE(h.dialogs.filters.last(), QStringLiteral("Text(*.txt)"));
    QCOMPARE(h.dialogs.fileFolders.last(),
             QString::fromStdString((h.dataFolder() / "历史号码").string()));

    // A file with unusable lines: the status line gives the counts and the first lines, the
    // button beside it every line with its number and reason, blank lines among them.
    const auto messy = h.dataFolder() / "messy.txt";
    writeFile(messy,
              "2014001 12345\r\n\r\nx\r\n2014002 1234\r\n2014001 11111\r\n2014003 55555\r\n");
    h.dialogs.confirmations = {true};
    h.dialogs.files = {QString::fromStdString(messy.string())};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QVERIFY(w.statusBar()->currentMessage().startsWith(
        QStringLiteral("已存入 2 期（2014001 期至 2014003 期）；跳过 4 行（第 2 行：空行；"
                       "第 3 行：不是开奖号码行；第 4 行：号码不是五个数字；……）；SHA-256 ")));
    auto* details = child<QToolButton>(w, "StatusDetails");
    QVERIFY(!details->isHidden());
    QTest::mouseClick(details, Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].endsWith(QStringLiteral("第 5 行：期号重复或顺序颠倒")));
    h.dialogs.messages.clear();

    h.dialogs.confirmations = {true};
    h.dialogs.files = {QString::fromStdString(file.string())};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QVERIFY(details->isHidden());
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(cell(grid, 2, 0), QStringLiteral("2014003"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2015001"));
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{0, 0, 0, 0, 0}));
    QVERIFY(w.statusBar()->currentMessage().contains(QStringLiteral("已存入 3 期")));
    QVERIFY(h.dialogs.messages.isEmpty());
}

void CommandsTest::importFailuresLeaveTheHistory() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(5));
    MainWindow& w = h.start();
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    const auto file = h.dataFolder() / "junk.txt";
    writeFile(file, "no draws here\r\nnone at all\r\n");
    h.dialogs.confirmations = {true, true};
    h.dialogs.files = {QString::fromStdString(file.string()),
                       QString::fromStdString((h.dataFolder() / "missing.txt").string())};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].contains("junk.txt"));
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 2);
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(w.store()->rows().size(), 5u);
}

void CommandsTest::rangeFieldsFollowTheHistoryUnlessTyped() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(5));
    MainWindow& w = h.start();
    auto* from = child<QLineEdit>(w, "Text3(0)");
    auto* to = child<QLineEdit>(w, "Text3(1)");
    QCOMPARE(from->text(), QStringLiteral("2013002"));
    QCOMPARE(to->text(), QStringLiteral("2013005"));
    const auto file = h.dataFolder() / "longer.txt";
    writeFile(file, historyText(entriesFrom(2012001, drawsOfCount(9))));

    to->setText(QStringLiteral("2013003"));  // typed by the user: it stays
    h.dialogs.confirmations = {true};
    h.dialogs.files = {QString::fromStdString(file.string())};
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(from->text(), QStringLiteral("2012002"));
    QCOMPARE(to->text(), QStringLiteral("2013003"));

    to->setText(QStringLiteral("2012009"));  // back at the last issue: it follows again
    h.dialogs.confirmations = {true};
    h.dialogs.files = {QString::fromStdString(file.string())};
    writeFile(file, historyText(entriesFrom(2012001, drawsOfCount(12))));
    QTest::mouseClick(child<QPushButton>(w, "cmdRdLst"), Qt::LeftButton);
    QCOMPARE(to->text(), QStringLiteral("2012012"));
}

void CommandsTest::manualEntryAppendsOnTheFifthDigit() {
    WindowHarness h;
    h.seedHistory(2013357, {"11111", "22222"});
    MainWindow& w = h.start();
    activate(w);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2014001"));
    std::array<QLineEdit*, 6> field{};
    for (int i = 1; i <= 5; ++i)
        field[i] = child<QLineEdit>(w, QStringLiteral("MaskEdBox1(%1)").arg(i));

    field[1]->setFocus();
    QTRY_VERIFY(field[1]->hasFocus());
    QTest::keyClick(field[1], Qt::Key_1);
    QVERIFY(field[2]->hasFocus());
    QTest::keyClick(field[2], Qt::Key_2);
    QTest::keyClick(field[3], Qt::Key_3);
    QVERIFY(field[4]->hasFocus());
    // Taking a digit back does not move on.
    QTest::keyClick(field[4], Qt::Key_Backspace);
    QVERIFY(field[4]->hasFocus());
    QTest::keyClick(field[4], Qt::Key_4);
    QTest::keyClick(field[5], Qt::Key_5);

    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(cell(grid, 2, 0), QStringLiteral("2014001"));
    QCOMPARE(cell(grid, 2, 3), QStringLiteral("3"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2015001"));
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{1, 2, 3, 4, 5}));
    QVERIFY(field[1]->hasFocus());
    for (int i = 1; i <= 5; ++i) QVERIFY(field[i]->text().isEmpty());
    QCOMPARE(w.store()->rows().size(), 3u);  // clearing the fields appended nothing more
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("已存入第 2014001 期 12345，共 3 期"));
    QVERIFY(h.dialogs.messages.isEmpty());
    // A corrected next issue other than the two that may follow is refused and put back.
    auto* next = child<QLineEdit>(w, "Text1");
    next->setText("2014009");
    emit next->editingFinished();
    QCOMPARE(next->text(), QStringLiteral("2015001"));
    QCOMPARE(h.dialogs.messages.size(), 1);
    h.dialogs.messages.clear();

    // Letters never reach a digit field.
    QTest::keyClick(field[1], Qt::Key_A);
    QVERIFY(field[1]->text().isEmpty());
    QVERIFY(field[1]->hasFocus());

    // A click to the right of the placeholder still takes the digit typed next.
    QTest::mouseClick(field[1], Qt::LeftButton, {},
                      QPoint(field[1]->width() - 3, field[1]->height() / 2));
    QTest::qWait(20);
    QTest::keyClick(field[1], Qt::Key_7);
    QCOMPARE(field[1]->text(), QStringLiteral("7"));
    // Backspace takes a typed digit back although the cursor stands before it.
    field[1]->setFocus();
    QTest::keyClick(field[1], Qt::Key_Backspace);
    QVERIFY(field[1]->text().isEmpty());
}

void CommandsTest::manualEntryIntoAnEmptyHistoryAsksForTheIssue() {
    WindowHarness h;
    MainWindow& w = h.start();
    activate(w);
    h.dialogs.inputs = {QStringLiteral("abc"), QStringLiteral("2020005")};
    auto type = [&](const QString& digits) {
        auto* first = child<QLineEdit>(w, "MaskEdBox1(1)");
        first->setFocus();
        QTRY_VERIFY(first->hasFocus());
        for (const QChar d : digits) {
            QTest::keyClick(QApplication::focusWidget(), d.toLatin1());
        }
    };
    type("98765");
    QCOMPARE(h.dialogs.prompts.size(), 1);
    const QString suggested = QString::number(QDate::currentDate().year() * 1000 + 1);
    QVERIFY(h.dialogs.prompts[0].endsWith("|" + suggested));
    QCOMPARE(h.dialogs.messages.size(), 1);  // "abc" is no issue
    QVERIFY(w.store()->empty());
    // The draw typed is kept for another try, which Enter makes.
    auto* last = child<QLineEdit>(w, "MaskEdBox1(5)");
    QCOMPARE(child<QLineEdit>(w, "MaskEdBox1(1)")->text() + last->text(), QStringLiteral("95"));
    QVERIFY(last->hasFocus());
    QTest::keyClick(last, Qt::Key_Return);
    QCOMPARE(w.store()->rows().size(), 1u);
    QCOMPARE(w.store()->rows()[0].issue, 2020005);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2021001"));
}

void CommandsTest::deletionsAndClear() {
    WindowHarness h;
    h.seedHistory(2014001, drawsOfCount(30));
    MainWindow& w = h.start();
    auto* grid = child<QTableView>(w, "MSFlexGrid1");

    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QCOMPARE(grid->model()->rowCount(), 29);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("已删除第 2014030 期，保留 29 期"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2015001"));

    // 删除到选定期 offers the last issue; 2014016 keeps sixteen rows.
    h.dialogs.inputs = {QStringLiteral("2014016")};
    child<QAction>(w, "mnuDlzd")->trigger();
    QCOMPARE(h.dialogs.prompts.last(),
             QStringLiteral("删除期数|请输入需要删除到的期数，例如‘2014016’|2014029"));
    QCOMPARE(grid->model()->rowCount(), 16);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2015001"));

    // Cancel or 0 deletes nothing.
    h.dialogs.inputs = {FakeDialogs::kCancel, QStringLiteral("0")};
    child<QAction>(w, "mnuEszhzd")->trigger();
    child<QAction>(w, "mnuEszhzd")->trigger();
    QCOMPARE(grid->model()->rowCount(), 16);
    QVERIFY(h.dialogs.prompts.last().endsWith("|1"));

    h.dialogs.inputs = {QStringLiteral("3")};
    child<QAction>(w, "mnuEszhzd")->trigger();
    QCOMPARE(grid->model()->rowCount(), 13);
    QCOMPARE(cell(grid, 12, 0), QStringLiteral("2014013"));
    QCOMPARE(w.statusBar()->currentMessage(),
             QStringLiteral("已删除 3 期，保留 13 期（2014001 期至 2014013 期）"));

    child<QAction>(w, "mnuErase")->trigger();
    QCOMPARE(grid->model()->rowCount(), 12);

    h.dialogs.confirmations = {false, true};
    child<QAction>(w, "mnuClear")->trigger();
    QCOMPARE(grid->model()->rowCount(), 12);
    QCOMPARE(h.dialogs.asked.last(), QStringLiteral("确认清空: 确定要清空所有的历史号码吗？"));
    child<QAction>(w, "mnuClear")->trigger();
    QCOMPARE(grid->model()->rowCount(), 0);
    QVERIFY(h.dialogs.messages.isEmpty());

    // Nothing left to delete or export: said so.
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "Command4"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 2);
    QVERIFY(h.dialogs.opened.empty());
}

void CommandsTest::searchesFillBothGrids() {
    WindowHarness h;
    MainWindow& w = h.start(true);
    activate(w);
    auto* hits = child<QTableView>(w, "MSFlexGrid2");
    auto* tally = child<QTableView>(w, "MSFlexGrid3");
    child<QCheckBox>(w, "Check1(1)")->setChecked(true);
    child<QCheckBox>(w, "Check1(3)")->setChecked(true);
    auto* chance = w.findChild<ChancePanel*>();
    QVERIFY(chance);
    const QString noSearch = chance->verdictLabel()->text();
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(h.dialogs.messages.isEmpty());
    QVERIFY(hits->model()->rowCount() > 0);
    QCOMPARE(hits->model()->columnCount(), 7);
    QCOMPARE(hits->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("上期开奖"));
    QCOMPARE(hits->columnWidth(0), 80);
    QCOMPARE(hits->columnWidth(1), 45);
    QCOMPARE(hits->columnWidth(6), 120);
    QCOMPARE(tally->model()->rowCount(), 10);
    QCOMPARE(tally->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("百分比"));
    // The verdict under the tally follows every search.
    QVERIFY(chance->isVisible());
    QVERIFY(chance->verdictLabel()->text() != noSearch);
    // 滚动验证 opens on the settings just searched with.
    QTest::mouseClick(child<QPushButton>(w, "CommandBacktest"), Qt::LeftButton);
    auto* backtest = w.findChild<BacktestDialog*>();
    QVERIFY(backtest && backtest->isVisible());
    backtest->close();
    QCOMPARE(tally->columnWidth(0), 32);
    QCOMPARE(tally->columnWidth(3), 59);
    // Every hit's matched draw holds the reference digits 1 and 7 of 2026174 (15766).
    for (int r = 0; r < hits->model()->rowCount(); ++r) {
        const QString matched = cell(hits, r, 6);
        QVERIFY2(matched.contains('1') && matched.contains('7'), qPrintable(matched));
    }
    int counted = 0;
    for (int r = 0; r < 10; ++r) counted += cell(tally, r, 2).toInt();
    QCOMPARE(counted, hits->model()->rowCount());
    QCOMPARE(cell(tally, 0, 0), QStringLiteral("1"));
    QCOMPARE(w.statusBar()->currentMessage(),
             QStringLiteral("检索到 %1 期").arg(hits->model()->rowCount()));
    // The command line, given the same setting, answers with the same tally and verdict.
    const CliResult cli = runCliOn(h.dataDir, {"search", "--positions", "1,3"});
    QCOMPARE(cli.status, 0);
    const auto answer = nlohmann::json::parse(cli.out);
    QCOMPARE(static_cast<int>(answer["hits"].size()), hits->model()->rowCount());
    for (int r = 0; r < 10; ++r) {
        QCOMPARE(QString::fromStdString(answer["tally"][r]["percent"].get<std::string>()),
                 cell(tally, r, 3));
    }
    QVERIFY(chance->verdictLabel()
                ->text()
                .remove(QLatin1Char('\n'))
                .contains(
                    QString::fromStdString(answer["pattern_test"]["verdict"].get<std::string>())));
    hits->scrollToBottom();
    QVERIFY(hits->verticalScrollBar()->value() > 0);

    // 前期 mode names column 6 so; the combination search fills the same grids. Its other
    // reference marks the result shown as stale until the search runs.
    auto* stale = w.findChild<QLabel*>("StaleNote");
    QVERIFY(stale && !stale->isVisible());
    QTest::mouseClick(child<QRadioButton>(w, "Option1(2)"), Qt::LeftButton);
    QVERIFY(stale->isVisible());
    QCOMPARE(stale->text(), QStringLiteral("历史已变，请重新检索"));
    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
    QVERIFY(h.dialogs.messages.isEmpty());
    QVERIFY(!stale->isVisible());
    QCOMPARE(hits->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("前期开奖"));
    // Each combination hit names the positions it matched on.
    QVERIFY2(cell(hits, 0, 6).contains(QRegularExpression(QStringLiteral("^\\d{5} 第\\d,\\d"))),
             qPrintable(cell(hits, 0, 6)));
    QVERIFY(hits->model()->rowCount() > 0);
    QCOMPARE(hits->verticalScrollBar()->value(), 0);  // the new result from its first hit

    // A change of the history marks it too; an issue to verify typed by the user stays, as
    // typed bounds of the range do.
    child<QLineEdit>(w, "Text4")->setText(QStringLiteral("2026100"));
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QCOMPARE(w.store()->rows().back().issue, 2026173);
    QVERIFY(stale->isVisible());
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QStringLiteral("2026100"));
}

void CommandsTest::accessKeysSearchWhatTheFieldsShow() {
    WindowHarness h;
    MainWindow& w = h.start(true);
    activate(w);
    auto* hits = child<QTableView>(w, "MSFlexGrid2");
    auto* search = child<QPushButton>(w, "Command1");
    auto* combination = child<QPushButton>(w, "Command2");
    auto* elsewhere = child<QLineEdit>(w, "Text3(0)");
    auto issues = [&] {
        QStringList all;
        for (int r = 0; r < hits->model()->rowCount(); ++r) all << cell(hits, r, 0);
        return all;
    };
    // The value typed and the access key pressed with the focus still in the field give the
    // hits that leaving the field and clicking give; both differ from the value before.
    auto check = [&](QWidget* field, const QString& typed, QPushButton* button, Qt::Key key) {
        elsewhere->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
        const QStringList before = issues();
        field->setFocus();
        QTRY_VERIFY(field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()));
        if (auto* line = qobject_cast<QLineEdit*>(field)) line->selectAll();
        if (auto* box = qobject_cast<QComboBox*>(field)) box->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QSignalSpy spy(button, &QPushButton::clicked);
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QTRY_COMPARE(spy.count(), 1);  // the access key clicks after a moment
        QVERIFY(field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()));
        const QStringList byKey = issues();
        elsewhere->setFocus();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(byKey, issues());
        QVERIFY2(byKey != before, qPrintable(field->objectName()));
        QVERIFY(h.dialogs.messages.isEmpty());
    };

    child<QCheckBox>(w, "Check1(1)")->setChecked(true);
    QTest::mouseClick(child<QRadioButton>(w, "Option1(2)"), Qt::LeftButton);
    check(child<QLineEdit>(w, "MaskEdBox2"), "4", search, Qt::Key_S);
    check(child<QComboBox>(w, "Combo1"), "1", combination, Qt::Key_G);

    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(1);
    child<QCheckBox>(w, "Check11(1)")->setChecked(true);
    check(child<QLineEdit>(w, "Text22(1)"), "5", search, Qt::Key_S);

    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(2);
    child<QCheckBox>(w, "Check1(11)")->setChecked(true);
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    check(child<QLineEdit>(w, "Text4"), "2026100", search, Qt::Key_S);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2026099"));
}

void CommandsTest::badFieldsStopTheSearch() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(10));
    MainWindow& w = h.start();
    auto* hits = child<QTableView>(w, "MSFlexGrid2");
    child<QLineEdit>(w, "Text3(0)")->setText("20a3001");
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].contains(QStringLiteral("起")));
    QCOMPARE(hits->model()->rowCount(), 0);

    // Numbers that are no seven-digit issue are refused too, naming the field.
    for (const auto& [name, text] : {std::pair{"Text3(0)", "12"}, std::pair{"Text3(1)", "-5"},
                                     std::pair{"Text3(1)", "2013000"}}) {
        child<QLineEdit>(w, "Text3(0)")->setText("2013002");
        child<QLineEdit>(w, "Text3(1)")->setText("2013010");
        child<QLineEdit>(w, name)->setText(text);
        h.dialogs.messages.clear();
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(h.dialogs.messages.size(), 1);
        QVERIFY2(h.dialogs.messages[0].contains(QString(name) == "Text3(0)" ? "起" : "止"),
                 qPrintable(h.dialogs.messages[0]));
        QCOMPARE(hits->model()->rowCount(), 0);
    }
    h.dialogs.messages = {h.dialogs.messages[0]};

    child<QLineEdit>(w, "Text3(0)")->setText("2013002");
    child<QLineEdit>(w, "Text3(1)")->setText("2013010");
    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(2);
    child<QLineEdit>(w, "Text4")->setText("");
    QTest::mouseClick(child<QPushButton>(w, "Command2"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 2);
    QVERIFY(h.dialogs.messages[1].contains(QStringLiteral("验证期")));
    QCOMPARE(hits->model()->rowCount(), 0);

    // A stored k no combination has is refused, not searched for nothing.
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Korvath")
        .setValue("IniSetting/intZhWSetup", "9");
    MainWindow& again = h.start();
    QTest::mouseClick(child<QPushButton>(again, "Command2"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 3);
    QVERIFY2(h.dialogs.messages[2].contains(QStringLiteral("组合位数 9")),
             qPrintable(h.dialogs.messages[2]));
    QCOMPARE(child<QTableView>(again, "MSFlexGrid2")->model()->rowCount(), 0);
}

void CommandsTest::referenceFieldsOfTab2() {
    WindowHarness h;
    h.seedHistory(2013001, {"12345", "67890", "13579"});
    MainWindow& w = h.start();
    activate(w);
    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(1);
    QVERIFY(w.searchSide().manualReference());
    auto* value = child<QLineEdit>(w, "Text22(2)");
    value->setFocus();
    QTRY_VERIFY(value->hasFocus());
    value->selectAll();
    QTest::keyClicks(value, "x-7y");
    QCOMPARE(value->text(), QStringLiteral("-7"));
    child<QLineEdit>(w, "Text22(3)")->setFocus();
    QCOMPARE(w.searchSide().referenceValues()[1], int16_t(-7));

    // A lone sign is no number: the value and its text stay as they were.
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, "-");
    child<QLineEdit>(w, "Text22(3)")->setFocus();
    QCOMPARE(w.searchSide().referenceValues()[1], int16_t(-7));
    QCOMPARE(value->text(), QStringLiteral("-7"));

    // Combo1 keeps the last valid number.
    auto* combo = child<QComboBox>(w, "Combo1");
    combo->setFocus();
    combo->setEditText("x");
    value->setFocus();
    QCOMPARE(combo->currentText(), QStringLiteral("2"));
    for (const char* outside : {"0", "6", "-1"}) {  // no combination of that many positions
        combo->setFocus();
        combo->setEditText(outside);
        value->setFocus();
        QCOMPARE(combo->currentText(), QStringLiteral("2"));
    }
    combo->setFocus();
    combo->setEditText("3");
    value->setFocus();
    QCOMPARE(h.settingsValue("intZhWSetup"), QStringLiteral("3"));

    // -7 is no digit. Where it takes no part it is ignored (the search used to add a note);
    // at a ticked position nothing is searched and a message box names position, value and
    // the kind's values, in the words of the command line.
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(h.dialogs.messages.isEmpty());
    QVERIFY(!w.findChild<QLabel*>("ChanceVerdict")->text().contains(QStringLiteral("-7")));
    auto* hits = child<QTableView>(w, "MSFlexGrid2");
    const int hitsBefore = hits->model()->rowCount();
    QVERIFY(hitsBefore > 0);
    child<QCheckBox>(w, "Check11(2)")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY2(h.dialogs.messages[0].contains(
                 QStringLiteral("第 2 位的参考值 -7 不在号码的取值 0 到 9 之内")),
             qPrintable(h.dialogs.messages[0]));
    QCOMPARE(hits->model()->rowCount(), hitsBefore);
    child<QCheckBox>(w, "Check11(2)")->setChecked(false);
    h.dialogs.messages.clear();

    // A study log that cannot be written: the result is shown, with one warning.
    std::filesystem::remove(h.dataFolder() / "study.txt");
    std::filesystem::create_directory(h.dataFolder() / "study.txt");
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].contains(QStringLiteral("没有计入本次研究")));
    QVERIFY(w.statusBar()->currentMessage().startsWith(QStringLiteral("检索到")));
    std::filesystem::remove(h.dataFolder() / "study.txt");
    h.dialogs.messages.clear();

    // Tab 3 takes the draw before the issue to verify; 仅检索该期前 ends the range there.
    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(2);
    child<QLineEdit>(w, "Text4")->setText("2013003");
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2013002"));
    w.searchSide().showVerificationReference(true);
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{6, 7, 8, 9, 0}));
    QCOMPARE(child<QLineEdit>(w, "Text2(12)")->text(), QStringLiteral("7"));
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2013003"));

    // The verification's range end stays with it: leaving the tab with the box ticked gives
    // the whole history back, coming back ends the range again.
    auto* tabs = child<QTabBar>(w, "TabStrip1");
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2013002"));
    tabs->setCurrentIndex(0);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2013003"));
    tabs->setCurrentIndex(2);
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2013002"));
    // The verified issue's own draw is named beside the result and its outcome marked.
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY2(
        w.statusBar()->currentMessage().contains(QStringLiteral("第 2013003 期开出 13579，1 排第")),
        qPrintable(w.statusBar()->currentMessage()));
    auto* tally = qobject_cast<TextTableModel*>(child<QTableView>(w, "MSFlexGrid3")->model());
    int marked = 0;
    for (int r = 0; r < tally->rowCount(); ++r) {
        if (tally->marked(r)) {
            ++marked;
            QCOMPARE(tally->rows()[static_cast<std::size_t>(r)][1], QStringLiteral("1"));
        }
    }
    QCOMPARE(marked, 1);
    // No issue to verify: said so, and the box stays clear.
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    child<QLineEdit>(w, "Text4")->setText("abc");
    h.dialogs.messages.clear();
    QTest::mouseClick(child<QCheckBox>(w, "Check4"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(!child<QCheckBox>(w, "Check4")->isChecked());
}

void CommandsTest::settingsMenu() {
    WindowHarness h;
    MainWindow& w = h.start();
    child<QAction>(w, "mnuDscs(0)")->trigger();
    QVERIFY(child<QAction>(w, "mnuDscs(0)")->isChecked());
    QVERIFY(!child<QAction>(w, "mnuDscs(1)")->isChecked());
    QCOMPARE(h.settingsValue("DsIni"), QStringLiteral("0"));
    QCOMPARE(w.settings().segmentBase, 0);

    // 17, 1, 0 and text are refused, each time with the unchanged value offered again.
    h.dialogs.inputs = {"17", "1", "0", "abc", "16"};
    child<QAction>(w, "mnuSetDay")->trigger();
    QCOMPARE(h.dialogs.prompts.size(), 5);
    for (const QString& prompt : h.dialogs.prompts) {
        QVERIFY(prompt.startsWith(QStringLiteral("设置年数|请输入在线更新保留的历史号码的年数")));
        QVERIFY(prompt.endsWith("|6"));
    }
    QCOMPARE(h.dialogs.messages.size(), 4);
    QVERIFY(h.dialogs.messages[0].startsWith(QStringLiteral("输入有误: 为了保证时效性")));
    QCOMPARE(w.settings().yearsToKeep, 16);
    QCOMPARE(h.settingsValue("IniSerchDay"), QStringLiteral("16"));
    h.dialogs.inputs = {FakeDialogs::kCancel};
    child<QAction>(w, "mnuSetDay")->trigger();
    QCOMPARE(w.settings().yearsToKeep, 16);

    // The web items open the documents found, and say so when one is missing.
    writeFile(h.docsDir.path() / "index.html", "<html></html>");
    child<QAction>(w, "mnuFrontPage")->trigger();
    QCOMPARE(h.dialogs.opened.size(), 1u);
    QVERIFY(h.dialogs.opened[0].toLocalFile().endsWith("index.html"));
    child<QAction>(w, "mnuDescrb")->trigger();
    QCOMPARE(h.dialogs.opened.size(), 1u);
    QVERIFY(h.dialogs.messages.last().contains("manual.html"));

    // 在线更新设置 shows the official data's real address beside the results site, restores
    // the default with its button, and shows and stores the source chosen.
    QString shownAddress;
    bool shownOfficial = false;
    h.dialogs.dialogAnswers.push_back([&](QDialog& d) {
        auto* official = d.findChild<QLineEdit*>("txtOfficialUrl");
        shownAddress = official->text();
        shownOfficial = d.findChild<QRadioButton*>("updateSourceOfficial")->isChecked();
        official->setText("http://typed.example/x.qry?gameNo=350133");
        d.findChild<QPushButton*>("restoreOfficialUrl")->click();
        d.findChild<QLineEdit*>("txtUpdateHost")->setText("  http://127.0.0.1:9  ");
        d.findChild<QCheckBox*>("bolUpdateOnStart")->setChecked(true);
        return true;
    });
    child<QAction>(w, "mnuUpdateSettings")->trigger();
    QCOMPARE(shownAddress, QString::fromStdString(officialSourceUrl()));
    QVERIFY(shownOfficial);
    QCOMPARE(h.settingsValue("txtUpdateHost"), QStringLiteral("http://127.0.0.1:9"));
    QCOMPARE(h.settingsValue("txtOfficialUrl"), QString());  // the default, not a copy of it
    QCOMPARE(h.settingsValue("bolUpdateOnStart"), QStringLiteral("True"));
    // The operator's data is the source until the pages are chosen; one item stays checked,
    // and the dialog shows the menu's choice.
    QVERIFY(child<QAction>(w, "mnuSource(0)")->isChecked());
    child<QAction>(w, "mnuSource(1)")->trigger();
    QVERIFY(!child<QAction>(w, "mnuSource(0)")->isChecked());
    QCOMPARE(h.settingsValue("txtUpdateSource"), QStringLiteral("pages"));
    h.dialogs.dialogAnswers.push_back([&](QDialog& d) {
        shownOfficial = !d.findChild<QRadioButton*>("updateSourcePages")->isChecked();
        d.findChild<QCheckBox*>("bolUpdateOnStart")->setChecked(false);
        return true;
    });
    child<QAction>(w, "mnuUpdateSettings")->trigger();
    QVERIFY(!shownOfficial);
    QCOMPARE(h.settingsValue("bolUpdateOnStart"), QStringLiteral("False"));

    // A restart reads every one of them back, and the next draw is stored under base 0.
    h.seedHistory(2013001, {"12345"});
    MainWindow& again = h.start();
    QVERIFY(child<QAction>(again, "mnuDscs(0)")->isChecked());
    QVERIFY(!child<QAction>(again, "mnuDscs(1)")->isChecked());
    QCOMPARE(again.settings().segmentBase, 0);
    QCOMPARE(again.settings().yearsToKeep, 16);
    for (int i = 1; i <= 5; ++i) {
        child<QLineEdit>(again, QStringLiteral("MaskEdBox1(%1)").arg(i))->setText("9");
    }
    QCOMPARE(again.store()->rows().size(), 2u);
    for (int i = 0; i < 5; ++i) QCOMPARE(again.store()->rows().back().codes[3][i], int16_t(4));
}

void CommandsTest::gridExportWritesAWorkbook() {
    WindowHarness h;
    h.seedHistory(2013001, {"01234", "56789", "00007"});
    MainWindow& w = h.start();
    activate(w);
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    const auto file = h.dataFolder() / "lishi.xlsx";
    QVERIFY(std::filesystem::exists(file));
    QCOMPARE(h.dialogs.opened.size(), 1u);
    QCOMPARE(h.dialogs.opened[0].toLocalFile(), QString::fromStdString(file.string()));
    const QString xml = sheetXml(file);
    // Header in row 1, the first draw in row 2: issue a number, digits numbers.
    QVERIFY(xml.contains(R"(<c r="A2"><v>2013001</v></c>)"));
    QVERIFY(xml.contains(R"(<c r="F4"><v>7</v></c>)"));
    QVERIFY(xml.contains(R"(<c r="A1" t="s">)"));
    QVERIFY(!xml.contains(R"(r="A5")"));

    // A second export replaces the file; the menu item writes the same workbook.
    std::filesystem::remove(file);
    child<QAction>(w, "mnuDcls")->trigger();
    QVERIFY(std::filesystem::exists(file));
    QVERIFY(grid->isVisible());

    // The tally grid goes to Jieguo.xlsx, four columns, percentages as numbers.
    child<QCheckBox>(w, "Check1(1)")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QTest::mouseDClick(child<QTableView>(w, "MSFlexGrid3")->viewport(), Qt::LeftButton, {},
                       QPoint(10, 10));
    const QString tally = sheetXml(h.dataFolder() / "Jieguo.xlsx");
    QVERIFY(tally.contains(R"(r="D11")"));
    QVERIFY(!tally.contains(R"(r="E1")"));
    // ...and the comparison of that search follows on a sheet of its own, saying what was
    // searched and both tests with their correction, so that the file claims no more alone.
    QVERIFY(sheetXml(h.dataFolder() / "Jieguo.xlsx", 2).contains(R"(r="F7")"));
    QProcess unzip;
    unzip.start("unzip", {"-p", QString::fromStdString((h.dataFolder() / "Jieguo.xlsx").string()),
                          "xl/sharedStrings.xml"});
    unzip.waitForFinished();
    const QString strings = QString::fromUtf8(unzip.readAllStandardOutput());
    QVERIFY(strings.contains(QStringLiteral("arrange5-cli search --kind number")));
    QVERIFY(strings.contains(QStringLiteral("与其余各期比较")));
    QVERIFY(strings.contains(QStringLiteral("与均匀随机")));
    QVERIFY(strings.contains(QStringLiteral("可靠所须 p 小于")));

    // A save that fails is reported.
    std::filesystem::create_directory(h.dataFolder() / "Jiansuo.xlsx");
    writeFile(h.dataFolder() / "Jiansuo.xlsx" / "keep", "x");
    h.dialogs.messages.clear();
    QTest::mouseDClick(child<QTableView>(w, "MSFlexGrid2")->viewport(), Qt::LeftButton, {},
                       QPoint(10, 10));
    QCOMPARE(h.dialogs.messages.size(), 1);
}

void CommandsTest::onlineUpdateFailureIsReported() {
    WindowHarness h;
    h.seedHistory(2026001, drawsOfCount(5));
    int fetched = 0;
    MainWindow& w =
        h.startOnResultsPages([&fetched](const std::string&, const KeepGoing&) -> std::string {
            ++fetched;
            throw FetchError("connection refused");
        });
    h.dialogs.confirmations = {false, true};
    QTest::mouseClick(child<QPushButton>(w, "Command21"), Qt::LeftButton);
    QCOMPARE(fetched, 0);
    QVERIFY(
        h.dialogs.asked[0].startsWith(QStringLiteral("读入历史: 确实要在线更新最新历史号码吗？")));
    QTest::mouseClick(child<QPushButton>(w, "Command21"), Qt::LeftButton);
    QVERIFY(fetched > 0);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QCOMPARE(w.store()->rows().size(), 5u);

    // The operator's data fails and a results site is set: the window says so, offers the
    // site, and the status line names the host that answered. At start-up (启动时检查新开奖)
    // the update asks nothing and says nothing when nothing is new.
    const int year = QDate::currentDate().year();
    const auto draws = entriesFrom(year * 1000 + 1, drawsOfCount(6));
    const auto site = [&](const std::string& url, const KeepGoing&) -> std::string {
        if (url.find(".qry") != std::string::npos) throw FetchError("connection refused");
        std::string rows = "<tr><th>彩种</th><th>期号</th><th>开奖号码</th></tr>";
        for (const HistoryEntry& e : draws) {
            rows += "<tr><td>排列五</td><td>" + std::to_string(e.issue % 100000) + "</td><td>" +
                    digitString(e.digits) + "</td></tr>";
        }
        return "<html><body><table id=\"draw_list\">" + rows + "</table></body></html>";
    };
    struct Case {
        const char* source;
        bool atStart;
        int stored;                // draws stored before; the site lists 6
        std::deque<bool> answers;  // to the update question and the offer of the other source
        QString status;
    };
    const QString issue = QString::number(year * 1000 + 6);
    const QString added =
        QStringLiteral("127.0.0.1:9：新增 1 期，第 ") + issue + " 至 " + issue + " 期";
    for (const Case& c :
         {Case{"official", false, 5, {true, true}, added},
          Case{"official", false, 5, {true, false}, QString()}, Case{"pages", true, 5, {}, added},
          Case{"pages", true, 6, {}, QString()}}) {
        WindowHarness s;
        s.seedHistory(year * 1000 + 1, drawsOfCount(c.stored));
        s.dialogs.confirmations = c.answers;
        MainWindow& o = s.startOnResultsPages(site, c.source, c.atStart);
        if (c.atStart) {
            QTRY_VERIFY(!o.statusBar()->currentMessage().isEmpty() || c.stored == 6);
            QTest::qWait(50);
            QVERIFY(s.dialogs.asked.isEmpty());
        } else {
            QTest::mouseClick(child<QPushButton>(o, "Command21"), Qt::LeftButton);
            QVERIFY(s.dialogs.asked[0].contains(QString::fromStdString(officialSourceUrl())));
            QVERIFY2(
                s.dialogs.asked[1].startsWith(QStringLiteral("读入历史: 体彩官方数据 没有读到（")),
                qPrintable(s.dialogs.asked[1]));
            // Declining the offer reports the failure of the source asked for.
            QCOMPARE(s.dialogs.messages.size(), c.answers.back() ? 0 : 1);
        }
        QCOMPARE(o.store()->rows().size(), c.status.isEmpty() ? std::size_t(c.stored) : 6u);
        QVERIFY2(o.statusBar()->currentMessage().startsWith(c.status),
                 qPrintable(o.statusBar()->currentMessage()));
        if (c.status.isEmpty() && c.atStart) QVERIFY(o.statusBar()->currentMessage().isEmpty());
    }
}

// A history older than the years to keep: the window names what a purge would delete, and
// only "删除并更新" deletes it; 保留全部并更新 keeps everything; Escape (the close box) and 取消
// read nothing and say so. "以后不再询问，保留全部" stops the question until 设置 undoes it.
void CommandsTest::onlineUpdateAsksBeforeDeletingEarlyYears() {
    const int year = QDate::currentDate().year();
    const int keptFrom = year - 5;  // the default 6 years: this one and the 5 before
    const std::vector<HistoryEntry> stored = entriesFrom(2018001, drawsOfCount(6));
    // One results page a year: 2018 lists the stored draws and one more, later years one each.
    const auto page = [&](const std::string& url) {
        const int y = std::stoi(url.substr(url.find("?d=") + 3, 4));
        std::string rows = "<tr><th>彩种</th><th>期号</th><th>开奖号码</th></tr>";
        const auto row = [&](int32_t issue, const std::string& digits) {
            rows += "<tr><td>排列五</td><td>" + std::to_string(issue % 100000) + "</td><td>" +
                    digits + "</td></tr>";
        };
        if (y == 2018) {
            for (const HistoryEntry& e : stored) row(e.issue, digitString(e.digits));
        } else {
            row(y * 1000 + 1, "13579");
        }
        return "<html><body><table id=\"draw_list\">" + rows + "</table></body></html>";
    };
    const QString question =
        QStringLiteral(
            "删除早期历史: 按保留 6 年的设置，更新将删除 2018 年的 5 期"
            "历史号码，只保留 %1 年以后的号码。 [保留全部并更新|删除并更新|取消] "
            "(以后不再询问，保留全部)")
            .arg(keptFrom);
    const QString cancelled = QStringLiteral("在线更新已取消，历史号码没有改变");
    const std::size_t newDraws = static_cast<std::size_t>(year - 2018 + 1);
    struct Case {
        std::deque<int> choices;
        bool dontAskAgain;
        std::size_t rows;
        int32_t first;
        QString status;  // the start of the status line
    };
    for (const Case& c :
         {Case{{}, false, 5, 2018001, cancelled},  // Escape, the close box
          Case{{2}, true, 5, 2018001, cancelled},
          Case{{0},
               true,
               5 + newDraws,
               2018001,
               QStringLiteral("127.0.0.1:9：新增 %1 期，").arg(newDraws)},
          Case{{1},
               false,
               static_cast<std::size_t>(year - keptFrom + 1),
               keptFrom * 1000 + 1,
               QStringLiteral("127.0.0.1:9：新增 %1 期，第 %2 至 %3 期；删除 5 期（%4 年以前），"
                              "重新读入 0 期")
                   .arg(year - keptFrom + 1)
                   .arg(keptFrom * 1000 + 1)
                   .arg(year * 1000 + 1)
                   .arg(keptFrom)}}) {
        WindowHarness h;
        h.seedHistory(2018001, drawsOfCount(5));
        MainWindow& w = h.startOnResultsPages(
            [&](const std::string& url, const KeepGoing&) { return page(url); });
        h.dialogs.confirmations = {true};
        h.dialogs.choices = c.choices;
        h.dialogs.checkBoxes = {c.dontAskAgain};
        QTest::mouseClick(child<QPushButton>(w, "Command21"), Qt::LeftButton);
        QCOMPARE(h.dialogs.asked.size(), 2);
        QCOMPARE(h.dialogs.asked[1], question);
        QCOMPARE(w.store()->rows().size(), c.rows);
        QCOMPARE(w.store()->rows().front().issue, c.first);
        QVERIFY2(w.statusBar()->currentMessage().startsWith(c.status),
                 qPrintable(w.statusBar()->currentMessage()));
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.messages.join("\n")));
        // Only a ticked box with 保留全部并更新 stores "don't ask again".
        const bool stored = c.dontAskAgain && c.choices == std::deque<int>{0};
        QCOMPARE(h.settingsValue("bolKeepAllYears"), stored ? QStringLiteral("True") : QString());
        if (!stored) continue;
        // The next update keeps everything without asking, until 设置 undoes the choice.
        h.dialogs.confirmations = {true, true};
        QTest::mouseClick(child<QPushButton>(w, "Command21"), Qt::LeftButton);
        QCOMPARE(h.dialogs.asked.size(), 3);
        h.dialogs.dialogAnswers.push_back([](QDialog& d) {
            d.findChild<QCheckBox*>("bolKeepAllYears")->setChecked(false);
            return true;
        });
        child<QAction>(w, "mnuUpdateSettings")->trigger();
        QCOMPARE(h.settingsValue("bolKeepAllYears"), QStringLiteral("False"));
        QTest::mouseClick(child<QPushButton>(w, "Command21"), Qt::LeftButton);
        QCOMPARE(h.dialogs.asked.size(), 5);
        QVERIFY(h.dialogs.asked[4].startsWith(QStringLiteral("删除早期历史: ")));
    }
}

// A draw entered with the command line while the window is open: the next command (and the
// window's activation) reads the history again instead of searching the old one.
void CommandsTest::changesByTheCommandLineAreFollowed() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(5));
    MainWindow& w = h.start();
    activate(w);
    const CliResult entered =
        runCliProcess({"--dir", h.dataFolder().string(), "enter", "97531", "--today", "2013-06-01"},
                      h.dataFolder());
    QCOMPARE(entered.status, 0);
    QCOMPARE(w.store()->rows().size(), 5u);  // nothing looked yet
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(w.store()->rows().size(), 6u);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2014001"));  // a later year now
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{9, 7, 5, 3, 1}));
    QVERIFY2(
        w.statusBar()->currentMessage().startsWith(QStringLiteral(
            "历史号码已被另一个程序改动，已重新读入：6 期（2013001 期至 2013006 期）；检索到")),
        qPrintable(w.statusBar()->currentMessage()));
    // Its own commands are no outside change.
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QCOMPARE(w.store()->rows().size(), 5u);
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(!w.statusBar()->currentMessage().contains(QStringLiteral("另一个程序")));

    // A verification after another outside change says so once, before the draw that came.
    QCOMPARE(
        runCliProcess({"--dir", h.dataFolder().string(), "enter", "13579", "--today", "2013-06-01"},
                      h.dataFolder())
            .status,
        0);
    QEvent activated(QEvent::ActivationChange);  // the user comes back to the window
    QApplication::sendEvent(&w, &activated);
    child<QTabBar>(w, "TabStrip1")->setCurrentIndex(2);
    auto* verify = child<QLineEdit>(w, "Text4");
    verify->setFocus();
    verify->selectAll();
    QTest::keyClicks(verify, "2013005");
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    const QString shown = w.statusBar()->currentMessage();
    QCOMPARE(shown.count(QStringLiteral("另一个程序")), 1);
    QVERIFY2(shown.contains(QStringLiteral("第 2013005 期开出")), qPrintable(shown));
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
