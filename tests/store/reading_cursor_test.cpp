// The reading cursor is not read again when nothing changed; every kind of change must
// still show on the next reopen, and the history document tells each change once.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/draw_appender.h"
#include "store/errors.h"
#include "store/history_document.h"
#include "store/history_store.h"
#include "store/row_check.h"
#include "store/sql_connection.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using test::TempDir;

void append(SQLite::Database& db, AppendState& state, int issue, const Digits& digits) {
    DrawAppender appender(db);
    appender.append(issue, digits, 1, state);
}

TEST(ReadingCursor, ShowsEveryChangeWhoeverMadeIt) {
    TempDir dir;
    HistoryStore store(dir.path());
    AppendState state;
    append(sqlConnection(store), state, 2013001, {1, 2, 3, 4, 5});
    store.reopenReadingCursor();
    ASSERT_EQ(store.rows().size(), 1u);
    store.reopenReadingCursor();  // nothing changed
    ASSERT_EQ(store.rows().size(), 1u);

    // Another connection changes a draw's codes without changing the number of rows.
    SQLite::Database other(store.databasePath().string(), SQLite::OPEN_READWRITE);
    other.setBusyTimeout(3000);
    other.exec("UPDATE Lishi SET L1A = 9 WHERE SQQH = 2013001");
    store.reopenReadingCursor();
    EXPECT_EQ(store.rows()[0].digits()[0], 9);

    AppendState otherState;
    append(other, otherState, 2013002, {5, 4, 3, 2, 1});
    store.reopenReadingCursor();
    ASSERT_EQ(store.rows().size(), 2u);
    EXPECT_EQ(store.rows()[1].issue, 2013002);
}

TEST(ReadingCursor, RowsReadInsideATransactionThatRollsBackAreReadAgain) {
    TempDir dir;
    HistoryStore store(dir.path());
    AppendState state;
    {
        SQLite::Transaction tx(sqlConnection(store));
        append(sqlConnection(store), state, 2013001, {1, 2, 3, 4, 5});
        store.reopenReadingCursor();
        EXPECT_EQ(store.rows().size(), 1u);
    }  // rolled back: no count or version moves
    store.reopenReadingCursor();
    EXPECT_TRUE(store.empty());
}

// Whatever another program wrote into a row, the reading cursor never turns it into a
// sound-looking draw, and the row check names the row and what is wrong with it.
TEST(ReadingCursor, EveryStoredValueThatIsNoDigitIsNamedWhereItIsRead) {
    struct Case {
        const char* change;
        const char* says;
    };
    const std::vector<Case> cases{
        {"L1A = 12", "第 2013002 期存入的第 1 位号码是 12，超出了 0 到 9 的范围"},
        {"L3A = -1", "第 3 位号码是 -1，超出了 0 到 9 的范围"},
        {"L5A = 99999", "第 5 位号码不是 0 到 9 之间的整数"},
        {"L2A = 65541", "第 2 位号码不是 0 到 9 之间的整数"},  // 5 once narrowed to 16 bits
        {"L1A = 'a'", "第 1 位号码不是 0 到 9 之间的整数"},
        {"L1A = 1.5", "第 1 位号码不是 0 到 9 之间的整数"},
        {"L1B = 1", "存入的大小、单双或段数与这一期的号码 12345 不符"},
        {"L2F = 9", "大小、单双或段数"},
        {"L1F = 0", "大小、单双或段数"},  // base 0 at one position, base 1 at the others
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TempDir dir;
        HistoryStore store(dir.path());
        AppendState state;
        for (int issue : {2013001, 2013002, 2013003}) {
            append(sqlConnection(store), state, issue, {1, 2, 3, 4, 5});
        }
        store.reopenReadingCursor();
        EXPECT_EQ(firstRowProblem(store.rows()), std::nullopt);
        sqlConnection(store).exec(std::string("UPDATE Lishi SET ") + c.change +
                                  " WHERE SQQH = 2013002");
        store.reopenReadingCursor();
        const auto problem = firstRowProblem(store.rows());
        ASSERT_TRUE(problem.has_value());
        EXPECT_THAT(*problem, ::testing::HasSubstr("第 2013002 期"));
        EXPECT_THAT(*problem, ::testing::HasSubstr(c.says));
        EXPECT_THROW(requireSoundRows(store.rows(), "检索"), StoreError);
    }
}

// Each change reaches the listeners once, with the ends before and after; our own writes and
// compaction are never taken for another program's, and a deferred command's writes arrive
// together when it ends.
TEST(HistoryDocument, TellsEveryChangeOnceAndOnlyOutsideOnesAsOutside) {
    TempDir dir;
    HistoryDocument doc(dir.path());
    std::vector<HistoryChange> heard;
    doc.subscribe([&](const HistoryChange& c) { heard.push_back(c); });
    const auto appendOne = [&](int issue) {
        doc.store().write(
            "test",
            [&](HistoryWriter& writer) {
                writer.appendDraw(issue, {1, 2, 3, 4, 5});
            },
            ChangeKind::Appended);
    };

    appendOne(2013001);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].kind, ChangeKind::Appended);
    EXPECT_FALSE(heard[0].outside);
    EXPECT_EQ(heard[0].before.count, 0u);
    EXPECT_EQ(heard[0].after.lastIssue, 2013001);
    EXPECT_FALSE(doc.followOutsideChanges()) << "our own write taken for another program's";

    doc.store().write(
        "test", [](HistoryWriter&) {}, ChangeKind::WorkingColumns);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_FALSE(heard[1].drawsChanged());

    doc.store().compactDb();
    EXPECT_FALSE(doc.followOutsideChanges()) << "a compacted file taken for another program's";
    heard.clear();

    {
        const auto deferral = doc.deferNotifications();
        appendOne(2013002);
        appendOne(2013003);
        EXPECT_TRUE(heard.empty());
    }
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].before.lastIssue, 2013001);
    EXPECT_EQ(heard[0].after.count, 3u);
    EXPECT_EQ(heard[0].kind, ChangeKind::Appended) << "two appends told as one";

    SQLite::Database other(doc.store().databasePath().string(), SQLite::OPEN_READWRITE);
    other.setBusyTimeout(3000);
    other.exec("DELETE FROM Lishi WHERE SQQH = 2013003");
    EXPECT_TRUE(doc.followOutsideChanges());
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[1].outside);
    EXPECT_EQ(heard[1].kind, ChangeKind::Replaced) << "what another program did is not known";
    EXPECT_EQ(heard[1].after.lastIssue, 2013002);
    EXPECT_EQ(doc.rows().size(), 2u);
    EXPECT_FALSE(doc.followOutsideChanges());
}

}  // namespace
}  // namespace arrange5
