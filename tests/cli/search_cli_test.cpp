#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using json = nlohmann::ordered_json;
using test::CliResult;
using test::runCliOn;
using test::TempDir;

// One data folder holding the real history for the whole suite.
class SearchCli : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<TempDir>();
        const CliResult import = runCliOn(*dir_, {"import", test::realHistoryFile().string()});
        ASSERT_EQ(import.status, 0) << import.err;
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static json search(const std::vector<std::string>& args) {
        const CliResult run = runCliOn(*dir_, args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return json::parse(run.out);
    }

    static std::unique_ptr<TempDir> dir_;
};

std::unique_ptr<TempDir> SearchCli::dir_;

// The shape every search prints, and the sums that tie hits, tally and total together.
void expectConsistentShape(const json& j, std::size_t outcomes) {
    std::vector<std::string> keys;
    for (const auto& item : j.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"setting", "reference", "from", "to", "hits", "tally",
                                              "total", "test", "pattern_test"}));
    ASSERT_EQ(j["reference"].size(), 5u);
    int32_t previous = 0;
    for (const auto& hit : j["hits"]) {
        EXPECT_GT(hit["issue"].get<int32_t>(), previous) << "hits in issue order";
        previous = hit["issue"].get<int32_t>();
        EXPECT_GE(previous, j["from"].get<int32_t>());
        EXPECT_LE(previous, j["to"].get<int32_t>());
        EXPECT_EQ(hit["values"].size(), 5u);
        EXPECT_EQ(hit["matched"].get<std::string>().size(), 5u);
    }
    ASSERT_EQ(j["tally"].size(), outcomes);
    int64_t counted = 0;
    int rank = 0;
    for (const auto& row : j["tally"]) {
        EXPECT_EQ(row["rank"].get<int>(), ++rank);
        counted += row["count"].get<int64_t>();
        const std::string percent = row["percent"];
        if (j["total"] == 0) {
            EXPECT_EQ(percent, "");
            EXPECT_TRUE(row["share"].is_null());
        } else {
            EXPECT_EQ(percent.back(), '%') << percent;
            // The share lies inside its own 95 % interval.
            const double share = row["count"].get<double>() / j["total"].get<double>();
            EXPECT_DOUBLE_EQ(row["share"].get<double>(), share);
            EXPECT_LE(row["low"].get<double>(), share);
            EXPECT_GE(row["high"].get<double>(), share);
            // The joint interval holds for every outcome at once, so it is the wider one.
            EXPECT_LT(row["low_joint"].get<double>(), row["low"].get<double>());
            EXPECT_GT(row["high_joint"].get<double>(), row["high"].get<double>());
        }
        EXPECT_DOUBLE_EQ(row["chance"].get<double>(), 1.0 / static_cast<double>(outcomes));
    }
    EXPECT_EQ(j["test"]["df"].get<int>(), static_cast<int>(outcomes) - 1);
    EXPECT_EQ(counted, j["total"].get<int64_t>());
}

