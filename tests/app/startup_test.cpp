#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

#include "app/settings.h"
#include "app/wheel_filter.h"
#include "app_test_support.h"
#include "store/errors.h"
#include "store/history_writer.h"
#include "store/schema.h"
#include "store/settings_table.h"

using namespace arrange5;
using namespace arrange5::test;

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void defaultsWithoutSettings();
    void firstStartImportsTheBundledHistory();
    void everyControlHasItsCaptionAndName();
    void settingsSurviveARestart();
    void earlierModeReferenceAndRangeStart();
    void scrollRuleStartsAbove39GridRows();
    void wheelRuleMovesTheFocusedGridOneRow();
    void unreadableDatabaseIsReportedAndLeftAlone();
    void commandLineReadsTheSettingsFileAsTheWindowDoes();
    void settingsFileTheCommandLineCannotShareIsRefused();
    void anotherProgramsChangeIsShownWhileIdle();
    void aRowWhoseDigitIsOutOfRangeIsNamedWhenTheHistoryOpens();
};

void StartupTest::defaultsWithoutSettings() {
    WindowHarness h;
    MainWindow& w = h.start();
    QCOMPARE(w.windowTitle(), QStringLiteral("排列五 跟随形态分析"));
    QVERIFY(child<QRadioButton>(w, "Option1(1)")->isChecked());  // 自由位
    QVERIFY(child<QRadioButton>(w, "Option1(3)")->isChecked());  // 上期
    QVERIFY(child<QRadioButton>(w, "Option3(0)")->isChecked());  // 号码
    QVERIFY(child<QRadioButton>(w, "Option4(0)")->isChecked());  // 号码
    QVERIFY(child<QRadioButton>(w, "Option5(1)")->isChecked());  // 第1位
    QVERIFY(child<QRadioButton>(w, "Option2(4)")->isChecked());  // 直选
    QVERIFY(child<QRadioButton>(w, "Option6(0)")->isChecked());  // 红蓝
    QVERIFY(child<QAction>(w, "mnuDscs(1)")->isChecked());
    QVERIFY(!child<QAction>(w, "mnuDscs(0)")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "MaskEdBox2")->text(), QStringLiteral("2"));
    QCOMPARE(child<QComboBox>(w, "Combo1")->currentText(), QStringLiteral("2"));
    QCOMPARE(w.settings().yearsToKeep, 6);
    QCOMPARE(w.settings().segmentBase, 1);
    // No bundled history and no database: an empty history, the fields as laid out.
    QVERIFY(w.hasStore());
    QCOMPARE(child<QTableView>(w, "MSFlexGrid1")->model()->rowCount(), 0);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2007001"));
    QCOMPARE(child<QLineEdit>(w, "Text3(0)")->text(), QStringLiteral("2013001"));
    QVERIFY(h.dialogs.messages.isEmpty());
}

void StartupTest::firstStartImportsTheBundledHistory() {
    WindowHarness h;
    MainWindow& w = h.start(true);
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    QCOMPARE(grid->model()->rowCount(), 7641);
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("期号"));
    QCOMPARE(grid->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("第5位"));
    QCOMPARE(grid->model()->index(7640, 0).data().toString(), QStringLiteral("2026174"));
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), QStringLiteral("2026175"));
    QCOMPARE(child<QLineEdit>(w, "Text4")->text(), QStringLiteral("2026175"));
    QCOMPARE(child<QLineEdit>(w, "Text3(0)")->text(), QStringLiteral("2004010"));
    QCOMPARE(child<QLineEdit>(w, "Text3(1)")->text(), QStringLiteral("2026174"));
    // 自动历史位 shows the latest draw, 2026174 15766.
    const QString expected = "15766";
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("Text2(%1)").arg(i))->text(),
                 QString(expected[i - 1]));
    }
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{1, 5, 7, 6, 6}));
    QVERIFY(std::filesystem::exists(h.dataFolder() / "Zembric.mdb"));
    QVERIFY(std::filesystem::exists(h.dataFolder() / "历史号码" /
                                    std::filesystem::path(ARRANGE5_REAL_HISTORY).filename()));
    QCOMPARE(grid->columnWidth(0), 80);
    QCOMPARE(grid->columnWidth(1), 41);

    // The next start finds the database and imports nothing again.
    h.start(true);
    QCOMPARE(child<QTableView>(*h.window, "MSFlexGrid1")->model()->rowCount(), 7641);
    QVERIFY(h.dialogs.messages.isEmpty());
}

