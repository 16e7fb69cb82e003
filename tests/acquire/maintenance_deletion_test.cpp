#include <gtest/gtest.h>

#include "acquire/export_text.h"
#include "acquire/maintenance.h"
#include "maintenance_fixture.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/sql_connection.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// After a compaction Zembric.mdb holds the rows and ZembricTmp.mdb, its scratch copy, is gone.
void expectCompacted(const TempDir& dir, HistoryStore& store) {
    ASSERT_TRUE(fs::exists(dir / kDatabaseFileName));
    EXPECT_FALSE(fs::exists(dir / kCompactScratchFileName));
    SQLite::Database file((dir / kDatabaseFileName).string());
    EXPECT_EQ(test::dumpLishi(file), test::dumpLishi(sqlConnection(store)));
}

TEST(PartialDeletion, KeepsTheRowsUpToTheLimitAndRebuildsThem) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2014001, test::patternDraws(30)), sp);
    ASSERT_EQ(store.rows().back().issue, 2014030);
    test::writeFile(dir / kCompactScratchFileName, "left over from an earlier compaction");

    const auto cut = cutToIssue(store, 2014016);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->stored, 16u);
    EXPECT_EQ(store.rows().size(), 16u) << "fourteen rows removed";
    EXPECT_EQ(store.rows().back().issue, 2014016);
    EXPECT_EQ(test::readFile(dir / "lsbf.txt"),
              test::historyText(test::entriesFrom(2014001, test::patternDraws(16))));
    EXPECT_EQ(test::cell(sqlConnection(store), 2014003, "txtHisPreLst"), test::patternDraws(1)[0])
        << "kept rows are rebuilt, earlier columns included";
    expectCompacted(dir, store);

    const auto drop = dropLastIssues(store, 3);
    ASSERT_TRUE(drop.has_value());
    EXPECT_EQ(store.rows().back().issue, 2014013);
    EXPECT_EQ(store.rows().size(), 13u);
    expectCompacted(dir, store);
}

TEST(PartialDeletion, DropLastCountsIssueNumbersNotRows) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2014001, test::patternDraws(30)), sp);
    dropLastIssues(store, 3);
    EXPECT_EQ(store.rows().back().issue, 2014027);

    // Across a year boundary the limit 2016003 − 5 = 2015998 removes only the rows of 2016.
    test::seedHistory(store, test::entriesFrom(2015355, test::patternDraws(7)), sp);
    ASSERT_EQ(store.rows().back().issue, 2016003);
    dropLastIssues(store, 5);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2015355, 2015356, 2015357, 2015358}));

    dropLastIssues(store, 100);
    EXPECT_TRUE(store.empty()) << "a limit before the first issue keeps nothing";
}

TEST(PartialDeletion, CutToTheLastIssueOrBeyondKeepsEveryRow) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2014001, test::patternDraws(5)), sp);
    const std::string defaultText = std::to_string(store.rows().back().issue);
    cutToIssue(store, inputBoxNumber(defaultText));
    EXPECT_EQ(store.rows().size(), 5u);
    cutToIssue(store, 2099001);
    EXPECT_EQ(store.rows().size(), 5u);
    cutToIssue(store, 2013358);
    EXPECT_TRUE(store.empty()) << "an issue before the first keeps nothing";
    EXPECT_EQ(test::readFile(dir / "lsbf.txt"), "");
}

TEST(PartialDeletion, NothingIsDeletedForZeroNegativeEmptyOrCancel) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2014001, test::patternDraws(10)), sp);
    const auto before = test::dumpLishi(sqlConnection(store));
    // Cancel gives the empty text, like an empty entry.
    for (const std::string typed : {"0", "-3", "", "  ", "abc", "0.4"}) {
        for (const bool cut : {true, false}) {
            test::writeFile(dir / "lsbf.txt", "2014001 12345\r\n");
            const int64_t n = inputBoxNumber(typed);
            const auto result = cut ? cutToIssue(store, n) : dropLastIssues(store, n);
            EXPECT_FALSE(result.has_value()) << '"' << typed << '"';
            EXPECT_EQ(test::readFile(dir / "lsbf.txt"), "") << "lsbf.txt is emptied";
        }
    }
    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
    EXPECT_FALSE(fs::exists(dir / kCompactScratchFileName));
}

