#include "app/trend_window.h"

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "app/trend_model.h"
#include "app/trend_view.h"
#include "app_test_support.h"

using namespace arrange5;
using namespace arrange5::test;

class TrendWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void followsAnEntryMadeWhileItIsOpen();
    void fitsTheScreenCutsNothingAndKeepsItsChoices();
};

namespace {

TrendWindow* openTrend(MainWindow& w) {
    QTest::mouseClick(child<QPushButton>(w, "CommandTrend"), Qt::LeftButton);
    auto* trend = w.findChild<TrendWindow*>();
    if (!trend || !trend->isVisible()) qFatal("no trend window");
    return trend;
}

}  // namespace

// The chart stays open beside the main window; a draw typed in there must appear in it at once,
// with its figures, or the user reads a stale chart.
void TrendWindowTest::followsAnEntryMadeWhileItIsOpen() {
    WindowHarness h;
    h.seedHistory(2013356, {"11111", "22222", "33333"});
    MainWindow& w = h.start();
    w.show();
    TrendWindow* trend = openTrend(w);
    TrendModel* model = trend->model();
    QCOMPARE(model->drawRows(), 3);
    const int fourAtFirst = model->columnOf(TrendGroup::Position1, 4);

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* first = child<QLineEdit>(w, "MaskEdBox1(1)");
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    for (int i = 1; i <= 5; ++i) {
        QTest::keyClick(child<QLineEdit>(w, QStringLiteral("MaskEdBox1(%1)").arg(i)), Qt::Key_4);
    }
    QCOMPARE(w.store()->rows().size(), 4u);
    QCOMPARE(model->drawRows(), 4);
    QCOMPARE(model->index(3, 0).data().toInt(), 2014001);
    QCOMPARE(model->index(3, 1).data().toString(), QStringLiteral("44444"));
    QVERIFY(model->index(3, fourAtFirst).data(TrendModel::DrawnRole).toBool());
    QCOMPARE(model->index(2, fourAtFirst).data().toInt(), 3);  // absent the three draws before
    QCOMPARE(model->index(4, fourAtFirst).data().toInt(), 1);  // 出现次数
    QVERIFY(trend->chanceText().contains(QStringLiteral("最大的当前遗漏是 4 期")));

    // A stored digit outside 0..9 is named by its issue, never drawn (nor used as an index).
    HistorySnapshot bad = w.store()->rows();
    bad[1].codes[0][2] = 12;
    trend->setHistory(bad);
    QCOMPARE(model->drawRows(), 0);
    QVERIFY(trend->findChild<QLabel*>("lblTrendChance")->text().contains("2013357"));
}

// At 1366×768 the window fits the screen; no figure or header is cut whatever W; the picture
// holds every row and column of W; W and the zones shown survive closing (Esc) and reopening.
void TrendWindowTest::fitsTheScreenCutsNothingAndKeepsItsChoices() {
    WindowHarness h;
    // Long absences give wide counts: 万位 0 comes only in the first draw.
    std::vector<std::string> draws{"00000"};
    for (const std::string& d : drawsOfCount(1200)) draws.push_back("1" + d.substr(1));
    h.seedHistory(2010001, draws);
    MainWindow& w = h.start();
    w.show();
    TrendWindow* trend = openTrend(w);
    QVERIFY(trend->screen()->availableGeometry().contains(trend->frameGeometry()));
    TrendModel* model = trend->model();
    TrendView* view = trend->view();

    for (const QString& window : {QStringLiteral("全部"), QStringLiteral("7")}) {
        QVERIFY(trend->chooseWindow(window));
        const QFontMetrics metrics = view->fontMetrics();
        for (int c = 0; c < model->columnCount(); ++c) {
            const int room = view->columnWidth(c) - 2;
            for (int r = 0; r < model->rowCount(); ++r) {
                const QString text = model->index(r, c).data().toString();
                QVERIFY2(
                    metrics.horizontalAdvance(text) <= room,
                    qPrintable(QStringLiteral("column %1 row %2 “%3”").arg(c).arg(r).arg(text)));
            }
            const TrendColumn& column = model->column(c);
            int groupWidth = 0;
            for (int k = column.headerFirst; k <= column.headerLast; ++k) {
                groupWidth += view->columnWidth(k);
            }
            const bool lone = column.kind != TrendColumn::Kind::Cell;
            const int lines = lone ? TrendHeader::kCaptionLines + 1 : TrendHeader::kCaptionLines;
            const QString caption =
                model->headerData(c, Qt::Horizontal, TrendModel::CaptionRole).toString();
            const QRect need =
                metrics.boundingRect(QRect(0, 0, groupWidth - 2 * kTrendCellPadding, 1000),
                                     Qt::AlignCenter | Qt::TextWrapAnywhere, caption);
            QVERIFY2(need.height() <= lines * metrics.height(), qPrintable(caption));
            QVERIFY(metrics.horizontalAdvance(
                        model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) <= room ||
                    lone);
        }
    }
    // W = 7: the rows continue the history's omissions; the current one does not depend on W.
    const int zeroAtFirst = model->columnOf(TrendGroup::Position1, 0);
    QCOMPARE(model->drawRows(), 7);
    QCOMPARE(model->index(6, zeroAtFirst).data().toInt(), 1200);
    QVERIFY(!trend->chooseWindow("0"));
    QVERIFY(!trend->chooseWindow("1202"));
    QCOMPARE(h.dialogs.messages.size(), 2);
    QCOMPARE(model->drawRows(), 7);

    trend->setZoneShown(TrendZone::PerPosition, false);
    trend->setZoneShown(TrendZone::Ratios, false);
    trend->savePicture();
    QImage picture(QString::fromStdString((h.dataFolder() / "Zoushi.png").string()));
    int shownWidth = 0;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (!view->isColumnHidden(c)) shownWidth += view->columnWidth(c);
    }
    const int rowsHeight =
        (7 + TrendModel::kFooterRows) * view->verticalHeader()->defaultSectionSize();
    QVERIFY(picture.width() >= shownWidth && picture.width() <= shownWidth + 4);
    QVERIFY(picture.height() > rowsHeight + view->horizontalHeader()->height());
    trend->exportTable();
    QVERIFY(std::filesystem::exists(h.dataFolder() / "Zoushi.xlsx"));
    QCOMPARE(h.dialogs.opened.size(), 2);

    QTest::keyClick(trend, Qt::Key_Escape);
    QTRY_VERIFY(!w.findChild<TrendWindow*>());
    trend = openTrend(w);
    QCOMPARE(trend->model()->drawRows(), 7);
    QVERIFY(!trend->zoneShown(TrendZone::PerPosition));
    QVERIFY(!trend->zoneShown(TrendZone::Ratios));
    QVERIFY(trend->zoneShown(TrendZone::Front3));
}

QTEST_MAIN(TrendWindowTest)
#include "trend_window_test.moc"
