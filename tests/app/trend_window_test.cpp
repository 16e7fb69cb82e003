#include "app/trend_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/trend_model.h"
#include "app_test_support.h"

using namespace arrange5;
using namespace arrange5::test;

class TrendWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void followsAnEntryMadeWhileItIsOpen();
};

// The chart stays open beside the main window; a draw typed in there must appear in it at once,
// with its figures, or the user reads a stale chart.
void TrendWindowTest::followsAnEntryMadeWhileItIsOpen() {
    WindowHarness h;
    h.seedHistory(2013356, {"11111", "22222", "33333"});
    MainWindow& w = h.start();
    w.show();
    QTest::mouseClick(child<QPushButton>(w, "CommandTrend"), Qt::LeftButton);
    auto* trend = w.findChild<TrendWindow*>();
    QVERIFY(trend && trend->isVisible());
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
    QCOMPARE(model->headerData(3, Qt::Vertical, Qt::DisplayRole).toInt(), 2014001);
    QVERIFY(model->index(3, fourAtFirst).data(TrendModel::DrawnRole).toBool());
    QCOMPARE(model->index(2, fourAtFirst).data().toInt(), 3);  // absent the three draws before
    QCOMPARE(model->index(4, fourAtFirst).data().toInt(), 1);  // 出现次数
    QVERIFY(trend->chanceText().contains(QStringLiteral("最大的当前遗漏是 4 期")));

    // Double click exports the chart like the other grids; the picture lands beside it.
    emit trend->view()->doubleClicked(model->index(0, 0));
    QVERIFY(std::filesystem::exists(h.dataFolder() / "Zoushi.xlsx"));
    trend->savePicture();
    QVERIFY(std::filesystem::exists(h.dataFolder() / "Zoushi.png"));
    QVERIFY(h.dialogs.messages.isEmpty());
}

QTEST_MAIN(TrendWindowTest)
#include "trend_window_test.moc"
