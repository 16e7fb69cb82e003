#include "app/chance_panel.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QtTest>

namespace arrange5 {

namespace {

SearchResult tallyOf(CodeKind kind, const std::vector<std::pair<int, int64_t>>& counts,
                     std::size_t hits) {
    SearchResult r;
    r.hits.resize(hits);
    int rank = 0;
    for (const auto& [value, count] : counts) {
        TallyRow row;
        row.rank = ++rank;
        row.value = value;
        row.outcome = outcomeName(kind, value);
        row.count = count;
        row.restCount = 5 * count;  // the rest of the range looks exactly like the hits
        r.tally.push_back(row);
        r.total += count;
    }
    return r;
}

AssessedSearch assessed(const SearchResult& result, CodeKind kind, StudyPlace place,
                        const std::string& setting) {
    AssessedSearch a;
    a.result = result;
    a.chance = testAgainstChance(result, kind, place);
    a.pattern = testAgainstRest(result, place);
    a.setting.commandLine = setting;
    return a;
}

QBarSeries* barsOf(QChart* chart) {
    QBarSeries* found = nullptr;
    for (auto* series : chart->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(series)) {
            if (found) return nullptr;  // one bar series only
            found = bars;
        }
    }
    return found;
}

}  // namespace

class ChancePanelTest : public QObject {
    Q_OBJECT

  private slots:
    void verdictAndChartFollowEachTally() {
        ChancePanel panel;
        const SearchResult worked = tallyOf(CodeKind::Number,
                                            {{2, 129},
                                             {9, 128},
                                             {8, 120},
                                             {0, 118},
                                             {3, 112},
                                             {5, 108},
                                             {4, 102},
                                             {1, 101},
                                             {6, 99},
                                             {7, 91}},
                                            1108);
        const std::string setting =
            "arrange5-cli search --kind number --match free --positions 1,3 --result-kind "
            "number --result-pos 1 --ref 1,5,7,6,6 --from 2004010 --to 2026174";
        const AssessedSearch first = assessed(worked, CodeKind::Number, {1, 1}, setting);
        const ChanceTest& chance = first.chance;
        panel.showTally(first);
        QCOMPARE(panel.verdictLabel()->text(),
                 QStringLiteral(
                     "命中各期的结果与其余各期没有可靠的差别\n（p > 0.99；这是本研究的第 1 种设置，"
                     "须 p < 0.025 才算可靠：校正后 p > 0.99）\n与均匀随机相符\n（p = 0.15；"
                     "这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 p = 0.3）"));

        QChart* chart = panel.chartView()->chart();
        QBarSeries* bars = barsOf(chart);
        QVERIFY(bars);
        QCOMPARE(bars->count(), 1);
        QCOMPARE(bars->barSets()[0]->count(), 10);
        QVERIFY(qAbs(bars->barSets()[0]->at(0) - 11.643) < 0.001);
        auto* categories = qobject_cast<QBarCategoryAxis*>(bars->attachedAxes().value(0));
        QVERIFY(categories);
        // Each outcome with its share to one decimal, whatever its digits.
        QCOMPARE(categories->categories().first(), QStringLiteral("2<br>11.6%"));
        QCOMPARE(categories->categories().last(), QStringLiteral("7<br>8.2%"));
        // The picture passed on alone still says what was searched, how it compares with
        // the rest (with its correction) and with uniform chance.
        QString title = chart->title();
        title.remove(QStringLiteral("<br>"));
        QVERIFY(title.contains(QStringLiteral("--from 2004010 --to 2026174")));
        QVERIFY(title.contains(QStringLiteral("命中 1108 期")));
        QVERIFY(title.contains(QString::fromStdString(first.pattern.verdict).toHtmlEscaped()));
        QVERIFY(title.contains(QString::fromStdString(chance.verdict).toHtmlEscaped()));
        QVERIFY(!panel.verdictLabel()->toolTip().contains(QStringLiteral("chi2")));
        // The chance line spans every bar at 10 %, and each bar has its whisker, the interval
        // that holds for all ten outcomes together.
        int lines = 0;
        bool chanceLine = false;
        bool jointWhisker = false;
        for (auto* series : chart->series()) {
            auto* line = qobject_cast<QLineSeries*>(series);
            if (!line) continue;
            ++lines;
            const auto points = line->points();
            if (points.size() == 6 && qAbs(points[0].y() - 100 * chance.rows[0].joint.low) < 1e-9 &&
                qAbs(points[3].y() - 100 * chance.rows[0].joint.high) < 1e-9) {
                jointWhisker = line->name().startsWith(QStringLiteral("联合 95% 区间"));
            }
            if (points.size() == 2 && points[0].y() == 10.0 && points[1].y() == 10.0 &&
                points[0].x() < 0 && points[1].x() > 9) {
                chanceLine = true;
            }
        }
        QVERIFY(chanceLine);
        QVERIFY(jointWhisker);
        QCOMPARE(lines, 11);

        if (const QByteArray dir = qgetenv("ARRANGE5_SCREENSHOT_DIR"); !dir.isEmpty()) {
            panel.resize(235, 120);
            panel.show();
            panel.chartButton()->click();
            QVERIFY(QTest::qWaitForWindowExposed(panel.chartWindow()));
            panel.chartWindow()->grab().save(QString::fromLocal8Bit(dir) + "/chance-chart.png");
            panel.grab().save(QString::fromLocal8Bit(dir) + "/chance-verdict.png");
        }

        // The next search replaces the chart: two outcomes, two bars.
        const SearchResult big = tallyOf(CodeKind::BigSmall, {{1, 60}, {0, 40}}, 100);
        panel.showTally(assessed(big, CodeKind::BigSmall, {3, 3}, "arrange5-cli combo --k 2"));
        QVERIFY(panel.verdictLabel()->text().contains(QStringLiteral("这是本研究的第 3 种设置")));
        bars = barsOf(panel.chartView()->chart());
        QVERIFY(bars);
        QCOMPARE(bars->barSets()[0]->count(), 2);

        // No hits: nothing to draw, and no whisker pretends there is.
        const SearchResult none = tallyOf(CodeKind::Number, {{0, 0}, {1, 0}, {2, 0}}, 0);
        panel.showTally(assessed(none, CodeKind::Number, {4, 4}, "arrange5-cli search"));
        QVERIFY(!barsOf(panel.chartView()->chart()));
        QVERIFY(panel.chartView()->chart()->series().isEmpty());
        QVERIFY(panel.chartView()->chart()->title().contains(QStringLiteral("没有命中")));

        panel.clear();
        QVERIFY(!panel.verdictLabel()->text().contains(QStringLiteral("p =")));
        QVERIFY(!barsOf(panel.chartView()->chart()));
    }
};

}  // namespace arrange5

QTEST_MAIN(arrange5::ChancePanelTest)
#include "chance_panel_test.moc"