TEST_F(SearchCli, SearchDefaultsToTheLatestDrawAndTheWholeHistory) {
    const json j = search({"search", "--positions", "1,3"});
    expectConsistentShape(j, 10);
    EXPECT_EQ(j["reference"], json::parse("[1,5,7,6,6]"));  // 2026174 15766
    EXPECT_EQ(j["from"], 2004010);
    EXPECT_EQ(j["to"], 2026174);
    EXPECT_GT(j["hits"].size(), 100u);
    EXPECT_EQ(j["total"].get<std::size_t>(), j["hits"].size());
    for (const auto& hit : j["hits"]) {
        const std::string m = hit["matched"];
        EXPECT_TRUE(m.find('1') != std::string::npos && m.find('7') != std::string::npos) << m;
    }
    // The worked example of the manual, recomputed apart from the program: 1,108 hits, "2"
    // counted 129 times, χ² = 13.3357 over 9 degrees of freedom, p = 0.14799.
    EXPECT_EQ(j["total"], 1108);
    const json& top = j["tally"][0];
    EXPECT_EQ(top["outcome"], "2");
    EXPECT_EQ(top["percent"], "11.643%");
    EXPECT_NEAR(top["low"].get<double>(), 0.0988520539, 1e-9);
    EXPECT_NEAR(top["high"].get<double>(), 0.1366504602, 1e-9);
    EXPECT_NEAR(j["test"]["chi2"].get<double>(), 13.3357400722, 1e-9);
    EXPECT_NEAR(j["test"]["p"].get<double>(), 0.1479934991, 1e-9);
    EXPECT_EQ(
        j["test"]["verdict"],
        "与均匀随机相符（p = 0.15；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 p = "
        "0.3）");

    // The rest of the range: every other row with a draw before it. Hits and rest together
    // are the first digits of every row but the first, counted here from the history file.
    std::array<int64_t, 10> firstDigits{};
    std::ifstream history(test::realHistoryFile());
    std::string line;
    for (bool first = true; std::getline(history, line); first = false) {
        if (!first && line.size() > 8) ++firstDigits[static_cast<std::size_t>(line[8] - '0')];
    }
    for (const auto& row : j["tally"]) {
        EXPECT_EQ(row["count"].get<int64_t>() + row["rest_count"].get<int64_t>(),
                  firstDigits[row["value"].get<std::size_t>()])
            << row["outcome"];
    }
    // The 2 × 10 table of hits against the rest, recomputed apart from the program.
    const json& pattern = j["pattern_test"];
    EXPECT_EQ(pattern["method"], "chi2");
    EXPECT_EQ(pattern["df"], 9);
    EXPECT_NEAR(pattern["chi2"].get<double>(), 11.7518741307, 1e-9);
    EXPECT_NEAR(pattern["p"].get<double>(), 0.2276616462, 1e-9);
    // The first setting of a study is judged at 0.05 / (1 × 2).
    EXPECT_EQ(pattern["rank"], 1);
    EXPECT_EQ(pattern["searches"], 1);
    EXPECT_DOUBLE_EQ(pattern["level"].get<double>(), 0.025);
    EXPECT_DOUBLE_EQ(pattern["p_adjusted"].get<double>(), 2 * pattern["p"].get<double>());
    EXPECT_EQ(pattern["verdict"],
              "命中各期的结果与其余各期没有可靠的差别（p = 0.23；这是本研究的第 1 种设置，须 p < "
              "0.025 才算可靠：校正后 p = 0.46）");
}

