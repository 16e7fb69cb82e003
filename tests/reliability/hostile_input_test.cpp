// What an adversary can put in front of the command line besides pages and history files:
// stored values that are no digits, integer spellings the parser could read in another base,
// an empty data-folder variable, special files as the export's target, and the update as the
// first command on a new folder. Each case ends without a signal; a refusal exits 2 and
// changes nothing; no draw is lost.
#include <SQLiteCpp/Database.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>

#include "acquire/online_update_test_server.h"
#include "reliability/process_runner.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::runCliOn;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::Not;

// A 40-draw history from 1740001; `second` is the issue of its 20th row.
constexpr int32_t kChangedIssue = 1740020;

std::vector<std::string> lishiOf(const TempDir& dir) {
    SQLite::Database db((dir / "Zembric.mdb").string(), SQLite::OPEN_READONLY);
    return test::dumpLishi(db);
}

void expectRefusedUnchanged(const TempDir& dir, const std::vector<std::string>& args,
                            const std::string& says) {
    SCOPED_TRACE(args.front());
    const std::vector<std::string> before = lishiOf(dir);
    const CliResult run = runCliOn(dir, args);
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_THAT(run.err, HasSubstr(says));
    EXPECT_EQ(lishiOf(dir), before);
}

TEST(HostileInput, StoredValuesThatAreNoDigitAreNamedAndNeverUsed) {
    struct Case {
        const char* change;
        const char* checkSays;
    };
    const std::vector<Case> cases{
        {"L1A = 12", "第 1 位号码是 12，超出了 0 到 9 的范围"},
        {"L3A = -1", "第 3 位号码是 -1，超出了 0 到 9 的范围"},
        {"L5A = 99999", "第 5 位号码不是 0 到 9 之间的整数"},
        {"L2A = 'x'", "第 2 位号码不是 0 到 9 之间的整数"},
        {"L4B = 7", "大小、单双或段数与这一期的号码"},
    };
    const auto draws = test::manyDraws(40, 11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        TempDir dir;
        test::storeHistory(dir.path(), draws);
        test::writeFile(dir / "lsbf.txt", test::historyText(draws));
        {
            SQLite::Database db((dir / "Zembric.mdb").string(), SQLite::OPEN_READWRITE);
            db.exec(std::string("UPDATE Lishi SET ") + c.change +
                    " WHERE SQQH = " + std::to_string(kChangedIssue));
        }
        const std::string issue = "第 " + std::to_string(kChangedIssue) + " 期";

        const CliResult check = runCliOn(dir, {"check"});
        EXPECT_EQ(check.status, 0) << check.err;
        EXPECT_THAT(check.out, HasSubstr(issue + "存入的"));
        EXPECT_THAT(check.out, HasSubstr(c.checkSays));
        if (std::string(c.change).find("B =") == std::string::npos) {
            EXPECT_THAT(check.out, Not(HasSubstr("大小、单双或段数"))) << "a digit out of range";
        }

        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"search", "--positions", "1"},
                 {"combo", "--k", "2"},
                 {"backtest", "search", "--positions", "1"},
                 {"history"},
                 {"export", (dir / "out.txt").string()},
                 {"cut-to", std::to_string(kChangedIssue + 10)},
                 {"drop-last", "1"},
                 {"rebuild"},
             }) {
            expectRefusedUnchanged(dir, args, issue);
        }
        EXPECT_FALSE(fs::exists(dir / "out.txt"));
        EXPECT_EQ(test::readFile(dir / "lsbf.txt"), test::historyText(draws));
    }
}