void StartupTest::everyControlHasItsCaptionAndName() {
    WindowHarness h;
    MainWindow& w = h.start();
    const QString exportTip = QStringLiteral("鼠标双击列表可以将列表导出到EXCEL");
    QCOMPARE(child<QTableView>(w, "MSFlexGrid1")->toolTip(), exportTip);
    QCOMPARE(child<QTableView>(w, "MSFlexGrid2")->toolTip(), exportTip);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(child<QLineEdit>(w, QStringLiteral("MaskEdBox1(%1)").arg(i))->toolTip(),
                 QStringLiteral("在此补充输入最新历史号码"));
        QCOMPARE(child<QCheckBox>(w, QStringLiteral("Check1(%1)").arg(i))->text(),
                 QStringLiteral("第%1位").arg(i));
        QVERIFY(child<QCheckBox>(w, QStringLiteral("Check11(%1)").arg(i)));
        QVERIFY(child<QCheckBox>(w, QStringLiteral("Check1(%1)").arg(i + 10)));
        QVERIFY(child<QLineEdit>(w, QStringLiteral("Text22(%1)").arg(i)));
        QVERIFY(child<QLineEdit>(w, QStringLiteral("Text2(%1)").arg(i + 10)));
    }
    QCOMPARE(child<QPushButton>(w, "cmdRdLst")->text(), QStringLiteral("读取历史号文本(&W)"));
    QCOMPARE(child<QPushButton>(w, "cmdRdLst")->toolTip(),
             QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    QCOMPARE(child<QPushButton>(w, "Command21")->toolTip(),
             QStringLiteral("从官方服务器更新历史号码"));
    QCOMPARE(child<QPushButton>(w, "Command1")->text(), QStringLiteral("检索(&S)"));
    QCOMPARE(child<QPushButton>(w, "Command2")->text(), QStringLiteral("组合检索(&G)"));
    QCOMPARE(child<QPushButton>(w, "Command9")->text(), QStringLiteral("软件设置(&T)"));
    QCOMPARE(child<QRadioButton>(w, "Option1(2)")->text(), QStringLiteral("前    期"));
    auto* tabs = child<QTabBar>(w, "TabStrip1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(2), QStringLiteral("验证指定期"));
    QCOMPARE(child<QMenu>(w, "mnuLsgl")->title(), QStringLiteral("历史管理"));
    QCOMPARE(child<QMenu>(w, "mnuSetup")->title(), QStringLiteral("设置"));
    QCOMPARE(child<QAction>(w, "mnuEszhzd")->text(), QStringLiteral("删除最后指定数量期历史(&N)"));
    QCOMPARE(child<QAction>(w, "mnuSetDay")->text(), QStringLiteral("历史号码更新检索年(&Y)"));
    QCOMPARE(child<QAction>(w, "numYanshiDown")->text(),
             QStringLiteral("软件演示说明录像下载(&D)"));
    QCOMPARE(child<QComboBox>(w, "Combo1")->count(), 6);
    QCOMPARE(child<QLineEdit>(w, "MaskEdBox1(1)")->displayText(), QStringLiteral("_"));
    // Every menu item can be reached from the keyboard, by a letter no other item of its
    // menu uses; the buttons of the window each have a letter of their own too (Alt+letter
    // would otherwise only move the focus between the two).
    const auto accessKey = [](const QString& text) {
        const auto at = text.indexOf(QLatin1Char('&'));
        return at < 0 || at + 1 >= text.size() ? QChar() : text.at(at + 1).toUpper();
    };
    for (QMenu* menu : w.findChildren<QMenu*>()) {
        QMap<QChar, QString> taken;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || !action->isEnabled()) continue;
            const QChar key = accessKey(action->text());
            QVERIFY2(!key.isNull(), qPrintable(action->text()));
            QVERIFY2(!taken.contains(key), qPrintable(taken.value(key) + " / " + action->text()));
            taken.insert(key, action->text());
        }
    }
    QMap<QChar, QString> buttons;
    for (QAbstractButton* button : w.findChildren<QPushButton*>()) {
        if (button->window() != &w) continue;  // the buttons of dialogs are their own
        const QChar key = accessKey(button->text());
        if (key.isNull()) continue;
        QVERIFY2(!buttons.contains(key), qPrintable(buttons.value(key) + " / " + button->text()));
        buttons.insert(key, button->text());
    }
    QVERIFY(buttons.size() >= 10);
    QCOMPARE(child<QAction>(w, "mnuExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    // The window fits a 1366 x 768 screen with its task bar.
    qInfo() << "minimum size" << w.minimumSizeHint();
    QVERIFY(w.minimumSizeHint().width() <= 1340);
    QVERIFY(w.minimumSizeHint().height() <= 700);

    // Only the selected tab's frame shows; Text4 and Check4 come with tab 3.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(child<QWidget>(w, "Frame2(0)")->isVisible());
    QVERIFY(!child<QWidget>(w, "Text4")->isVisible());
    tabs->setCurrentIndex(2);
    QVERIFY(!child<QWidget>(w, "Frame2(0)")->isVisible());
    QVERIFY(child<QWidget>(w, "Text4")->isVisible());
    QVERIFY(child<QWidget>(w, "Check4")->isVisible());

    // The right button released over the history pops up 历史管理; Command9 pops up 设置.
    auto* history = child<QTableView>(w, "MSFlexGrid1");
    QTest::mouseRelease(history->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!child<QMenu>(w, "mnuLsgl")->isVisible());
    QTest::mouseRelease(history->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QTRY_VERIFY(child<QMenu>(w, "mnuLsgl")->isVisible());
    child<QMenu>(w, "mnuLsgl")->close();
    QTest::mouseRelease(history->horizontalHeader()->viewport(), Qt::RightButton, {},
                        QPoint(10, 5));
    QTRY_VERIFY(child<QMenu>(w, "mnuLsgl")->isVisible());
    child<QMenu>(w, "mnuLsgl")->close();
    child<QPushButton>(w, "Command9")->click();
    QTRY_VERIFY(child<QMenu>(w, "mnuSetup")->isVisible());
    child<QMenu>(w, "mnuSetup")->close();
}

void StartupTest::settingsSurviveARestart() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(20));
    MainWindow& w = h.start();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (const char* name : {"Option1(0)", "Option1(2)", "Option3(2)", "Option4(1)", "Option5(3)",
                             "Option2(5)", "Option6(1)"}) {
        QTest::mouseClick(child<QRadioButton>(w, name), Qt::LeftButton);
    }
    auto* lag = child<QLineEdit>(w, "MaskEdBox2");
    lag->setFocus();
    lag->selectAll();
    QTest::keyClick(lag, Qt::Key_4);
    child<QLineEdit>(w, "Text3(1)")->setFocus();
    QCOMPARE(h.settingsValue("bolZyw"), QStringLiteral("False"));
    QCOMPARE(h.settingsValue("bolSq"), QStringLiteral("False"));
    QCOMPARE(h.settingsValue("intLei"), QStringLiteral("2"));
    QCOMPARE(h.settingsValue("intXianshiLei"), QStringLiteral("1"));
    QCOMPARE(h.settingsValue("intConsqSort"), QStringLiteral("3"));
    QCOMPARE(h.settingsValue("bolZuxuan"), QStringLiteral("True"));
    QCOMPARE(h.settingsValue("bolZhpm"), QStringLiteral("True"));
    QCOMPARE(h.settingsValue("intPreQi"), QStringLiteral("4"));
    // 前期 with N = 4: the range starts four issues after the first.
    QCOMPARE(child<QLineEdit>(w, "Text3(0)")->text(), QStringLiteral("2013005"));

    MainWindow& again = h.start();
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    for (const char* name : {"Option1(0)", "Option1(2)", "Option3(2)", "Option4(1)", "Option5(3)",
                             "Option2(5)", "Option6(1)"}) {
        QVERIFY2(child<QRadioButton>(again, name)->isChecked(), name);
    }
    QCOMPARE(child<QLineEdit>(again, "MaskEdBox2")->text(), QStringLiteral("4"));
    // The empty hits list already names the mode it starts in.
    QCOMPARE(child<QTableView>(again, "MSFlexGrid2")->model()->headerData(6, Qt::Horizontal),
             QStringLiteral("前期开奖"));
    QCOMPARE(child<QLineEdit>(again, "Text3(0)")->text(), QStringLiteral("2013005"));

    // Back to 上期: the range starts one issue after the first.
    QTest::mouseClick(child<QRadioButton>(again, "Option1(3)"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(again, "Text3(0)")->text(), QStringLiteral("2013002"));
    QCOMPARE(h.settingsValue("bolSq"), QStringLiteral("True"));
}

void StartupTest::earlierModeReferenceAndRangeStart() {
    WindowHarness h;
    h.seedHistory(2013001, {"11111", "22222", "33333", "44444", "55555", "66666"});
    MainWindow& w = h.start();
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(child<QRadioButton>(w, "Option1(2)"), Qt::LeftButton);
    auto* lag = child<QLineEdit>(w, "MaskEdBox2");
    lag->setFocus();
    lag->selectAll();
    QTest::keyClick(lag, Qt::Key_3);
    child<QLineEdit>(w, "Text3(0)")->setFocus();
    QCOMPARE(child<QLineEdit>(w, "Text3(0)")->text(), QStringLiteral("2013004"));
    // The third row from the end.
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{4, 4, 4, 4, 4}));
    QCOMPARE(child<QLineEdit>(w, "Text2(1)")->text(), QStringLiteral("4"));

    // Not 1..9: the previous N stays.
    lag->setFocus();
    lag->selectAll();
    QTest::keyClick(lag, Qt::Key_0);
    child<QLineEdit>(w, "Text3(0)")->setFocus();
    QCOMPARE(lag->text(), QStringLiteral("3"));
    QCOMPARE(h.settingsValue("intPreQi"), QStringLiteral("3"));
    lag->setFocus();
    lag->clear();
    child<QLineEdit>(w, "Text3(0)")->setFocus();
    QCOMPARE(lag->text(), QStringLiteral("3"));

    // 上期 chosen while 手动输入号 is shown: back on 自动历史位 the fields show and the search
    // takes the last draw, not the 前期 row they showed before.
    auto* tabs = child<QTabBar>(w, "TabStrip1");
    tabs->setCurrentIndex(1);
    QTest::mouseClick(child<QRadioButton>(w, "Option1(3)"), Qt::LeftButton);
    tabs->setCurrentIndex(0);
    QCOMPARE(w.searchSide().referenceValues(), (ReferenceValues{6, 6, 6, 6, 6}));
    QCOMPARE(child<QLineEdit>(w, "Text2(1)")->text(), QStringLiteral("6"));
}

