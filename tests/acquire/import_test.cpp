#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include "acquire/export_text.h"
#include "acquire/replace_history.h"
#include "store/errors.h"
#include "store/history_document.h"
#include "store/sql_connection.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using test::TempDir;

TEST(Import, ReplacesTheHistoryAndRecomputesFromTheFileAlone) {
    TempDir dir;
    HistoryDocument document(dir.path());
    HistoryStore& store = document.store();
    test::writeFile(dir / "a.txt",
                    test::historyText(test::entriesFrom(2012001, {"99999", "88888"})));
    importHistoryFile(store, dir / "a.txt");
    test::writeFile(dir / "b.TXT",
                    test::historyText(test::entriesFrom(2013001, {"12345", "67890", "99999"})));
    document.setSegmentBase(0);
    const ReplaceReport report = importHistoryFile(store, dir / "b.TXT");
    EXPECT_EQ(report.stored, 3u);
    ASSERT_EQ(store.rows().size(), 3u);
    EXPECT_EQ(store.rows()[0].issue, 2013001) << "draws absent from the file are gone";
    for (int i = 0; i < 5; ++i) EXPECT_EQ(store.rows()[2].codes[3][i], 4) << "base 0 in force";

    SQLite::Statement q(sqlConnection(store),
                        "SELECT txtHisLst, L1AS, txtHisPreLst FROM Lishi ORDER BY SQQH");
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "") << "the first row has no previous draw";
    EXPECT_EQ(q.getColumn(1).getInt(), 8) << "S state continues from the earlier import";
    ASSERT_TRUE(q.executeStep());
    EXPECT_EQ(q.getColumn(0).getString(), "12345");
    EXPECT_EQ(q.getColumn(2).getString(), "");
}

TEST(Import, FailuresLeaveTheHistoryExactlyAsItWas) {
    TempDir dir;
    HistoryStore store(dir.path());
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    test::writeFile(dir / "good.txt",
                    test::historyText(test::entriesFrom(2013001, {"12345", "67890"})));
    importHistoryFile(store, dir / "good.txt");
    const auto before = test::dumpLishi(sqlConnection(store));
    const LastTwoDraws spBefore = sp;

    test::writeFile(dir / "junk.txt", "no draws here\r\n0000000 12345\r\n");
    test::writeFile(dir / "empty.txt", "");
    test::writeFile(dir / "draws.csv", test::historyText(test::entriesFrom(2014001, {"11111"})));
    EXPECT_THROW(importHistoryFile(store, dir / "junk.txt"), HistoryFileError);
    EXPECT_THROW(importHistoryFile(store, dir / "empty.txt"), HistoryFileError);
    EXPECT_THROW(importHistoryFile(store, dir / "missing.txt"), HistoryFileError);
    EXPECT_THROW(importHistoryFile(store, dir / "draws.csv"), HistoryFileError);
    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
    EXPECT_EQ(sp.s, spBefore.s);

    bool cancelled = false;
    try {
        importHistoryFile(store, test::realHistoryFile(),
                          [](std::size_t done, std::size_t) { return done < 5000; });
    } catch (const CancelledError&) {
        cancelled = true;
    }
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(test::dumpLishi(sqlConnection(store)), before);
}

TEST(Import, ExportThenImportGivesBackTheSameIssuesAndDigits) {
    TempDir dir;
    HistoryStore store(dir.path());
    const ReplaceReport report = importHistoryFile(store, test::realHistoryFile());
    EXPECT_EQ(report.stored, 7641u);
    EXPECT_EQ(report.skipped, 0u);
    const HistorySnapshot original = store.rows();
    const auto file = exportHistoryText(store);
    EXPECT_EQ(file.filename().string(), "更新至2026174期历史号码.txt");
    EXPECT_EQ(test::readFile(file), test::readFile(test::realHistoryFile()));
    importHistoryFile(store, file);
    ASSERT_EQ(store.rows().size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(store.rows()[i].issue, original[i].issue);
        EXPECT_EQ(store.rows()[i].codes, original[i].codes);
    }
}

TEST(Export, AnEmptyHistoryWritesNothing) {
    TempDir dir;
    HistoryStore store(dir.path());
    EXPECT_THROW(exportHistoryText(store), InputError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()) || !std::filesystem::exists(dir / "更新至"));
}

}  // namespace
}  // namespace arrange5
