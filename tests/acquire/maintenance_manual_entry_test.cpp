#include <gtest/gtest.h>

#include "acquire/maintenance.h"
#include "maintenance_fixture.h"
#include "store/draw_appender.h"
#include "store/errors.h"
#include "store/sql_connection.h"

namespace arrange5 {
namespace {

using test::cell;
using test::positions;
using test::TempDir;

TEST(ManualEntry, StoresUnderTheNextIssueWithTheLastRowAsPreviousDraw) {
    TempDir dir;
    HistoryStore store(dir.path());
    LastTwoDraws seedState;
    test::seedHistory(store, test::entriesFrom(2013357, {"24680", "13579"}), seedState);
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;  // a fresh run: nothing appended since start-up

    EXPECT_EQ(appendManualDraw(store, {1, 2, 3, 4, 5}), 2014001) << "after 2013358";
    EXPECT_EQ(nextIssueForDisplay(store.rows().back().issue), 2014002);
    auto& db = sqlConnection(store);
    EXPECT_EQ(cell(db, 2014001, "QQH"), "2014002");
    EXPECT_EQ(cell(db, 2014001, "txtHisLst"), "13579");
    EXPECT_EQ(cell(db, 2014001, "txtHisLstDs"), "1X1 2X1 3X1 4X1 5X1 ");
    EXPECT_EQ(positions(db, 2014001, "AS"), "00000") << "S state starts at zero";
    EXPECT_EQ(positions(db, 2014001, "AP"), "00000");
    EXPECT_EQ(cell(db, 2014001, "txtHisPreLst"), "") << "only the rebuild fills txtHisPre…";

    EXPECT_EQ(appendManualDraw(store, {0, 9, 0, 9, 0}), 2014002);
    EXPECT_EQ(cell(db, 2014002, "txtHisLst"), "12345");
    EXPECT_EQ(positions(db, 2014002, "AS"), "12345") << "the draw appended last";
    EXPECT_EQ(positions(db, 2014002, "AP"), "00000");
    EXPECT_EQ(positions(db, 2014002, "F"), "15151");
    EXPECT_EQ(sp.s, deriveCodes({0, 9, 0, 9, 0}, 1));
    EXPECT_EQ(sp.p, deriveCodes({1, 2, 3, 4, 5}, 1));
    EXPECT_EQ(store.rows().size(), 4u) << "the reading cursor is reopened";
}

TEST(ManualEntry, AnEmptyHistoryTakesTheIssueGivenAndRefusesBadOnes) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    EXPECT_THROW(appendManualDraw(store, {1, 2, 3, 4, 5}), InputError);
    for (const int32_t bad : {0, -2013001, 2013000, 999999, 10000000, 201301}) {
        EXPECT_THROW(appendManualDraw(store, {1, 2, 3, 4, 5}, bad), InputError) << bad;
    }
    EXPECT_THROW(appendManualDraw(store, {1, 2, 3, 4, 10}, 2013001), InputError);
    EXPECT_THROW(appendManualDraw(store, {-1, 2, 3, 4, 5}, 2013001), InputError);
    store.reopenReadingCursor();
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(sp.s, CodeVectors{});

    EXPECT_EQ(appendManualDraw(store, {1, 2, 3, 4, 5}, 2026001), 2026001);
    EXPECT_EQ(cell(sqlConnection(store), 2026001, "txtHisLst"), "") << "no previous draw";
    EXPECT_EQ(cell(sqlConnection(store), 2026001, "txtHisLstHm"), "");
    // Once there is a row, an issue given must follow it: a wrong one is refused, not ignored.
    EXPECT_THROW(appendManualDraw(store, {5, 4, 3, 2, 1}, 2030001), InputError);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2026001}));
    EXPECT_EQ(appendManualDraw(store, {5, 4, 3, 2, 1}, 2027001), 2027001);
}

TEST(ManualEntry, UsesTheTableAsItStandsNotAnOutdatedSnapshot) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"11111"}), sp);
    {
        HistoryStore other(dir.path());
        appendManualDraw(other, {2, 2, 2, 2, 2});
    }
    ASSERT_EQ(store.rows().size(), 1u);
    EXPECT_EQ(appendManualDraw(store, {3, 3, 3, 3, 3}), 2013003);
    EXPECT_EQ(cell(sqlConnection(store), 2013003, "txtHisLst"), "22222");
}

TEST(ManualEntry, AFailedAppendStoresNothingAndKeepsTheState) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"11111", "22222"}), sp);
    const LastTwoDraws before = sp;
    test::failInsertOf(sqlConnection(store), 2013003);
    EXPECT_THROW(appendManualDraw(store, {3, 3, 3, 3, 3}), StoreError);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013001, 2013002}));
    EXPECT_EQ(sp.s, before.s);
    EXPECT_EQ(sp.p, before.p);
}

}  // namespace
}  // namespace arrange5