TEST(HostileInput, IntegersAreDecimalDigitsOnlyAndEveryOptionChecksItsRange) {
    TempDir dir;
    const auto draws = test::manyDraws(40, 12);
    test::storeHistory(dir.path(), draws);
    // Refused: base prefixes, signs, blanks, exponents, and leading zeros that only a reading
    // in base 8 would bring into range (011 is 11, not 9).
    const std::vector<std::vector<std::string>> refused{
        {"search", "--earlier", "011"},
        {"search", "--earlier", "010"},
        {"search", "--earlier", "0x3"},
        {"search", "--earlier", "+3"},
        {"search", "--earlier", " 3"},
        {"search", "--result-pos", "0x5"},
        {"search", "--from", "0x1A8D01"},
        {"search", "--to", "-1740030"},
        {"search", "--verify", "1740030 "},
        {"combo", "--k", "0x3"},
        {"combo", "--k", "010"},
        {"backtest", "search", "--top", "010"},
        {"--segment-base", "0x0", "history"},
        {"--segment-base", "-0", "history"},
        {"--segment-base", "010", "history"},
        {"cut-to", "0x1A8D1E"},
        {"cut-to", "1.74e6"},
        {"drop-last", "-2"},
        {"drop-last", "0x2"},
        {"enter", "12345", "--issue", "+1740041"},
        {"update", "--years-to-keep", "0x6"},
        {"update", "--years-to-keep", "017"},
        {"backtest", "search", "--targets", "+1740030:"},
        {"backtest", "search", "--targets", "1740030: 1740035"},
        {"filter", "--sum", "10:12", "--verify", "0x1A8D1E:"},
        {"pick", "add", "01234", "--issue", "+1740041"},
    };
    expectRefusedUnchanged(dir, {"update", "--url", ""}, "地址是空的");
    for (const auto& args : refused) {
        std::string line;
        for (const std::string& a : args) line += a + " ";
        SCOPED_TRACE(line);
        expectRefusedUnchanged(dir, args, "“");
    }
    // Accepted with a leading zero, read in base 10.
    EXPECT_EQ(runCliOn(dir, {"search", "--earlier", "09"}).status, 0);
    EXPECT_EQ(runCliOn(dir, {"--segment-base", "01", "combo", "--k", "05"}).status, 0);
    const CliResult dropped = runCliOn(dir, {"drop-last", "010"});
    ASSERT_EQ(dropped.status, 0) << dropped.err;
    EXPECT_EQ(runCliOn(dir, {"history"}).out.size(), 30u * 14u) << "010 drops 10 issues, not 8";
    const CliResult cut = runCliOn(dir, {"cut-to", "01740025"});
    ASSERT_EQ(cut.status, 0) << cut.err;
    EXPECT_EQ(runCliOn(dir, {"history"}).out.size(), 25u * 14u);
}

TEST(HostileInput, AnEmptyDataFolderVariableIsRefusedLikeAnEmptyOption) {
    TempDir home;
    const fs::path perUser = home / "data/Korvath/arrange5";
    fs::create_directories(perUser);
    test::storeHistory(perUser, test::manyDraws(40, 13));
    const std::string before = test::readFile(perUser / "Zembric.mdb");
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("ARRANGE5_DATA_DIR", "", 1);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"history"}, {"clear"}, {"delete-last"}}) {
        const CliResult run = test::runCliProcess(args, home.path());
        EXPECT_EQ(run.status, 2) << args[0] << ": " << run.out;
        EXPECT_THAT(run.err, HasSubstr("ARRANGE5_DATA_DIR"));
    }
    ::unsetenv("ARRANGE5_DATA_DIR");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(test::readFile(perUser / "Zembric.mdb"), before);
}

TEST(HostileInput, ExportWritesOnlyARegularFileOrANewName) {
    TempDir dir;
    test::storeHistory(dir.path(), test::manyDraws(40, 14));
    test::writeFile(dir / "target.txt", "keep me\n");
    fs::create_symlink(dir / "target.txt", dir / "link.txt");
    ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    // A character device like /dev/null, where the system lets this user make one.
    const bool device = ::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::vector<std::pair<std::string, std::string>> targets{{"link.txt", "符号链接"},
                                                             {"pipe.txt", "管道"}};
    if (device) targets.emplace_back("null", "设备");
    for (const auto& [name, says] : targets) {
        expectRefusedUnchanged(dir, {"export", (dir / name).string()}, says);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(test::readFile(dir / "target.txt"), "keep me\n");
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.txt"));
    if (device) {
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    // A scratch name left as a link by someone else is never written through.
    fs::create_symlink(dir / "target.txt", dir / "new.txt.part");
    expectRefusedUnchanged(dir, {"export", (dir / "new.txt").string()}, "new.txt.part");
    EXPECT_EQ(test::readFile(dir / "target.txt"), "keep me\n");
    // A regular file and a new name are written.
    EXPECT_EQ(runCliOn(dir, {"export", (dir / "target.txt").string()}).status, 0);
    EXPECT_EQ(runCliOn(dir, {"export", (dir / "fresh.txt").string()}).status, 0);
    EXPECT_EQ(test::readFile(dir / "fresh.txt"), test::readFile(dir / "target.txt"));
}

TEST(HostileInput, TheUpdateAsTheFirstCommandStartsFromTheBundledHistory) {
    const auto bundled = readHistoryFile(test::realHistoryFile()).entries;
    auto served = bundled;
    for (int seq = 175; seq <= 180; ++seq) served.push_back({2026000 + seq, {1, 2, 3, 4, 5}});
    test::ResultsServer site(served);
    TempDir dir;
    const CliResult run = runCliOn(
        dir, {"update", "--source", "pages", "--url", site.baseUrl(), "--today", "2026-12-01"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string history = runCliOn(dir, {"history"}).out;
    EXPECT_EQ(history.substr(0, 7), "2004009");
    EXPECT_EQ(history.size(), (bundled.size() + 6) * 14);
}

}  // namespace
}  // namespace arrange5
