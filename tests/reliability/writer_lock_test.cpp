// One writer per data folder: a second writer waits briefly and then refuses with a clear
// message; readers are never kept out; nothing is corrupted.
#include "store/writer_lock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "acquire/replace_history.h"
#include "reliability/process_runner.h"
#include "store/errors.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using ::testing::HasSubstr;

HistoryText textOf(const std::vector<HistoryEntry>& entries) {
    HistoryText t;
    t.entries = entries;
    return t;
}

TEST(OneWriter, SecondStoreIsRefusedWhileTheFirstWritesAndReadsMeanwhile) {
    TempDir dir;
    HistoryStore first(dir.path());
    HistoryStore second(dir.path());
    second.setWriterWait(std::chrono::milliseconds(100));
    replaceHistory(first, textOf(test::manyDraws(30, 1)), EarlierColumns::LeaveEmpty, "a");
    {
        const auto outer = first.lockForWriting();
        {
            const auto inner = first.lockForWriting();  // nested holds share the lock
        }
        try {
            replaceHistory(second, textOf(test::manyDraws(5, 2)), EarlierColumns::LeaveEmpty, "b");
            FAIL() << "the second writer was let in";
        } catch (const StoreBusyError& e) {
            EXPECT_THAT(e.what(), HasSubstr("另一个 arrange5 程序正在改动"));
            EXPECT_THAT(e.what(), HasSubstr("什么也没有改变"));
        }
        second.reopenReadingCursor();
        EXPECT_EQ(second.rows().size(), 30u) << "a reader is not kept out";
        // The holder itself keeps writing.
        replaceHistory(first, textOf(test::manyDraws(20, 3)), EarlierColumns::LeaveEmpty, "c");
    }
    replaceHistory(second, textOf(test::manyDraws(5, 2)), EarlierColumns::LeaveEmpty, "b");
    first.reopenReadingCursor();
    EXPECT_EQ(first.rows().size(), 5u);
}

TEST(OneWriter, CommandLineWaitsBrieflyThenRefusesAndReadsAllTheWhile) {
    TempDir dir;
    const auto old = test::manyDraws(50, 4);
    test::writeFile(dir / "old.txt", test::historyText(old));
    test::writeFile(dir / "new.txt", test::historyText(test::manyDraws(60, 5)));
    const std::string folder = dir.path().string();
    ASSERT_EQ(
        test::runCliProcess({"--dir", folder, "import", (dir / "old.txt").string()}, dir.path())
            .status,
        0);
    {
        WriterLock held(dir.path(), std::chrono::milliseconds(0));
        const auto refused = test::runCliProcess(
            {"--dir", folder, "import", (dir / "new.txt").string()}, dir.path());
        EXPECT_EQ(refused.status, 2);
        EXPECT_THAT(refused.err, HasSubstr("另一个 arrange5 程序正在改动"));
        const auto read = test::runCliProcess({"--dir", folder, "history"}, dir.path());
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_EQ(read.out.size(), old.size() * 14);
        EXPECT_THROW(WriterLock(dir.path(), std::chrono::milliseconds(10)), StoreBusyError);
    }
    EXPECT_EQ(test::storedDraws(dir / "Zembric.mdb"), test::drawLines(old));

    // A writer that finishes within the wait only delays the second.
    std::thread holder([&] {
        WriterLock held(dir.path(), std::chrono::milliseconds(0));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto waited =
        test::runCliProcess({"--dir", folder, "import", (dir / "new.txt").string()}, dir.path());
    holder.join();
    EXPECT_EQ(waited.status, 0) << waited.err;
}

TEST(OneWriter, TwoImportsAtOnceEndWithOneWholeHistory) {
    TempDir dir;
    const auto a = test::manyDraws(100000, 6);
    const auto b = test::manyDraws(80000, 7);
    test::writeFile(dir / "a.txt", test::historyText(a));
    test::writeFile(dir / "b.txt", test::historyText(b));
    const std::string folder = dir.path().string();
    ASSERT_EQ(test::runCliProcess({"--dir", folder, "history"}, dir.path()).status, 0);

    const pid_t first =
        test::startCliProcess({"--dir", folder, "import", (dir / "a.txt").string()});
    const pid_t second =
        test::startCliProcess({"--dir", folder, "import", (dir / "b.txt").string()});
    const int s1 = test::waitForProcess(first);
    const int s2 = test::waitForProcess(second);
    EXPECT_TRUE(s1 == 0 || s1 == 2);
    EXPECT_TRUE(s2 == 0 || s2 == 2);
    EXPECT_TRUE(s1 == 0 || s2 == 0);
    EXPECT_EQ(test::integrityCheck(dir / "Zembric.mdb"), "ok");
    const auto stored = test::storedDraws(dir / "Zembric.mdb");
    EXPECT_TRUE(stored == test::drawLines(a) || stored == test::drawLines(b))
        << stored.size() << " rows";
}

}  // namespace
}  // namespace arrange5
