#include <gtest/gtest.h>

#include "acquire/maintenance.h"
#include "maintenance_fixture.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/sql_connection.h"

namespace arrange5 {
namespace {

using test::cell;
using test::positions;
using test::TempDir;

LastTwoDraws stateAfter(const std::vector<Digits>& draws, int base = 1) {
    LastTwoDraws sp;
    for (const auto& d : draws) {
        sp.p = sp.s;
        sp.s = deriveCodes(d, base);
    }
    return sp;
}

TEST(Rebuild, ThreeLineBackupGivesEachRowItsTwoPredecessors) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2010001, {"55555", "44444"}), sp);
    // What the window appended last before the rebuild: 8 8 8 8 8, then 9 9 9 9 9.
    sp = stateAfter({{8, 8, 8, 8, 8}, {9, 9, 9, 9, 9}});
    test::writeFile(dir / "lsbf.txt", "2013001 12345\r\n2013002 67890\r\n2013003 00000\r\n");

    const ReplaceReport report = rebuildFromBackup(store);
    EXPECT_EQ(report.stored, 3u);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013001, 2013002, 2013003}));
    auto& db = sqlConnection(store);

    for (const char* c :
         {"txtHisLst", "txtHisLstHm", "txtHisLstDx", "txtHisLstDs", "txtHisLstDuan", "txtHisPreLst",
          "txtHisPreLstHm", "txtHisPreLstDx", "txtHisPreLstDs", "txtHisPreLstDuan"}) {
        EXPECT_EQ(cell(db, 2013001, c), "") << c;
    }
    EXPECT_EQ(positions(db, 2013001, "AS"), "99999") << "S state from before the rebuild";
    EXPECT_EQ(positions(db, 2013001, "AP"), "88888") << "P state from before the rebuild";

    EXPECT_EQ(cell(db, 2013002, "txtHisLst"), "12345");
    EXPECT_EQ(cell(db, 2013002, "txtHisLstHm"), "1X1 1X2 1X3 1X4 1X5 ");
    EXPECT_EQ(positions(db, 2013002, "AS"), "12345");
    EXPECT_EQ(positions(db, 2013002, "AP"), "99999");
    for (const char* c : {"txtHisPreLst", "txtHisPreLstHm", "txtHisPreLstDx", "txtHisPreLstDs",
                          "txtHisPreLstDuan"}) {
        EXPECT_EQ(cell(db, 2013002, c), "") << c;
    }

    EXPECT_EQ(cell(db, 2013003, "txtHisLst"), "67890");
    EXPECT_EQ(cell(db, 2013003, "txtHisPreLst"), "12345");
    for (const std::string kind : {"Hm", "Dx", "Ds", "Duan"}) {
        EXPECT_EQ(cell(db, 2013003, "txtHisPreLst" + kind), cell(db, 2013002, "txtHisLst" + kind))
            << kind;
    }
    EXPECT_EQ(positions(db, 2013003, "AS"), "67890");
    EXPECT_EQ(positions(db, 2013003, "AP"), "12345");
    EXPECT_EQ(positions(db, 2013003, "A"), "00000");
    EXPECT_EQ(cell(db, 2013003, "QQH"), "2013004");

    EXPECT_EQ(sp.s, deriveCodes({0, 0, 0, 0, 0}, 1)) << "state left at the last line";
    EXPECT_EQ(sp.p, deriveCodes({6, 7, 8, 9, 0}, 1));
    EXPECT_TRUE(std::filesystem::exists(dir / "lsbf.txt")) << "the rebuild leaves lsbf.txt";
}