void StartupTest::scrollRuleStartsAbove39GridRows() {
    for (const int dataRows : {38, 39}) {
        WindowHarness h;
        h.seedHistory(2013001, drawsOfCount(dataRows));
        MainWindow& w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* grid = child<QTableView>(w, "MSFlexGrid1");
        QTRY_VERIFY(grid->verticalScrollBar()->maximum() > 0);
        QCoreApplication::processEvents();
        const int top = WheelFilter::topRow(grid);
        if (dataRows == 38) {
            QCOMPARE(top, 0);
        } else {
            QCOMPARE(top, grid->verticalScrollBar()->maximum());
            QCOMPARE(grid->rowAt(grid->viewport()->height() - 2), dataRows - 1);
        }
    }
}

void StartupTest::wheelRuleMovesTheFocusedGridOneRow() {
    WindowHarness h;
    h.seedHistory(2013001, drawsOfCount(80));
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    auto* hits = child<QTableView>(w, "MSFlexGrid2");
    grid->verticalScrollBar()->setValue(0);
    auto wheel = [&](QWidget* over, int delta) {
        QWheelEvent event(QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    };
    // No grid has the focus: the wheel is left to the widget under the pointer.
    child<QLineEdit>(w, "Text3(0)")->setFocus();
    QTRY_VERIFY(child<QLineEdit>(w, "Text3(0)")->hasFocus());
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(w, "Text3(0)"));

    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    wheel(grid->viewport(), 120);  // up at the top stays at the top
    QCOMPARE(WheelFilter::topRow(grid), 0);
    wheel(grid->viewport(), -120);
    QCOMPARE(WheelFilter::topRow(grid), 1);
    // The focused grid scrolls wherever the pointer is.
    wheel(hits->viewport(), -120);
    QCOMPARE(WheelFilter::topRow(grid), 2);
    wheel(grid->viewport(), 120);
    QCOMPARE(WheelFilter::topRow(grid), 1);

    child<QLineEdit>(w, "Text3(0)")->setFocus();
    QTRY_VERIFY(!grid->hasFocus());
    wheel(hits->viewport(), -120);
    QCOMPARE(WheelFilter::topRow(grid), 1);
}

