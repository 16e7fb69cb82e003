#include "app/history_check_dialog.h"

#include <QLabel>
#include <QTableView>
#include <QtTest>

#include "acquire/history_check.h"
#include "app/text_table_model.h"

using namespace arrange5;

namespace {

HistoryRow row(int32_t issue, const Digits& digits) {
    return {issue, deriveCodes(digits, 1)};
}

}  // namespace

class HistoryCheckDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showsEveryYearTheDigestAndEachProblem() {
        HistorySnapshot rows{row(2015357, {1, 2, 3, 4, 5}), row(2015358, {5, 4, 3, 2, 1}),
                             row(2016001, {0, 0, 0, 0, 0}), row(2016003, {9, 9, 9, 9, 9})};
        rows[1].codes[1][0] = 0;  // 5 stored as small
        const HistoryCheck check = checkHistory(rows);
        HistoryCheckDialog dialog(check);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("检查历史号码"));

        const TextTableModel& years = dialog.years();
        QCOMPARE(years.rowCount(), 2);
        QCOMPARE(years.headerData(4, Qt::Horizontal).toString(), QStringLiteral("缺少的期号"));
        QCOMPARE(years.rows()[0], (QStringList{"2015", "2", "2015357", "2015358", ""}));
        QCOMPARE(years.rows()[1], (QStringList{"2016", "2", "2016001", "2016003", "2016002"}));

        const auto* digest = dialog.findChild<QLabel*>("digestLabel");
        QVERIFY(digest);
        QVERIFY(digest->text().endsWith(QString::fromStdString(check.sha256)));
        const auto* verdict = dialog.findChild<QLabel*>("verdictLabel");
        QVERIFY(verdict);
        QVERIFY2(verdict->text().contains("2 个问题"), qPrintable(verdict->text()));
        QVERIFY2(verdict->text().contains("2016002"), qPrintable(verdict->text()));
        QVERIFY2(verdict->text().contains("2015358"), qPrintable(verdict->text()));
    }
};

QTEST_MAIN(HistoryCheckDialogTest)
#include "history_check_dialog_test.moc"