// The study lives in the data folder: each run of the program sees the settings of the runs
// before it; two runs that test the same thing on the same rows are one setting and keep its
// first rank; a search that compares nothing is not counted; a new study starts at 0.
TEST_F(SearchCli, EverySettingOfTheStudyKeepsItsRankAcrossRuns) {
    const TempDir dir;
    ASSERT_EQ(runCliOn(dir, {"import", test::realHistoryFile().string()}).status, 0);
    const auto testOf = [&](const std::vector<std::string>& args) {
        const CliResult run = runCliOn(dir, args);
        EXPECT_EQ(run.status, 0) << run.err;
        return json::parse(run.out)["pattern_test"];
    };
    const auto rankOf = [&](const std::vector<std::string>& args) {
        const json t = testOf(args);
        return t["rank"].is_null() ? 0 : t["rank"].get<int>();
    };
    // The first no-comparison search of a fresh study leaves it at 0.
    const json nothing = testOf({"search"});
    EXPECT_TRUE(nothing["rank"].is_null());
    EXPECT_EQ(nothing["searches"], 0);
    EXPECT_TRUE(nothing["chi2"].is_null());
    EXPECT_TRUE(nothing["df"].is_null());
    EXPECT_EQ(nothing["verdict"], "范围内没有其余各期，无从比较；未计入研究");

    struct Case {
        std::vector<std::string> args;
        int rank;
    };
    const std::vector<Case> cases = {
        {{"search", "--positions", "1"}, 1},
        {{"search", "--positions", "1"}, 1},
        {{"combo", "--k", "2"}, 2},
        // The segment base takes no part in a number search.
        {{"--segment-base", "0", "search", "--positions", "1"}, 1},
        // A reference value at a position that is not ticked takes no part (2026174 15766).
        {{"search", "--positions", "1", "--ref", "1,0,0,0,0"}, 1},
        // Bounds beyond the stored issues resolve to the same rows; 前期 1 is 上期.
        {{"search", "--positions", "1", "--from", "2004010", "--to", "2026999"}, 1},
        {{"search", "--positions", "1", "--earlier", "1"}, 1},
        {{"search", "--positions", "1", "--result-pos", "2"}, 3},
        {{"search", "--positions", "1", "--ref", "2,0,0,0,0"}, 4},
        {{"search"}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(rankOf(c.args), c.rank) << c.args.back();
    // Targets given open-ended or up to an issue past the last resolve to the same issues.
    for (const std::string targets : {"2026100:", "2026100:2026999"}) {
        const CliResult backtest =
            runCliOn(dir, {"backtest", "search", "--positions", "1", "--targets", targets});
        ASSERT_EQ(backtest.status, 0) << backtest.err;
        const json summary = json::parse(backtest.out)["summary"];
        EXPECT_EQ(summary["rank"], 5);
        EXPECT_EQ(summary["searches"], 5);
        EXPECT_DOUBLE_EQ(summary["level"].get<double>(), 0.05 / 30);
        EXPECT_DOUBLE_EQ(summary["p_baseline_adjusted"].get<double>(),
                         std::min(1.0, 30 * summary["p_baseline"].get<double>()));
    }
    // A refused search tests nothing and is not counted.
    EXPECT_EQ(runCliOn(dir, {"search", "--from", "abc"}).status, 2);

    const CliResult study = runCliOn(dir, {"study"});
    ASSERT_EQ(study.status, 0) << study.err;
    const json listed = json::parse(study.out);
    EXPECT_EQ(listed["searches"], 5);
    ASSERT_EQ(listed["settings"].size(), 5u);
    const json& combo = listed["settings"][1];
    EXPECT_EQ(combo["rank"], 2);
    EXPECT_EQ(combo["setting"],
              "arrange5-cli combo --k 2 --kind number --match free --result-kind number "
              "--result-pos 1 --ref 1,5,7,6,6 --from 2004010 --to 2026174");
    EXPECT_EQ(combo["first_run"].get<std::string>().size(), 20u);
    EXPECT_DOUBLE_EQ(combo["p_adjusted"].get<double>(),
                     std::min(1.0, 6 * combo["p"].get<double>()));
    EXPECT_EQ(
        combo["verdict"].get<std::string>().find("这是本研究的第 2 种设置") == std::string::npos,
        false);

    const CliResult reset = runCliOn(dir, {"study", "--reset"});
    ASSERT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(json::parse(reset.out)["settings_before"], 5);
    EXPECT_EQ(rankOf({"combo", "--k", "2"}), 1);

    // A log of the older kind (one setting a line) is read on: its settings keep their ranks.
    const auto log = dir / "study.txt";
    test::writeFile(log,
                    "search kind=number match=free lag=1 positions=1 ref=1,5,7,6,6 "
                    "range=2004010-2026174 result=number pos=1 straight base=1\n"
                    "combo k=2 kind=number match=free lag=1 ref=1,5,7,6,6 range=2004010-2026174 "
                    "result=number pos=1 straight base=1\n");
    EXPECT_EQ(rankOf({"search", "--positions", "3"}), 3);
    const json older = json::parse(runCliOn(dir, {"study"}).out);
    ASSERT_EQ(older["settings"].size(), 3u);
    EXPECT_TRUE(older["settings"][1]["first_run"].is_null());
    EXPECT_EQ(older["settings"][1]["setting"].get<std::string>().substr(0, 10), "combo k=2 ");

    // A study log it cannot read is reported and left as it is, never read as an empty study
    // (3 KB of random bytes, and a folder where the file should be): study refuses; a search
    // or a verification still answers, with one warning that it was not counted, and judges
    // nothing.
    std::string noise(3072, '\0');
    uint32_t state = 20261209;
    for (char& c : noise) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    test::writeFile(log, noise);
    const auto unreadable = [&] {
        const CliResult refused = runCliOn(dir, {"study"});
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find("study.txt"), std::string::npos) << refused.err;
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"search", "--positions", "2"},
              {"backtest", "search", "--positions", "1", "--targets", "2026170:"}}) {
            const CliResult uncounted = runCliOn(dir, args);
            EXPECT_EQ(uncounted.status, 0) << uncounted.err;
            const json answer = json::parse(uncounted.out);
            const json& judged =
                answer.contains("summary") ? answer["summary"] : answer["pattern_test"];
            EXPECT_TRUE(judged["rank"].is_null());
            EXPECT_TRUE(judged["p_adjusted"].is_null());
            EXPECT_EQ(std::count(uncounted.err.begin(), uncounted.err.end(), '\n'), 1)
                << uncounted.err;
            EXPECT_NE(uncounted.err.find("没有计入本次研究"), std::string::npos) << uncounted.err;
        }
    };
    unreadable();
    EXPECT_TRUE(test::readFile(log) == noise);
    const CliResult fresh = runCliOn(dir, {"study", "--reset"});
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    const std::string kept = json::parse(fresh.out)["unreadable_log_kept_as"];
    EXPECT_TRUE(test::readFile(kept) == noise);
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
    unreadable();
}

