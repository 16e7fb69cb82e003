// The reading cursor is not read again when nothing changed; every kind of change must
// still show on the next reopen.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <gtest/gtest.h>

#include "store/draw_appender.h"
#include "store/history_store.h"
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
    append(store.db(), state, 2013001, {1, 2, 3, 4, 5});
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
        SQLite::Transaction tx(store.db());
        append(store.db(), state, 2013001, {1, 2, 3, 4, 5});
        store.reopenReadingCursor();
        EXPECT_EQ(store.rows().size(), 1u);
    }  // rolled back: no count or version moves
    store.reopenReadingCursor();
    EXPECT_TRUE(store.empty());
}

}  // namespace
}  // namespace arrange5
