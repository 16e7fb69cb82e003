// Every command of the command line, run as a user runs it (a separate process, in the order a
// user would), on a copy of the bundled history: the exit status, stdout that parses, and the
// history afterwards. A command that only works on a toy history fails here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "acquire/online_update_test_server.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using nlohmann::json;
using test::CliResult;
using test::runCliOn;
using test::TempDir;
using ::testing::HasSubstr;

std::string bundledHistory() {
    std::string text = test::readFile(test::realHistoryFile());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// The history text up to and including `issue`.
std::string historyUpTo(const std::string& history, int32_t issue) {
    const std::size_t at = history.find(std::to_string(issue) + " ");
    return history.substr(0, history.find('\n', at) + 1);
}

class EveryCommand : public ::testing::Test {
  protected:
    CliResult run(const std::vector<std::string>& args) {
        std::string line;
        for (const auto& a : args) line += a + " ";
        SCOPED_TRACE(line);
        CliResult r = runCliOn(dir, args);
        EXPECT_EQ(r.status, 0) << line << "\n" << r.err;
        return r;
    }
    json runJson(const std::vector<std::string>& args) {
        const CliResult r = run(args);
        json j = json::parse(r.out, nullptr, false);
        EXPECT_FALSE(j.is_discarded()) << r.out.substr(0, 200);
        return j;
    }
    std::string history() { return run({"history"}).out; }

    TempDir dir;
};

TEST_F(EveryCommand, OnTheBundledHistory) {
    const std::string bundled = bundledHistory();
    run({"import", test::realHistoryFile().string()});
    ASSERT_EQ(history(), bundled);

    const json check = runJson({"check"});
    EXPECT_EQ(check["draws"], 7641);
    EXPECT_EQ(check["last"], 2026174);

    EXPECT_THAT(run({"export"}).out, HasSubstr("更新至2026174期历史号码.txt"));
    const std::string file = test::readFile(test::realHistoryFile());  // CR LF, as exported
    EXPECT_TRUE(test::readFile(dir / "更新至2026174期历史号码.txt") == file);
    const auto exported = dir / "out.txt";
    run({"export", exported.string()});
    EXPECT_TRUE(test::readFile(exported) == file);

    // Each search kind once, single and combined; none of them changes the history.
    for (const std::string kind : {"number", "bigsmall", "oddeven", "segment"}) {
        SCOPED_TRACE(kind);
        const json single = runJson({"search", "--kind", kind, "--positions", "1,3"});
        EXPECT_FALSE(single["hits"].empty());
        EXPECT_FALSE(single["tally"].empty());
        EXPECT_TRUE(single.contains("pattern_test"));
        const json combo = runJson({"combo", "--kind", kind, "--k", "2"});
        EXPECT_FALSE(combo["hits"].empty());
    }
    const std::string targets = "2025326:2026174";  // the last 200 issues
    const json back = runJson({"backtest", "search", "--positions", "1", "--targets", targets});
    EXPECT_EQ(back["summary"]["scored"], 200);
    const json backCombo = runJson({"backtest", "combo", "--k", "2", "--targets", targets});
    EXPECT_EQ(backCombo["summary"]["scored"], 200);
    // Ten settings, less the 单双 combination, which every row matches: with no other rows
    // it compares nothing and is not counted.
    EXPECT_EQ(runJson({"study"})["searches"], 9);
    const json trend = runJson({"trend", "--window", "30", "--rows"});
    EXPECT_EQ(trend["from"], 2026145);
    EXPECT_EQ(trend["to"], 2026174);
    EXPECT_EQ(trend["rows"].size(), 30u);
    run({"recode"});
    EXPECT_EQ(history(), bundled);

    // The filter, its list and its verification; then picks sealed for the next issue.
    const json filter = runJson({"filter", "--pos1", "13579", "--sum", "10:35", "--repeat", "0:1"});
    EXPECT_EQ(filter["previous_issue"], 2026174);
    const json verified = runJson({"filter", "--game", "p3", "--form", "组六", "--verify", ":"});
    EXPECT_EQ(verified["verification"]["targets"], 7641);
    EXPECT_EQ(verified["verification"]["rank"], 10);
    EXPECT_EQ(runJson({"study"})["searches"], 10);  // the log reads back with the filter in it
    EXPECT_EQ(
        run({"filter", "--game", "p3", "--kill", "0123456", "--list", "--format", "text"}).out,
        "777\n778\n779\n787\n788\n789\n797\n798\n799\n877\n878\n879\n887\n888\n889\n897\n"
        "898\n899\n977\n978\n979\n987\n988\n989\n997\n998\n999\n");
    EXPECT_EQ(runJson({"pick", "add", "12345", "--today", "2026-12-31"})["issue"], 2026175);
    EXPECT_EQ(runJson({"pick", "add", "678", "--play", "p3"})["id"], 2);
    EXPECT_EQ(runJson({"pick", "withdraw", "2"})["withdraws"], 2);
    EXPECT_EQ(runJson({"pick", "list"})["entries"].size(), 3u);

    // Entries across a year's end, then the deletions and the rebuild.
    EXPECT_EQ(run({"enter", "12345", "--today", "2026-12-31"}).out, "已存入第 2026175 期：12345\n");
    EXPECT_EQ(run({"enter", "67890", "--today", "2027-01-02"}).out, "已存入第 2027001 期：67890\n");
    EXPECT_EQ(history(), bundled + "2026175 12345\n2027001 67890\n");
    const json picks = runJson({"pick", "check"});
    EXPECT_EQ(picks["entries"][0]["status"], "won");
    EXPECT_EQ(picks["entries"][1]["status"], "withdrawn");
    EXPECT_EQ(picks["totals"]["prize"], 100000);
    run({"delete-last"});
    EXPECT_EQ(history(), bundled + "2026175 12345\n");
    run({"cut-to", "2026100"});
    EXPECT_EQ(history(), historyUpTo(bundled, 2026100));
    run({"drop-last", "10"});
    EXPECT_EQ(history(), historyUpTo(bundled, 2026090));
    run({"rebuild"});
    EXPECT_EQ(history(), historyUpTo(bundled, 2026090));

    // The update brings the history back to the newest draw and deletes nothing by default.
    test::OfficialServer official(readHistoryFile(test::realHistoryFile()).entries);
    const CliResult update = run({"update", "--url", official.address(), "--today", "2026-12-09"});
    EXPECT_THAT(update.out, HasSubstr("新增 84 期，第 2026091 至 2026174 期"));
    EXPECT_THAT(update.err, HasSubstr("早于保留年数的历史号码已保留"));
    EXPECT_EQ(history(), bundled);

    run({"study", "--reset"});
    EXPECT_EQ(runJson({"study"})["searches"], 0);
    run({"clear"});
    EXPECT_EQ(history(), "");
}

}  // namespace
}  // namespace arrange5