TEST_F(SearchCli, ComboWithTypedReferenceAndGroupTally) {
    const json j = search({"combo", "--k", "3", "--match", "fixed", "--ref", "1,5,7,6,6",
                           "--result-pos", "3", "--group"});
    expectConsistentShape(j, 10);
    EXPECT_GT(j["hits"].size(), 10u);
    EXPECT_EQ(j["total"].get<std::size_t>(), 3 * j["hits"].size());
    for (const auto& hit : j["hits"]) {
        const std::string m = hit["matched"];
        int same = 0;
        for (int i = 0; i < 5; ++i) same += m[i] == "15766"[i] ? 1 : 0;
        EXPECT_GE(same, 3) << m;
    }

    const json b = search({"combo", "--k", "2", "--kind", "bigsmall", "--earlier", "2",
                           "--result-kind", "1", "--from", "2010001", "--to", "2010100"});
    expectConsistentShape(b, 2);
    EXPECT_EQ(b["from"], 2010001);
    std::vector<std::string> names;
    for (const auto& row : b["tally"]) names.push_back(row["outcome"]);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"大", "小"}));

    // Five issues expect fewer than 5 of each number: no p, and the verdict says why.
    const json few = search({"search", "--from", "2026170", "--to", "2026174"});
    EXPECT_TRUE(few["test"]["p"].is_null());
    EXPECT_EQ(few["test"]["verdict"], "样本太少，无法与随机比较");
}

TEST_F(SearchCli, VerifyTakesTheDrawBeforeTheIssueAndEndsTheRangeThere) {
    const json j = search({"search", "--verify", "2014001", "--only-before", "--positions", "2"});
    expectConsistentShape(j, 10);
    EXPECT_EQ(j["reference"], json::parse("[9,8,8,0,2]"));  // 2013358 98802
    EXPECT_EQ(j["to"], 2013358);
    EXPECT_EQ(j["hits"].back()["issue"].get<int32_t>() <= 2013358, true);
}

