#include "app/backtest_dialog.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "app/study_dialog.h"
#include "app/text_table_model.h"
#include "app_test_support.h"

namespace arrange5 {

namespace {

HistorySnapshot realHistory() {
    HistorySnapshot rows;
    for (const HistoryEntry& e : readHistoryFile(test::realHistoryFile()).entries) {
        rows.push_back({e.issue, deriveCodes(e.digits, 1)});
    }
    return rows;
}

BacktestDialogInput inputFor(HistorySnapshot rows, test::FakeDialogs& dialogs,
                             const std::filesystem::path& folder) {
    BacktestDialogInput input;
    input.rows = std::move(rows);
    input.form.positions() = {true, false, true, false, false};
    input.form.setCombinationSize(2);
    input.settingsText = QStringLiteral("号码 自由位 上期 第1、3位；结果 号码 第1位 直选");
    input.dataFolder = folder;
    input.dialogs = &dialogs;
    return input;
}

}  // namespace

class BacktestDialogTest : public QObject {
    Q_OBJECT
  private slots:
    // The default run covers the last 1,000 issues in the worker, fills the table and the
    // summary, and a double click writes Yanzheng.xlsx and opens it.
    void runsTheLastThousandIssuesAndExports() {
        test::TempDir dir;
        test::FakeDialogs dialogs;
        BacktestDialog dialog(inputFor(realHistory(), dialogs, dir.path()));
        dialog.show();
        QSignalSpy done(&dialog, &BacktestDialog::finished);
        dialog.start();
        QVERIFY(dialog.running());
        QVERIFY(done.wait(60000));
        QCOMPARE(dialog.table()->model()->rowCount(), 1000);
        QVERIFY(!dialog.result().cancelled);
        // The baseline (99 hits) and the McNemar p were recomputed from the history file apart
        // from the program; the p is two-sided.
        QCOMPARE(
            dialog.summaryText(),
            QStringLiteral("1000 个目标期，计分 1000 次，命中 90 次，命中率 9.00%（随机 "
                           "10.00%，95% 区间 7.38%–10.93%），平均排名 5.70（随机 5.5），无答案 "
                           "0 期。命中率与随机相符（p = 0.32；这是本研究的第 1 种设置，须 p < "
                           "0.025 才算可靠：校正后 p = 0.63）；不看形态的排名命中 99 次，两者相比 "
                           "p = 0.5（校正后 p > 0.99）。本次研究已检索 1 种设置"));
        QVERIFY(dialogs.messages.isEmpty());
        // 研究记录 lists the verification with its latest outcome, as the command line would.
        StudyDialog study(StudyLog(dir.path()).entries());
        QCOMPARE(study.settings().rows().size(), std::size_t(1));
        const QStringList& row = study.settings().rows()[0];
        QCOMPARE(row[0], QStringLiteral("1"));
        QVERIFY(row[1].startsWith(QStringLiteral("arrange5-cli backtest search --kind number")));
        QCOMPARE(row[4], QStringLiteral("0.025"));
        QCOMPARE(row[5], QStringLiteral("0.63"));
        QVERIFY(row[6].startsWith(QStringLiteral("命中率与随机相符（p = 0.32；")));
        if (const char* shot = std::getenv("ARRANGE5_STUDY_SCREENSHOT")) {
            study.grab().save(QString::fromLocal8Bit(shot));
        }
        if (const char* shot = std::getenv("ARRANGE5_BACKTEST_SCREENSHOT")) {
            dialog.grab().save(QString::fromLocal8Bit(shot));
        }
        emit dialog.table()->doubleClicked(dialog.table()->model()->index(0, 0));
        QVERIFY(std::filesystem::exists(dir / "Yanzheng.xlsx"));
        QCOMPARE(dialogs.opened.size(), std::size_t(1));
    }

    // 取消 stops the worker at the next target; the dialog shows the part that was done.
    void cancelStopsTheRun() {
        test::TempDir dir;
        test::FakeDialogs dialogs;
        HistorySnapshot rows = realHistory();
        BacktestDialogInput input = inputFor(rows, dialogs, dir.path());
        input.form.combination = true;
        BacktestDialog dialog(std::move(input));
        auto* first = dialog.findChild<QLineEdit*>(QStringLiteral("firstTarget"));
        // 最近 N 期 puts the last N issues into the target fields.
        dialog.findChild<QSpinBox*>(QStringLiteral("recentTargets"))->setValue(20);
        QCOMPARE(first->text(), QString::number(rows[rows.size() - 20].issue));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("lastTarget"))->text(),
                 QString::number(rows.back().issue));
        first->setText(QString::number(rows[2].issue));
        QSignalSpy done(&dialog, &BacktestDialog::finished);
        dialog.start();
        dialog.cancel();
        QVERIFY(done.wait(60000));
        QVERIFY(dialog.result().cancelled);
        QVERIFY(dialog.result().targets.size() < rows.size() - 2);
        QVERIFY(dialog.summaryText().startsWith(QStringLiteral("已取消")));
    }
};

}  // namespace arrange5

QTEST_MAIN(arrange5::BacktestDialogTest)
#include "backtest_dialog_test.moc"