void StartupTest::unreadableDatabaseIsReportedAndLeftAlone() {
    WindowHarness h;
    const auto file = h.dataFolder() / "Zembric.mdb";
    const std::string foreign =
        std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(2000, 'x');
    writeFile(file, foreign);
    MainWindow& w = h.start(true);
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].contains("Zembric.mdb"));
    QVERIFY(!w.hasStore());
    QCOMPARE(readFile(file), foreign);
    QCOMPARE(child<QTableView>(w, "MSFlexGrid1")->model()->rowCount(), 0);

    // Commands that need the history say so and change nothing.
    QTest::mouseClick(child<QPushButton>(w, "Command3"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 2);
    QVERIFY(h.dialogs.messages[1].contains("历史数据库无法使用"));
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 3);
    QCOMPARE(readFile(file), foreign);
}

// Another program appends a draw while the window sits idle: the window shows it without any
// command, and the next issue is current before the first digit of a typed draw.
void StartupTest::anotherProgramsChangeIsShownWhileIdle() {
    WindowHarness h;
    // Issues of this year, so that the next issue is the last one + 1.
    const int year = QDate::currentDate().year() * 1000;
    const auto issue = [year](int seq) { return QString::number(year + seq); };
    h.seedHistory(year + 1, {"12345", "67890", "13579"});
    MainWindow& w = h.start();
    auto* grid = child<QTableView>(w, "MSFlexGrid1");
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), issue(4));
    {
        HistoryStore other(h.dataFolder());
        other.write(
            "test",
            [&](HistoryWriter& writer) {
                writer.primePreviousFrom(other.rows());
                writer.appendDraw(year + 4, {2, 4, 6, 8, 0});
            },
            ChangeKind::Appended);
    }
    QTRY_COMPARE_WITH_TIMEOUT(grid->model()->rowCount(), 4, 3000);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), issue(5));

    // Entering the first box of a typed draw looks before the first key.
    {
        HistoryStore other(h.dataFolder());
        other.write(
            "test",
            [&](HistoryWriter& writer) {
                writer.primePreviousFrom(other.rows());
                writer.appendDraw(year + 5, {1, 1, 1, 1, 1});
            },
            ChangeKind::Appended);
    }
    w.activateWindow();
    QLineEdit* first = child<QLineEdit>(w, "MaskEdBox1(1)");
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(first, &focusIn);
    QCOMPARE(child<QLineEdit>(w, "Text1")->text(), issue(6));
    QCOMPARE(grid->model()->rowCount(), 5);
}