// The setting printed with an answer is a command line that gives the same answer, however
// the reference and the range were chosen.
TEST_F(SearchCli, TheSettingIsACommandLineThatGivesTheSameAnswer) {
    const std::vector<std::vector<std::string>> asked = {
        {"search", "--verify", "2014001", "--only-before", "--positions", "2"},
        {"--segment-base", "1", "combo", "--k", "2", "--kind", "segment", "--earlier", "3",
         "--result-kind", "bigsmall", "--group", "--result-pos", "2"},
    };
    for (const auto& args : asked) {
        const json first = search(args);
        const std::string setting = first["setting"];
        SCOPED_TRACE(setting);
        std::vector<std::string> words;
        std::istringstream split(setting);
        for (std::string word; split >> word;) words.push_back(word);
        ASSERT_EQ(words.front(), "arrange5-cli");
        words.erase(words.begin());
        const json again = search(words);
        EXPECT_EQ(again["setting"], setting);
        for (const char* key : {"reference", "from", "to", "hits", "tally", "total"}) {
            EXPECT_EQ(again[key], first[key]) << key;
        }
    }
    EXPECT_EQ(search({"search", "--positions", "1,3"})["setting"],
              "arrange5-cli search --kind number --match free --positions 1,3 --result-kind number "
              "--result-pos 1 --ref 1,5,7,6,6 --from 2004010 --to 2026174");
}

// Every command a user can type answers in both formats on the real history: JSON that
// parses, or lines for a reader (no hits listed), and --help shows an example and the exit
// status rule.
TEST_F(SearchCli, EveryCommandAnswersInTextOrJson) {
    const struct {
        std::vector<std::string> args;
        std::string says;  // a piece of the text answer
    } commands[] = {
        {{"check"}, "SHA-256："},
        {{"history"}, "2026174 15766"},
        {{"search", "--positions", "1,3"}, "与其余各期比较"},
        {{"combo", "--k", "2"}, "arrange5-cli combo --k 2 --kind number"},
        {{"backtest", "search", "--positions", "1", "--targets", "2026150:"}, "目标 25 期"},
        {{"backtest", "combo", "--k", "2", "--targets", "2026150:"}, "平均名次"},
        {{"trend", "--window", "30", "--rows"}, "2026174  15766"},
        {{"study"}, "种设置"},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.args[0]);
        auto args = c.args;
        args.insert(args.end(), {"--format", "text"});
        const CliResult text = runCliOn(*dir_, args);
        EXPECT_EQ(text.status, 0) << text.err;
        EXPECT_NE(text.out.front(), '{');
        EXPECT_NE(text.out.find(c.says), std::string::npos) << text.out;
        EXPECT_LT(std::count(text.out.begin(), text.out.end(), '\n'),
                  c.args[0] == "history" ? 8000 : 100)
            << "the hits or targets are the JSON's";
        args.back() = "json";
        const CliResult asJson = runCliOn(*dir_, args);
        EXPECT_EQ(asJson.status, 0) << asJson.err;
        EXPECT_FALSE(json::parse(asJson.out, nullptr, false).is_discarded());
    }
    const json without = search({"combo", "--k", "2", "--no-hits"});
    EXPECT_FALSE(without.contains("hits"));
    EXPECT_GT(without["total"], 0);

    const TempDir changed;
    CliResult import =
        runCliOn(changed, {"import", test::realHistoryFile().string(), "--format", "json"});
    ASSERT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(json::parse(import.out)["stored"], 7641);
    import = runCliOn(changed, {"drop-last", "2", "--format", "json"});
    EXPECT_EQ(json::parse(import.out)["deleted"], 2);
    EXPECT_EQ(runCliOn(changed, {"delete-last", "--format", "text"}).out,
              "已删除第 2026172 期，还剩 7638 期\n");

    // Every command the top help lists, and the commands under a command that has some.
    std::vector<std::vector<std::string>> helps;
    const auto listed = [](const std::string& help) {
        std::vector<std::string> names;
        const auto at = help.find("Subcommands:");
        if (at == std::string::npos) return names;
        std::istringstream lines(help.substr(at));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("  ", 0) == 0) names.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
        return names;
    };
    for (const auto& name : listed(runCliOn(*dir_, {"--help"}).out)) {
        const auto under = listed(runCliOn(*dir_, {name, "--help"}).out);
        if (under.empty()) helps.push_back({name, "--help"});
        for (const auto& sub : under) helps.push_back({name, sub, "--help"});
    }
    EXPECT_GE(helps.size(), 20u);
    for (const auto& args : helps) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const CliResult help = runCliOn(*dir_, args);
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("例：\n  arrange5-cli "), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("退出状态：0 完成"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("--format"), std::string::npos) << help.out;
        if (args[0] == "backtest") {
            for (const char* refused : {"--ref", "--verify", "--only-before", "--from", "--to"}) {
                EXPECT_EQ(help.out.find(std::string(refused) + " "), std::string::npos) << refused;
            }
        }
    }
}

