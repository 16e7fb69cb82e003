#include "store/history_store.h"

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <gtest/gtest.h>

#include "store/draw_appender.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/sql_connection.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using test::TempDir;

void appendDraws(HistoryStore& store, AppendState& state, int firstIssue,
                 const std::vector<Digits>& draws, int base = 1) {
    SQLite::Transaction tx(sqlConnection(store));
    DrawAppender appender(sqlConnection(store));
    int issue = firstIssue;
    for (const auto& d : draws) {
        appender.append(issue, d, base, state);
        issue = nextIssueForDisplay(issue);
    }
    tx.commit();
}

TEST(HistoryStore, CreatesEveryColumnOnFirstOpen) {
    TempDir dir;
    HistoryStore store(dir.path());
    EXPECT_TRUE(store.empty());
    SQLite::Statement q(sqlConnection(store), "SELECT name FROM pragma_table_info('Lishi')");
    std::vector<std::string> names;
    while (q.executeStep()) names.push_back(q.getColumn(0).getString());
    EXPECT_EQ(names, lishiColumns());
    EXPECT_EQ(names.size(), 2u + 60u + 13u);
    EXPECT_TRUE(sqlConnection(store).tableExists("Carcu"));
}

TEST(HistoryStore, SnapshotSeesAppendedRowsOnlyAfterReopen) {
    TempDir dir;
    HistoryStore store(dir.path());
    AppendState state;
    appendDraws(store, state, 2013001, {{1, 2, 3, 4, 5}});
    EXPECT_TRUE(store.empty());
    store.reopenReadingCursor();
    ASSERT_EQ(store.rows().size(), 1u);
    EXPECT_EQ(store.rows()[0].issue, 2013001);

    sqlConnection(store).exec("DELETE FROM Lishi");
    EXPECT_EQ(store.rows().size(), 1u) << "the snapshot keeps the old rows until reopened";
    store.reopenReadingCursor();
    EXPECT_TRUE(store.empty());
    // On an empty table: nothing happens.
    EXPECT_EQ(
        store.write(
            "x", [](HistoryWriter& writer) { return writer.deleteAll(); }, ChangeKind::Deleted),
        0u);
    EXPECT_TRUE(store.empty());
}

TEST(DrawAppender, WritesPredecessorColumnsAndAdvancesState) {
    TempDir dir;
    HistoryStore store(dir.path());
    AppendState state;
    appendDraws(store, state, 2013358, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 0}, {0, 0, 0, 0, 0}});
    SQLite::Statement q(sqlConnection(store),
                        "SELECT SQQH, QQH, txtHisLst, txtHisLstHm, L1AS, L5AS, L1AP, L3FS, "
                        "txtHisPreLst FROM Lishi ORDER BY SQQH");
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getInt(), 2013358);
    EXPECT_EQ(q.getColumn(1).getInt(), 2013359) << "QQH never rolls over";
    EXPECT_EQ(q.getColumn(2).getString(), "") << "the first row has no previous draw";
    EXPECT_EQ(q.getColumn(4).getInt(), 0) << "S state starts at zero";
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getInt(), 2014001);
    EXPECT_EQ(q.getColumn(2).getString(), "12345");
    EXPECT_EQ(q.getColumn(3).getString(), "1X1 1X2 1X3 1X4 1X5 ");
    EXPECT_EQ(q.getColumn(4).getInt(), 1);
    EXPECT_EQ(q.getColumn(5).getInt(), 5);
    EXPECT_EQ(q.getColumn(6).getInt(), 0);
    EXPECT_EQ(q.getColumn(7).getInt(), 2) << "segment of 3 with base 1";
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(2).getString(), "67890");
    EXPECT_EQ(q.getColumn(6).getInt(), 1) << "P state: the draw two before";
    EXPECT_EQ(q.getColumn(8).getString(), "") << "only the rebuild fills txtHisPre…";
    EXPECT_EQ(state.previous.digits, "00000");
}

TEST(HistoryStore, CompactionKeepsTheDataAndRemovesItsScratchFile) {
    TempDir dir;
    test::writeFile(dir / kCompactScratchFileName, "left over from an earlier run");
    HistoryStore store(dir.path());
    AppendState state;
    appendDraws(store, state, 2013001, {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}});
    store.compactDb();
    ASSERT_EQ(store.rows().size(), 2u);
    EXPECT_EQ(store.rows()[1].digits(), (Digits{5, 4, 3, 2, 1}));
    EXPECT_TRUE(looksLikeSqliteFile(dir / kDatabaseFileName));
    EXPECT_FALSE(std::filesystem::exists(dir / kCompactScratchFileName));
    SQLite::Database file((dir / kDatabaseFileName).string());
    EXPECT_EQ(file.execAndGet("SELECT COUNT(*) FROM Lishi").getInt(), 2);
}

TEST(HistoryStore, WriteCommitsWholeBodiesOnlyAndTellsWhenAFailureCameAfterTheCommit) {
    TempDir dir;
    HistoryStore store(dir.path());
    AppendState state;
    appendDraws(store, state, 2013001, {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}});
    store.reopenReadingCursor();
    const auto files = [&] {
        return test::readFile(dir / kDatabaseFileName) +
               test::readFile(dir / (std::string(kDatabaseFileName) + "-wal"));
    };
    const std::string before = files();

    // A body that fails half-way, with its own error or the database's, leaves every byte.
    EXPECT_THROW(store.write(
                     "x",
                     [&](HistoryWriter& writer) {
                         writer.execute("DELETE FROM Lishi");
                         throw InputError("typed");
                     },
                     ChangeKind::Deleted),
                 InputError);
    try {
        store.write(
            "第 2013003 期未能存入",
            [&](HistoryWriter& writer) {
                writer.execute("DELETE FROM Lishi");
                sqlConnection(store).exec("INSERT INTO Lishi (SQQH) VALUES (NULL, NULL)");
            },
            ChangeKind::Replaced);
        ADD_FAILURE() << "a failed statement was not reported";
    } catch (const ChangeCommittedError&) {
        ADD_FAILURE() << "a rolled-back change was reported as committed";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("第 2013003 期未能存入，历史号码保持原样", 0), 0u)
            << e.what();
    }
    EXPECT_EQ(files(), before);
    EXPECT_EQ(store.rows().size(), 2u);

    // The change is in the file when reading it back fails: a distinct error, so that
    // nobody repeats the command.
    EXPECT_THROW(
        store.write(
            "y", [](HistoryWriter& writer) { writer.execute("ALTER TABLE Lishi RENAME TO Moved"); },
            ChangeKind::Replaced),
        ChangeCommittedError);
    EXPECT_TRUE(sqlConnection(store).tableExists("Moved"));
}

TEST(HistoryStore, RefusesFilesItCannotReadAndLeavesThemUntouched) {
    for (const std::string& content :
         {std::string(), std::string("Standard Jet DB\0\0\0garbage", 24), std::string(4096, 'x')}) {
        TempDir dir;
        test::writeFile(dir / kDatabaseFileName, content);
        EXPECT_THROW(HistoryStore store(dir.path()), NotADatabaseError);
        EXPECT_EQ(test::readFile(dir / kDatabaseFileName), content);
    }
}

}  // namespace
}  // namespace arrange5