void StartupTest::aRowWhoseDigitIsOutOfRangeIsNamedWhenTheHistoryOpens() {
    WindowHarness h;
    h.seedHistory(2013001, {"12345", "67890", "13579"});
    {
        SQLite::Database db((h.dataFolder() / "Zembric.mdb").string(), SQLite::OPEN_READWRITE);
        db.exec("UPDATE Lishi SET L1A = 12 WHERE SQQH = 2013002");
    }
    MainWindow& w = h.start();
    QCOMPARE(h.dialogs.messages.size(), 1);
    QVERIFY(h.dialogs.messages[0].contains("第 2013002 期存入的第 1 位号码是 12"));
    // A search refuses it by name instead of counting by the digit.
    QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(h.dialogs.messages.size(), 2);
    QVERIFY(h.dialogs.messages[1].contains("第 2013002 期"));
}

namespace {

QString described(const UserSettings& s) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 <%12> <%13> <%14>")
        .arg(s.yearsToKeep)
        .arg(s.freePositions)
        .arg(s.previousIssue)
        .arg(s.searchKind)
        .arg(s.groupSelection)
        .arg(s.resultPosition)
        .arg(s.resultKind)
        .arg(s.segmentBase)
        .arg(s.redOnly)
        .arg(s.lagN)
        .arg(s.combined)
        .arg(QString::fromStdString(s.updateHost), QString::fromStdString(s.updateSource),
             QString::fromStdString(s.officialUrl));
}

// What the command line reads from the harness's Korvath.ini must be what the window reads.
void expectBothRead(const WindowHarness& h, const char* what) {
    const UserSettings window = *Settings();
    const UserSettings cli = readUserSettingsFile(h.settingsFile());
    QVERIFY2(cli == window, qPrintable(QStringLiteral("%1\nwindow: %2\ncli:    %3")
                                           .arg(what, described(window), described(cli))));
}

}  // namespace

