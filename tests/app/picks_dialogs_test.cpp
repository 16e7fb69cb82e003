// The two dialogs of a pick as a user drives them: the fields reach the library's filter and
// journal, refusals become a message, and the list and the journal show what was stored.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include "app/filter_dialog.h"
#include "app/pick_dialog.h"
#include "app/text_table_model.h"
#include "app_test_support.h"
#include "store/history_document.h"
#include "store/pick_journal.h"

namespace arrange5 {

class PicksDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void filterCountsExportsVerifiesAndKeepsTheListAsAPick() {
        test::TempDir dir;
        test::FakeDialogs dialogs;
        test::seedFolder(dir.path(), test::entriesFrom(2026001, {"12345", "67890", "13579"}));
        HistoryDocument document(dir.path());
        FilterDialog dialog(document, &dialogs);
        dialog.game()->setCurrentIndex(1);  // 排列三
        dialog.field("pos1")->setText("13");
        dialog.field("kill")->setText("0");
        QVERIFY(dialog.apply());
        QCOMPARE(dialog.result()->count, 2 * 9 * 9);
        dialog.field("pos4")->setText("1");  // no fourth digit in 排列三
        QVERIFY(!dialog.apply());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.front().contains("--pos4"));
        dialog.field("pos4")->clear();
        dialog.exportText();
        QCOMPARE(test::readFile(dir / "Dadi.txt").substr(0, 10), std::string("111\r\n112\r\n"));
        QCOMPARE(dialogs.opened.size(), std::size_t(1));
        dialog.verify();
        QVERIFY(dialog.verdict()->text().contains("3 个目标期"));
        dialogs.confirmations.push_back(true);
        dialog.keepAsPick();
        const auto journal = readPickJournal(document.store());
        QCOMPARE(journal.size(), std::size_t(1));
        QCOMPARE(journal[0].issue, 2026004);
        QCOMPARE(journal[0].numbers.size(), std::size_t(162));
    }

    void picksAreTypedWithdrawnAndCheckedInTheTable() {
        test::TempDir dir;
        test::FakeDialogs dialogs;
        test::seedFolder(dir.path(), test::entriesFrom(2026001, {"12345"}));
        HistoryDocument document(dir.path());
        PickDialog dialog(document, &dialogs);
        dialog.numbers()->setText("123 456");
        dialog.play()->setCurrentIndex(2);  // 组选
        dialog.add();
        dialog.issue()->setText("2026001");  // drawn already: refused with a message
        dialog.numbers()->setText("12345");
        dialog.play()->setCurrentIndex(0);
        dialog.add();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialog.model()->rowCount(), 1);
        dialog.table()->setCurrentIndex(dialog.model()->index(0, 0));
        dialogs.confirmations.push_back(true);
        dialog.withdraw();
        QCOMPARE(dialog.model()->rowCount(), 2);
        QCOMPARE(dialog.model()->rows()[0][6], QStringLiteral("已撤回"));
    }
};

}  // namespace arrange5

QTEST_MAIN(arrange5::PicksDialogsTest)
#include "picks_dialogs_test.moc"
