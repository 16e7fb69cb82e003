#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

using nlohmann::json;
using test::CliResult;
using test::runCliOn;
using test::TempDir;

const json* yearOf(const json& check, int year) {
    for (const json& y : check["years"]) {
        if (y["year"] == year) return &y;
    }
    return nullptr;
}

TEST(HistoryCheck, TheBundledHistoryIsSoundAndItsDigestIsSha256sumOfTheExport) {
    TempDir dir;
    ASSERT_EQ(runCliOn(dir, {"import", test::realHistoryFile().string()}).status, 0);
    const auto exported = dir / "exported.txt";
    ASSERT_EQ(runCliOn(dir, {"export", exported.string()}).status, 0);

    const CliResult run = runCliOn(dir, {"check"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json check = json::parse(run.out);
    EXPECT_EQ(check["draws"], 7641);
    EXPECT_EQ(check["first"], 2004009);
    EXPECT_EQ(check["last"], 2026174);
    EXPECT_EQ(check["years"].size(), 23u);
    EXPECT_EQ(check["problems"], json::array())
        << "2004 starting at 009 is where the history begins";
    EXPECT_EQ(check["sha256"], test::sha256sumOf(exported));
    ASSERT_NE(yearOf(check, 2008), nullptr);
    EXPECT_EQ((*yearOf(check, 2008))["draws"], 359);
    EXPECT_EQ((*yearOf(check, 2008))["last"], 2008359);
    EXPECT_EQ((*yearOf(check, 2004))["first"], 2004009);
}

TEST(HistoryCheck, NamesAGapAMissingYearStartAndCodesThatDoNotFollowFromTheDigits) {
    TempDir dir;
    std::istringstream real(test::readFile(test::realHistoryFile()));
    std::string lines;
    for (std::string line; std::getline(real, line);) {
        if (line.rfind("2016150", 0) != 0 && line.rfind("2017001", 0) != 0) lines += line + "\n";
    }
    test::writeFile(dir / "gaps.txt", lines);
    // Rows written under segment base 0 are as sound as those under base 1.
    ASSERT_EQ(runCliOn(dir, {"--segment-base", "0", "import", (dir / "gaps.txt").string()}).status,
              0);
    {
        SQLite::Database db((dir / "Zembric.mdb").string(), SQLite::OPEN_READWRITE);
        db.exec("UPDATE Lishi SET L2E = 1 - L2E WHERE SQQH = 2020100");
    }

    const CliResult run = runCliOn(dir, {"check"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("3 个问题"), std::string::npos) << run.err;
    const json check = json::parse(run.out);
    EXPECT_EQ(check["draws"], 7639);
    EXPECT_EQ((*yearOf(check, 2016))["missing"], json::array({2016150}));
    EXPECT_EQ((*yearOf(check, 2017))["first"], 2017002);
    const std::string problems = check["problems"].dump();
    ASSERT_EQ(check["problems"].size(), 3u) << problems;
    EXPECT_NE(problems.find("2016150"), std::string::npos) << problems;
    EXPECT_NE(problems.find("2017002"), std::string::npos) << problems;
    EXPECT_NE(problems.find("2020100"), std::string::npos) << problems;
}

TEST(HistoryCheck, NamesWholeYearsMissingInsideTheSpan) {
    TempDir dir;
    std::istringstream real(test::readFile(test::realHistoryFile()));
    std::string lines;
    for (std::string line; std::getline(real, line);) {
        if (line.rfind("2011", 0) != 0 && line.rfind("2012", 0) != 0) lines += line + "\n";
    }
    test::writeFile(dir / "holes.txt", lines);
    ASSERT_EQ(runCliOn(dir, {"import", (dir / "holes.txt").string()}).status, 0);

    const CliResult run = runCliOn(dir, {"check"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json check = json::parse(run.out);
    ASSERT_EQ(check["problems"].size(), 1u) << check["problems"].dump();
    const std::string problem = check["problems"][0];
    EXPECT_NE(problem.find("2011 年至 2012 年没有任何一期"), std::string::npos) << problem;
    EXPECT_NE(problem.find("第 2013001 期"), std::string::npos) << problem;
}

}  // namespace
}  // namespace arrange5