// Korvath.ini written by QSettings, and by hand in the forms QSettings also reads: the command
// line's Qt-free reader gives every key the value the window gives it.
void StartupTest::commandLineReadsTheSettingsFileAsTheWindowDoes() {
    WindowHarness h;
    {
        QSettings ini(QSettings::IniFormat, QSettings::UserScope, "Korvath");
        ini.setValue("IniSetting/DsIni", "0");
        ini.setValue("IniSetting/IniSerchDay", "7");
        ini.setValue("IniSetting/bolZyw", "False");
        ini.setValue("IniSetting/txtOfficialUrl",
                     "https://127.0.0.1:8/a%20b?x=1&y=2:3;z=\"q\",w\\ #排列五");
        ini.setValue("IniSetting/txtUpdateHost", "  @lead, tab\there");
        ini.setValue("IniSetting/txtUpdateSource", "pages");
    }
    expectBothRead(h, "written by QSettings");
    QCOMPARE(readUserSettingsFile(h.settingsFile()).segmentBase, 0);

    const struct {
        const char* what;
        const char* text;
    } handWritten[] = {
        {"byte-order mark", "\xEF\xBB\xBF[IniSetting]\nDsIni=0\nintPreQi=5\n"},
        {"key and section written twice",
         "[IniSetting]\nDsIni=0\nDsIni=1\nintLei=2\n[Other]\nintLei=3\n[IniSetting]\n"
         "intLei=1\nDsIni=0\n"},
        {"lines without '=', comments, continuation",
         "[IniSetting]\nno equals here\n; DsIni=1\n# DsIni=1\nDsIni=0 ; trailing\n"
         "txtUpdateHost=http://a\\\n.example:80\nintPreQi=\\\r\n4\n"},
        {"quoting and escapes",
         "[IniSetting]\r\ntxtOfficialUrl = \"http://h:1/p?a=1;b=%41\" \r\n"
         "txtUpdateHost=\\x41\\101\\q\\t \"x\" \"y\"  \r\ntxtUpdateSource=@String(pages)\r\n"
         "bolZyw=@@True\r\n"},
        {"lists, blanks, other sections",
         "DsIni=0\n[ IniSetting ]\nintLei = 3 \ntxtUpdateHost=a,b\n[iniSetting]\nDsIni=0\n"
         "[General]\nDsIni=0\n"},
        {"a quote left open", "[IniSetting]\nDsIni=0\ntxtUpdateHost=\"open\nintLei=2\n"},
    };
    for (const auto& c : handWritten) {
        test::writeFile(h.settingsFile(), c.text);
        expectBothRead(h, c.what);
    }
}

// What the command line cannot read as the window does is refused with the line named; a
// settings file that is no regular file, or far too large, is never read (a FIFO would block
// every command).
void StartupTest::settingsFileTheCommandLineCannotShareIsRefused() {
    WindowHarness h;
    const auto refusal = [&]() -> std::string {
        try {
            readUserSettingsFile(h.settingsFile());
        } catch (const SettingsFileError& e) {
            return e.what();
        }
        return "read without a word";
    };
    test::writeFile(h.settingsFile(), "[IniSetting]\nintLei=1\nDsIni=@Variant(\\0\\0\\0\\x2)\n");
    QVERIFY2(refusal().find("第 3 行") != std::string::npos, refusal().c_str());
    test::writeFile(h.settingsFile(), "[IniSetting]\nDs%49ni=0\n");
    QVERIFY2(refusal().find("第 2 行") != std::string::npos, refusal().c_str());
    test::writeFile(h.settingsFile(), "[Other]\nDsIni=@Variant(x)\n");
    QCOMPARE(readUserSettingsFile(h.settingsFile()).segmentBase, 1);  // not the window's section

    test::writeFile(h.settingsFile(), "[IniSetting]\nDsIni=0\n" + std::string(2 << 20, ';'));
    QVERIFY2(refusal().find("字节") != std::string::npos, refusal().c_str());
    std::filesystem::remove(h.settingsFile());
    QCOMPARE(::mkfifo(h.settingsFile().c_str(), 0600), 0);
    QVERIFY2(refusal().find("不是普通文件") != std::string::npos, refusal().c_str());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
