#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::runCliOn;
using test::TempDir;

std::string history(const TempDir& dir) {
    return runCliOn(dir, {"history"}).out;
}

// Exit status 2, nothing on stdout, exactly one line on stderr.
void expectRefused(const CliResult& run, const std::string& mentions) {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
}

TEST(MaintenanceCli, EnterDeleteLastAndClear) {
    TempDir dir;
    test::emptyHistoryIn(dir.path());
    expectRefused(runCliOn(dir, {"enter", "12345"}), "历史号码为空");
    EXPECT_EQ(history(dir), "");

    CliResult first = runCliOn(dir, {"enter", "12345", "--issue", "2013358"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "已存入第 2013358 期：12345\n");
    EXPECT_EQ(runCliOn(dir, {"enter", "06789"}).out, "已存入第 2014001 期：06789\n");
    expectRefused(runCliOn(dir, {"enter", "1234"}), "五个数字");
    expectRefused(runCliOn(dir, {"enter", "12a45"}), "五个数字");
    expectRefused(runCliOn(dir, {"enter", "11111", "--issue", "2020001"}), "2014002");
    expectRefused(runCliOn(dir, {"enter", "11111", "--issue", "2013000"}), "2013000");
    EXPECT_EQ(history(dir), "2013358 12345\n2014001 06789\n");

    CliResult del = runCliOn(dir, {"delete-last"});
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(del.out, "已删除第 2014001 期，还剩 1 期\n");
    EXPECT_FALSE(fs::exists(dir / "ZembricTmp.mdb")) << "the compaction's scratch file goes";
    EXPECT_EQ(history(dir), "2013358 12345\n");

    CliResult clear = runCliOn(dir, {"clear"});
    EXPECT_EQ(clear.status, 0) << clear.err;
    EXPECT_EQ(clear.out, "已删除 1 期，历史号码已清空\n");
    EXPECT_EQ(history(dir), "");
    expectRefused(runCliOn(dir, {"delete-last"}), "历史号码为空");
}

TEST(MaintenanceCli, EnterFollowsTheCalendarAndTakesEitherPossibleIssue) {
    TempDir dir;
    test::emptyHistoryIn(dir.path());
    ASSERT_EQ(runCliOn(dir, {"enter", "11111", "--issue", "2025351"}).status, 0);
    CliResult newYear = runCliOn(dir, {"enter", "12345", "--today", "2026-01-01"});
    EXPECT_EQ(newYear.status, 0) << newYear.err;
    EXPECT_EQ(newYear.out, "已存入第 2026001 期：12345\n") << "not 2025352";
    expectRefused(runCliOn(dir, {"enter", "12345", "--today", "2026-02-30"}), "--today");

    TempDir leap;
    test::emptyHistoryIn(leap.path());
    ASSERT_EQ(runCliOn(leap, {"enter", "11111", "--issue", "2008358"}).status, 0);
    expectRefused(runCliOn(leap, {"enter", "22222", "--issue", "2008360"}), "2008359");
    EXPECT_EQ(history(leap), "2008358 11111\n");
    CliResult last = runCliOn(leap, {"enter", "22222", "--issue", "2008359"});
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_EQ(last.out, "已存入第 2008359 期：22222\n");
    EXPECT_EQ(history(leap), "2008358 11111\n2008359 22222\n");
}

TEST(MaintenanceCli, CutToDropLastAndRebuild) {
    TempDir dir;
    std::vector<std::string> draws;
    for (int i = 0; i < 30; ++i) draws.push_back(std::string(5, static_cast<char>('0' + i % 10)));
    test::writeFile(dir / "h.txt", test::historyText(test::entriesFrom(2014001, draws)));
    ASSERT_EQ(runCliOn(dir, {"import", (dir / "h.txt").string()}).status, 0);

    CliResult cut = runCliOn(dir, {"cut-to", "2014016"});
    EXPECT_EQ(cut.status, 0) << cut.err;
    EXPECT_EQ(cut.out, "已删除 14 期；已存入 16 期（2014001 期至 2014016 期）\n");
    CliResult drop = runCliOn(dir, {"drop-last", "3"});
    EXPECT_EQ(drop.status, 0) << drop.err;
    EXPECT_EQ(drop.out, "已删除 3 期；已存入 13 期（2014001 期至 2014013 期）\n");
    const std::string kept = history(dir);
    EXPECT_EQ(kept,
              "2014001 00000\n2014002 11111\n2014003 22222\n2014004 33333\n2014005 44444\n"
              "2014006 55555\n2014007 66666\n2014008 77777\n2014009 88888\n2014010 99999\n"
              "2014011 00000\n2014012 11111\n2014013 22222\n");

    CliResult none = runCliOn(dir, {"drop-last", "0"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out.rfind("没有删除任何一期", 0), 0u) << none.out;
    EXPECT_EQ(test::readFile(dir / "lsbf.txt"), "");
    expectRefused(runCliOn(dir, {"cut-to", "abc"}), "abc");
    expectRefused(runCliOn(dir, {"drop-last"}), "N");
    EXPECT_EQ(history(dir), kept);

    test::writeFile(dir / "lsbf.txt", "2013001 12345\r\n2013002 67890\r\n");
    CliResult rebuilt = runCliOn(dir, {"rebuild"});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
    EXPECT_EQ(rebuilt.out, "已删除 11 期；已存入 2 期（2013001 期至 2013002 期）\n");
    EXPECT_EQ(history(dir), "2013001 12345\n2013002 67890\n");

    fs::remove(dir / "lsbf.txt");
    expectRefused(runCliOn(dir, {"rebuild"}), "lsbf.txt");
    EXPECT_EQ(history(dir), "2013001 12345\n2013002 67890\n");
}

// A deletion commits before it compacts: when the compaction fails (here a folder stands where
// ZembricTmp.mdb goes), the command is done, exits 0 and says in one line that the file was
// not compacted, so that a script that retries on failure does not delete again.
TEST(MaintenanceCli, DeletionsWhoseCompactionFailsAreDoneOnceWithOneWarning) {
    TempDir dir;
    std::vector<std::string> draws(30, "12345");
    test::writeFile(dir / "h.txt", test::historyText(test::entriesFrom(2014001, draws)));
    ASSERT_EQ(runCliOn(dir, {"import", (dir / "h.txt").string()}).status, 0);
    fs::create_directories(dir / "ZembricTmp.mdb" / "sub");
    const auto countLines = [&] {
        const std::string h = history(dir);
        return std::count(h.begin(), h.end(), '\n');
    };
    const auto expectWarned = [](const CliResult& run) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find("警告"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("没有压缩"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("ZembricTmp.mdb"), std::string::npos) << run.err;
    };
    for (int call = 1; call <= 2; ++call) {
        const CliResult drop = runCliOn(dir, {"drop-last", "3"});
        expectWarned(drop);
        EXPECT_EQ(drop.out.rfind("已删除 3 期；", 0), 0u) << drop.out;
        EXPECT_EQ(countLines(), 30 - 3 * call);
    }
    const CliResult last = runCliOn(dir, {"delete-last"});
    expectWarned(last);
    EXPECT_EQ(last.out, "已删除第 2014024 期，还剩 23 期\n");
    expectWarned(runCliOn(dir, {"cut-to", "2014010"}));
    EXPECT_EQ(countLines(), 10);
}

}  // namespace
}  // namespace arrange5
