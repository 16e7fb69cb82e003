#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using test::CliResult;
using test::TempDir;

CliResult cli(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {"arrange5-cli", "--dir", dir.path().string()});
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    CliResult run;
    run.status = cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The users read Chinese: a refused command names what it refused in Chinese, with the
// file, number or option the user gave, and never in an English sentence that slipped back.
TEST(CliMessages, RefusalsNameTheProblemInChinese) {
    TempDir dir;
    test::emptyHistoryIn(dir.path());
    test::writeFile(dir / "notes.csv", "2013001 12345\r\n");
    std::filesystem::create_directories(dir / "folder.txt");
    std::filesystem::create_directories(dir / "lsbf.txt");
    ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    // Sparse: 65 MB on paper, nothing on the disk.
    test::writeFile(dir / "huge.txt", "");
    std::filesystem::resize_file(dir / "huge.txt", 65u * 1024u * 1024u);
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> says;
    } cases[] = {
        {{"import", (dir / "missing.txt").string()}, {"missing.txt", "文件不存在", "没有改变"}},
        {{"import", (dir / "notes.csv").string()}, {"notes.csv", "不是文本文件"}},
        {{"import", (dir / "folder.txt").string()}, {"folder.txt", "是一个文件夹"}},
        {{"import", (dir / "pipe.txt").string()}, {"pipe.txt", "管道"}},
        {{"import", (dir / "huge.txt").string()}, {"huge.txt", "65 MB", "64 MB"}},
        {{"drop-last", "1"}, {"无法写入", "lsbf.txt", "是一个文件夹"}},
        {{"enter", "12a45"}, {"“12a45”不是开奖号码", "01234"}},
        {{"enter", "12345"}, {"历史号码为空", "期号"}},
        {{"enter", "12345", "--issue", "2013000"}, {"2013000 不是期号", "没有存入"}},
        {{"delete-last"}, {"历史号码为空"}},
        {{"export"}, {"历史号码为空"}},
        {{"cut-to", "abc"}, {"“abc”不是数字"}},
        {{"update", "--url", "ftp://example.org"}, {"ftp://example.org", "在线更新没有进行"}},
        {{"update", "--url", "http://127.0.0.1:1", "--today", "2016-02-30"}, {"“2016-02-30”"}},
        {{"search", "--kind", "colour"}, {"“colour”不是搜索类型"}},
        {{"search", "--ref", "1,2,3"}, {"--ref 需要五个"}},
        {{"search"}, {"历史号码为空"}},
        {{"trend", "--window", "0"}, {"--window", "“0”"}},
        {{"trend"}, {"没有历史号码"}},
    };
    // Three English words in a row: a sentence, not a file name or an option.
    const std::regex english("[A-Za-z]{2,} [A-Za-z]{2,} [A-Za-z]{2,}");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const CliResult run = cli(dir, c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        for (const auto& part : c.says) EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
        EXPECT_FALSE(std::regex_search(run.err, english)) << run.err;
        EXPECT_EQ(run.err.find("Success"), std::string::npos) << run.err;
        if (c.args[0] == "import" && c.args.back().find("missing") == std::string::npos) {
            EXPECT_EQ(run.err.find("文件不存在"), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(cli(dir, {"history"}).out, "") << "no refused command stored anything";
}

TEST(CliMessages, SummariesSayWhatWasDone) {
    TempDir dir;
    test::writeFile(dir / "h.txt", "2013001 12345\r\n2013002 1234\r\n2013003 67890\r\n");
    EXPECT_EQ(cli(dir, {"import", (dir / "h.txt").string()}).out,
              "已存入 2 期（2013001 期至 2013003 期）；跳过 1 行（第 2 行：号码不是五个数字）\n");
    EXPECT_EQ(cli(dir, {"export", (dir / "out.txt").string()}).out,
              "已把 2 期写入 " + (dir / "out.txt").string() + "\n");
    EXPECT_EQ(cli(dir, {"rebuild"}).status, 2) << "no lsbf.txt yet";
    EXPECT_EQ(cli(dir, {"drop-last", "0"}).out, "没有删除任何一期（N 不大于 0）\n");
    EXPECT_EQ(cli(dir, {"rebuild"}).out, "lsbf.txt 是空的；已删除 2 期；已存入 0 期\n");
}

// The command line takes what the window saved as its defaults; its own options win.
TEST(CliMessages, TheWindowsSettingsAreTheDefaults) {
    TempDir dir;
    TempDir config;
    test::writeFile(config / "Korvath.ini",
                    "[IniSetting]\nDsIni=0\nIniSerchDay=3\n"
                    "txtOfficialUrl=\"http://127.0.0.1:9/gateway?gameNo=350133\"\n");
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    test::writeFile(dir / "h.txt", "2013001 12345\r\n2013002 67890\r\n2013003 01234\r\n");
    ASSERT_EQ(cli(dir, {"import", (dir / "h.txt").string()}).status, 0);
    // Segments counted under base 0 (0..4), unless --segment-base says 1.
    const std::string base0 = cli(dir, {"search", "--result-kind", "segment"}).out;
    EXPECT_NE(base0.find("\"value\":0,"), std::string::npos) << base0;
    EXPECT_EQ(cli(dir, {"--segment-base", "1", "search", "--result-kind", "segment"}).status, 2);
    // The update reads the address the window saved.
    const CliResult update = cli(dir, {"update", "--today", "2013-06-01"});
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(update.status, 2);
    EXPECT_NE(update.err.find("127.0.0.1 port 9"), std::string::npos) << update.err;
}

// The settings file is read as the window reads it: with a byte-order mark (which Qt skips)
// and DsIni=0, `enter` codes its row with base 0 like the rows before it. One the command line
// cannot read alike, or that is no regular file, stops every command but --version.
TEST(CliMessages, TheSettingsFileIsReadAsTheWindowReadsItOrRefused) {
    TempDir dir;
    TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    test::writeFile(config / "Korvath.ini", "\xEF\xBB\xBF[IniSetting]\r\nDsIni=0\r\nDsIni=0\r\n");
    test::writeFile(dir / "h.txt", "2013001 12345\r\n2013002 67890\r\n");
    const CliResult imported =
        cli(dir, {"--segment-base", "0", "import", (dir / "h.txt").string()});
    const CliResult entered = cli(dir, {"enter", "13579", "--today", "2013-06-01"});
    const CliResult search =
        cli(dir, {"--segment-base", "0", "search", "--result-kind", "segment"});

    test::writeFile(config / "Korvath.ini", "[IniSetting]\nDsIni=@Variant(\\0)\n");
    const CliResult typed = cli(dir, {"history"});
    std::filesystem::remove(config / "Korvath.ini");
    ASSERT_EQ(::mkfifo((config / "Korvath.ini").c_str(), 0600), 0);
    const CliResult version = cli(dir, {"--version"});
    const CliResult fifo = cli(dir, {"history"});
    ::unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(entered.status, 0) << entered.err;
    EXPECT_EQ(search.status, 0) << "rows of two segment bases: " << search.err;
    EXPECT_EQ(typed.status, 2);
    EXPECT_NE(typed.err.find("第 2 行"), std::string::npos) << typed.err;
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(fifo.status, 2);
    EXPECT_NE(fifo.err.find("不是普通文件"), std::string::npos) << fifo.err;
}

}  // namespace
}  // namespace arrange5