TEST_F(SearchCli, BadInputExitsWithTwoAndOneLineNamingIt) {
    const std::vector<std::vector<std::string>> bad = {
        {"search", "--from", "abc"},
        {"search", "--to", "2013x"},
        {"search", "--earlier", "0"},
        {"search", "--ref", "1,2,3"},
        {"search", "--positions", "6"},
        {"search", "--kind", "colour"},
        {"search", "--verify", "2004001"},
        {"combo", "--k", "x"},
        {"search", "--from", "12"},
        {"search", "--to", "-5"},
        // Segment codes stored under base 1, searched under base 0 (recode first).
        {"--segment-base", "0", "search", "--kind", "segment"},
    };
    for (const auto& args : bad) {
        const CliResult run = runCliOn(*dir_, args);
        EXPECT_EQ(run.status, 2) << args[1] << " " << args.back();
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    const CliResult from = runCliOn(*dir_, {"search", "--from", "abc"});
    EXPECT_NE(from.err.find("--from"), std::string::npos) << from.err;

    // Inputs that used to run to an empty or wrong answer with exit 0; each refusal names
    // what was wrong, and the history stays as it was.
    const std::string before = runCliOn(*dir_, {"history"}).out;
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"search", "--ref", "1,2,10,4,5", "--positions", "3"}, "第 3 位的参考值 10"},
        // Refused only where the value takes part: a ticked position, or any position of
        // the combination search.
        {{"search", "--kind", "bigsmall", "--ref", "0,1,2,0,1", "--positions", "3"}, "0 到 1"},
        {{"combo", "--k", "4", "--kind", "segment", "--ref", "0,1,2,3,4"}, "1 到 5"},
        {{"combo", "--k", "0"}, "--k"},
        {{"combo", "--k", "6"}, "--k"},
        {{"backtest", "combo", "--k", "9"}, "--k"},
        {{"search", "--positions", "1,1"}, "--positions"},
        {{"search", "--from", "2013300", "--to", "2013100"}, "--from 2013300 晚于 --to 2013100"},
        {{"search", "--verify", "2099001"}, "历史中没有第 2099001 期"},
        {{"backtest", "search", "--top", "10"}, "--top"},
        {{"backtest", "search", "--targets", "2099001:2099100"}, "2099001"},
    };
    for (const auto& [args, mentions] : refused) {
        const CliResult run = runCliOn(*dir_, args);
        EXPECT_EQ(run.status, 2) << mentions;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    EXPECT_EQ(runCliOn(*dir_, {"history"}).out, before);

    // A value at a position that takes no part changes nothing and is not refused.
    const json ignored = search({"search", "--kind", "bigsmall", "--positions", "1,2", "--ref",
                                 "1,0,7,-3,1", "--from", "2020001", "--to", "2020300"});
    const json plain = search({"search", "--kind", "bigsmall", "--positions", "1,2", "--ref",
                               "1,0,0,0,1", "--from", "2020001", "--to", "2020300"});
    EXPECT_EQ(ignored["hits"], plain["hits"]);
    EXPECT_FALSE(ignored["hits"].empty());
}

}  // namespace
}  // namespace arrange5