TEST(Rebuild, RecomputesEveryRowUnderTheSegmentBaseInForce) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"99999", "88888", "98765", "01234"}), sp,
                      1);
    ASSERT_EQ(sqlConnection(store).execAndGet("SELECT MAX(L1F) FROM Lishi").getInt(), 5);
    context.segmentBase = 0;
    ASSERT_TRUE(cutToIssue(store, 2013004).has_value());

    auto& db = sqlConnection(store);
    EXPECT_EQ(db.execAndGet("SELECT MIN(MIN(L1F, L2F, L3F, L4F, L5F)) FROM Lishi").getInt(), 0);
    EXPECT_EQ(db.execAndGet("SELECT MAX(MAX(L1F, L2F, L3F, L4F, L5F)) FROM Lishi").getInt(), 4);
    // From the third row on, S and P describe rows of the rebuild itself.
    EXPECT_EQ(db.execAndGet("SELECT MAX(MAX(L1FS, L2FS, L3FS, L4FS, L5FS, L1FP, L2FP, L3FP, "
                            "L4FP, L5FP)) FROM Lishi WHERE SQQH > 2013002")
                  .getInt(),
              4);
    EXPECT_EQ(cell(db, 2013002, "txtHisLstDuan"), "1X4 2X4 3X4 4X4 5X4 ");
}

TEST(Rebuild, ABackupItCannotUseLeavesTheHistoryAsItWas) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"12345", "67890", "13579"}), sp);
    const auto before = test::dumpLishi(sqlConnection(store));
    const LastTwoDraws spBefore = sp;

    EXPECT_THROW(rebuildFromBackup(store), HistoryFileError) << "no lsbf.txt at all";
    test::writeFile(dir / "lsbf.txt", "header line\r\n0000000 12345\r\n2013001 1234\r\n");
    EXPECT_THROW(rebuildFromBackup(store), HistoryFileError) << "lines, but no draw line";
    std::filesystem::remove(dir / "lsbf.txt");
    std::filesystem::create_directory(dir / "lsbf.txt");
    EXPECT_THROW(rebuildFromBackup(store), HistoryFileError) << "not a readable file";

    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
    EXPECT_EQ(store.rows().size(), 3u);
    EXPECT_EQ(sp.s, spBefore.s);
    EXPECT_EQ(sp.p, spBefore.p);
}

TEST(Rebuild, AFailureHalfWayLeavesTheOldHistoryWhole) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"12345", "67890", "13579", "24680"}), sp);
    const auto before = test::dumpLishi(sqlConnection(store));
    const LastTwoDraws spBefore = sp;
    test::failInsertOf(sqlConnection(store), 2013003);

    EXPECT_THROW(cutToIssue(store, 2013003), StoreError);
    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013001, 2013002, 2013003, 2013004}));
    EXPECT_EQ(sp.s, spBefore.s) << "the state advances only when the rebuild committed";
    EXPECT_FALSE(std::filesystem::exists(dir / kCompactScratchFileName))
        << "no compaction after a failed rebuild";
}

TEST(Rebuild, EmptyBackupKeepsNothingAndSkipsIssueZero) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"12345", "67890"}), sp);
    const LastTwoDraws spBefore = sp;

    test::writeFile(dir / "lsbf.txt", "0000000 11111\r\n2013005 22222\r\n");
    const ReplaceReport one = rebuildFromBackup(store);
    EXPECT_EQ(one.stored, 1u);
    EXPECT_EQ(one.skipped, 1u);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013005}));

    // A hand-edited backup: each line is trimmed before it is read.
    sp = spBefore;
    test::writeFile(dir / "lsbf.txt", "  2013005 22222\r\n 2013006 33333  \r\n");
    EXPECT_EQ(rebuildFromBackup(store).stored, 2u);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013005, 2013006}));

    sp = spBefore;
    test::writeFile(dir / "lsbf.txt", "");
    EXPECT_EQ(rebuildFromBackup(store).stored, 0u);
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(sqlConnection(store).execAndGet("SELECT COUNT(*) FROM Lishi").getInt(), 0);
    EXPECT_EQ(sp.s, spBefore.s) << "nothing appended, nothing advanced";
}

}  // namespace
}  // namespace arrange5