TEST(InputBoxNumber, RoundsHalvesToEvenAndTreatsTheRestAsZero) {
    const std::vector<std::pair<std::string, int64_t>> cases = {
        {"2014016", 2014016},
        {" 2014016 ", 2014016},
        {"+7", 7},
        {"-3", -3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.51", 3},
        {"2014016.5", 2014016},
        {"1e3", 1000},
        {".5", 0},
        {"1.", 1},
        {"", 0},
        {"abc", 0},
        {"12abc", 0},
        {"0x10", 0},
        {"inf", 0},
        {"nan", 0},
        {"1e", 0},
        {"-", 0},
        {"1 2", 0},
        {"1e-400", 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(inputBoxNumber(text), expected) << '"' << text << '"';
    }
    EXPECT_GT(inputBoxNumber("1e400"), int64_t{1} << 60) << "huge numbers saturate";
    EXPECT_LT(inputBoxNumber("-1e400"), -(int64_t{1} << 60));
    EXPECT_FALSE(parseWholeNumber("abc").has_value());
    EXPECT_EQ(parseWholeNumber("0"), 0);
}

TEST(DeleteLast, RemovesTheHighestIssueAndCompacts) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013358, {"12345", "67890"}), sp);
    test::writeFile(dir / kCompactScratchFileName, "left over");

    EXPECT_EQ(deleteLastDraw(store).issue, 2014001);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013358}));
    expectCompacted(dir, store);

    EXPECT_EQ(deleteLastDraw(store).issue, 2013358);
    EXPECT_TRUE(store.empty()) << "a one-row history becomes empty";
    EXPECT_THROW(deleteLastDraw(store), InputError);
}

TEST(DeleteLast, AFailedCompactionAfterTheCommitIsAWarningNotAFailure) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, {"12345", "67890", "13579", "24680"}), sp);
    // A folder in the way of the scratch file cannot be removed, so compaction cannot start.
    fs::create_directories(dir / kCompactScratchFileName / "blocker");
    const DeletedDraw deleted = deleteLastDraw(store);
    EXPECT_EQ(deleted.issue, 2013004);
    EXPECT_NE(deleted.warning.find("没有压缩"), std::string::npos) << deleted.warning;
    EXPECT_NE(deleted.warning.find("文件夹"), std::string::npos) << deleted.warning;
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013001, 2013002, 2013003}));
    // The deletions through lsbf.txt report the same way, and each removes what it says once.
    const auto dropped = dropLastIssues(store, 1);
    ASSERT_TRUE(dropped.has_value());
    EXPECT_NE(dropped->warning.find("没有压缩"), std::string::npos);
    const auto cut = cutToIssue(store, 2013001);
    ASSERT_TRUE(cut.has_value());
    EXPECT_NE(cut->warning.find("没有压缩"), std::string::npos);
    EXPECT_EQ(test::issues(store), (std::vector<int>{2013001}));
}

TEST(Clear, DeletesEveryRowWithoutCompacting) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, test::patternDraws(4)), sp);
    EXPECT_EQ(clearHistory(store), 4u);
    EXPECT_TRUE(store.empty());
    EXPECT_FALSE(fs::exists(dir / kCompactScratchFileName));
    EXPECT_EQ(clearHistory(store), 0u);
}

TEST(Maintenance, EveryCommandWaitsForAnotherWriterAndGivesUpWithoutChanges) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::seedHistory(store, test::entriesFrom(2013001, test::patternDraws(5)), sp);
    test::writeFile(dir / "lsbf.txt", "2013001 12345\r\n");
    const auto before = test::dumpLishi(sqlConnection(store));
    store.setWriterWait(std::chrono::milliseconds(50));
    HistoryStore other(dir.path());
    const HistoryStore::WriteLock held = other.lockForWriting();

    EXPECT_THROW(appendManualDraw(store, {1, 1, 1, 1, 1}), StoreBusyError);
    EXPECT_THROW(deleteLastDraw(store), StoreBusyError);
    EXPECT_THROW(clearHistory(store), StoreBusyError);
    EXPECT_THROW(cutToIssue(store, 2013002), StoreBusyError);
    EXPECT_THROW(dropLastIssues(store, 0), StoreBusyError);
    EXPECT_THROW(rebuildFromBackup(store), StoreBusyError);
    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
    EXPECT_EQ(test::readFile(dir / "lsbf.txt"), "2013001 12345\r\n");
}

TEST(PartialDeletion, CutToTheLastIssueOfTheRealHistoryKeepsItRowForRow) {
    TempDir dir;
    HistoryStore store(dir.path());
    importHistoryFile(store, test::realHistoryFile());
    const auto exported = exportHistoryText(store, dir / "export.txt");
    const std::size_t rows = store.rows().size();
    cutToIssue(store, store.rows().back().issue);
    EXPECT_EQ(store.rows().size(), rows);
    EXPECT_EQ(test::readFile(dir / "lsbf.txt"), test::readFile(exported));
    EXPECT_EQ(test::readFile(exported), test::readFile(test::realHistoryFile()));
}

}  // namespace
}  // namespace arrange5
