#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Single-quoted for the shell, with embedded quotes closed and escaped.
std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    q += '\'';
    return q;
}

// Runs arrange5-cli on the data folder `dir` as a user would from a shell.
CliRun cli(const TempDir& dir, const std::vector<std::string>& args) {
    const fs::path out = dir / "cli.out";
    const fs::path err = dir / "cli.err";
    std::string command = quoted(ARRANGE5_CLI_PATH);
    command += " --dir ";
    command += quoted(dir.path().string());
    for (const auto& a : args) {
        command += ' ';
        command += quoted(a);
    }
    command += " >";
    command += quoted(out.string());
    command += " 2>";
    command += quoted(err.string());
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = test::readFile(out);
    run.err = test::readFile(err);
    fs::remove(out);
    fs::remove(err);
    return run;
}

std::string history(const TempDir& dir) {
    return cli(dir, {"history"}).out;
}

// Exit status 2, nothing on stdout, exactly one line on stderr.
void expectRefused(const CliRun& run, const std::string& mentions) {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
}

TEST(MaintenanceCli, EnterDeleteLastAndClear) {
    TempDir dir;
    expectRefused(cli(dir, {"enter", "12345"}), "历史号码为空");
    EXPECT_EQ(history(dir), "");

    CliRun first = cli(dir, {"enter", "12345", "--issue", "2013358"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "已存入第 2013358 期：12345\n");
    EXPECT_EQ(cli(dir, {"enter", "06789"}).out, "已存入第 2014001 期：06789\n");
    expectRefused(cli(dir, {"enter", "1234"}), "五个数字");
    expectRefused(cli(dir, {"enter", "12a45"}), "五个数字");
    expectRefused(cli(dir, {"enter", "11111", "--issue", "2020001"}), "2014002");
    expectRefused(cli(dir, {"enter", "11111", "--issue", "2013000"}), "2013000");
    EXPECT_EQ(history(dir), "2013358 12345\n2014001 06789\n");

    CliRun del = cli(dir, {"delete-last"});
    EXPECT_EQ(del.status, 0) << del.err;
    EXPECT_EQ(del.out, "已删除第 2014001 期，还剩 1 期\n");
    EXPECT_TRUE(fs::exists(dir / "ZembricTmp.mdb")) << "delete-last compacts";
    EXPECT_EQ(history(dir), "2013358 12345\n");

    CliRun clear = cli(dir, {"clear"});
    EXPECT_EQ(clear.status, 0) << clear.err;
    EXPECT_EQ(clear.out, "已删除 1 期，历史号码已清空\n");
    EXPECT_EQ(history(dir), "");
    expectRefused(cli(dir, {"delete-last"}), "历史号码为空");
}

TEST(MaintenanceCli, CutToDropLastAndRebuild) {
    TempDir dir;
    std::vector<std::string> draws;
    for (int i = 0; i < 30; ++i) draws.push_back(std::string(5, static_cast<char>('0' + i % 10)));
    test::writeFile(dir / "h.txt", test::historyText(test::entriesFrom(2014001, draws)));
    ASSERT_EQ(cli(dir, {"import", (dir / "h.txt").string()}).status, 0);

    CliRun cut = cli(dir, {"cut-to", "2014016"});
    EXPECT_EQ(cut.status, 0) << cut.err;
    EXPECT_EQ(cut.out, "已删除 14 期；已存入 16 期（2014001 期至 2014016 期）\n");
    CliRun drop = cli(dir, {"drop-last", "3"});
    EXPECT_EQ(drop.status, 0) << drop.err;
    EXPECT_EQ(drop.out, "已删除 3 期；已存入 13 期（2014001 期至 2014013 期）\n");
    const std::string kept = history(dir);
    EXPECT_EQ(kept,
              "2014001 00000\n2014002 11111\n2014003 22222\n2014004 33333\n2014005 44444\n"
              "2014006 55555\n2014007 66666\n2014008 77777\n2014009 88888\n2014010 99999\n"
              "2014011 00000\n2014012 11111\n2014013 22222\n");

    for (const std::string n : {"0", "-2"}) {
        CliRun none = cli(dir, {"drop-last", n});
        EXPECT_EQ(none.status, 0) << none.err;
        EXPECT_EQ(none.out.rfind("没有删除任何一期", 0), 0u) << none.out;
        EXPECT_EQ(test::readFile(dir / "lsbf.txt"), "");
    }
    expectRefused(cli(dir, {"cut-to", "abc"}), "abc");
    expectRefused(cli(dir, {"drop-last"}), "N");
    EXPECT_EQ(history(dir), kept);

    test::writeFile(dir / "lsbf.txt", "2013001 12345\r\n2013002 67890\r\n");
    CliRun rebuilt = cli(dir, {"rebuild"});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
    EXPECT_EQ(rebuilt.out, "已删除 11 期；已存入 2 期（2013001 期至 2013002 期）\n");
    EXPECT_EQ(history(dir), "2013001 12345\n2013002 67890\n");

    fs::remove(dir / "lsbf.txt");
    expectRefused(cli(dir, {"rebuild"}), "lsbf.txt");
    EXPECT_EQ(history(dir), "2013001 12345\n2013002 67890\n");
}

}  // namespace
}  // namespace arrange5
