// Every file of tests/data/bad imported over an existing history: the draws the file really
// holds are stored, nothing else; a file without a draw line leaves the history as it was;
// and whatever was passed over is reported with its line numbers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

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

struct Expected {
    std::vector<std::string> draws;  // empty: the file is refused
    std::vector<std::size_t> skippedLines;
};

const std::vector<std::string> kThree{"2013001 12345", "2013002 67890", "2013003 00000"};

const std::map<std::string, Expected>& corpus() {
    static const std::map<std::string, Expected> expected{
        {"empty.txt", {}},
        {"binary_noise.txt", {}},
        {"utf16le_bom.txt", {}},
        {"utf16be.txt", {}},
        {"only_bad_lines.txt", {{}, {1, 2, 3, 4}}},
        {"utf8_bom.txt", {kThree, {}}},
        {"lf_only.txt", {kThree, {}}},
        {"cr_only.txt", {kThree, {}}},
        {"mixed_line_ends.txt",
         {{"2013001 12345", "2013002 67890", "2013003 00000", "2013004 11111"}, {}}},
        {"tab_separator.txt", {kThree, {}}},
        {"tab_inside_digits.txt", {{"2013001 12345", "2013003 00000"}, {2}}},
        {"issue_zero.txt", {kThree, {1}}},
        {"negative_digits.txt", {{"2013001 12345", "2013003 00000"}, {2}}},
        {"negative_issue.txt", {kThree, {1}}},
        {"six_digit_field.txt", {{"2013001 12345", "2013003 00000"}, {2}}},
        {"six_digit_issue.txt", {kThree, {1}}},
        {"letters_in_digits.txt", {{"2013001 12345", "2013004 11111"}, {2, 3}}},
        {"letters_in_issue.txt", {{"2013001 12345", "2013003 00000"}, {2}}},
        {"repeated_issues.txt", {kThree, {3}}},
        {"descending.txt", {{"2013003 00000"}, {2, 3}}},
        {"header_and_blank_lines.txt", {kThree, {1, 2, 4, 6, 8}}},
        {"short_lines.txt", {kThree, {1, 2, 6}}},
        {"nul_bytes.txt", {{"2013001 12345", "2013003 00000"}, {2, 3}}},
        {"text_after_digits.txt", {{"2013001 12345", "2013003 00000"}, {2}}},
        {"gbk_text.txt", {kThree, {1, 5}}},
    };
    return expected;
}

class BadHistoryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        store_ = std::make_unique<HistoryStore>(dir_.path());
        importHistoryFile(*store_, test::realHistoryFile());
        before_ = test::storedDraws(store_->databasePath());
    }

    // Imports `file` and checks what was stored and what was reported.
    void expectImport(const fs::path& file, const Expected& expected) {
        SCOPED_TRACE(file.filename().string());
        if (expected.draws.empty()) {
            try {
                importHistoryFile(*store_, file);
                ADD_FAILURE() << "a file without a draw line was accepted";
            } catch (const HistoryFileError& e) {
                EXPECT_THAT(e.what(), HasSubstr("没有开奖号码行"));
                EXPECT_THAT(e.what(), HasSubstr("历史号码保持原样"));
                for (std::size_t line : expected.skippedLines) {
                    EXPECT_THAT(e.what(), HasSubstr("第 " + std::to_string(line) + " 行："));
                }
            }
            EXPECT_EQ(test::storedDraws(store_->databasePath()), before_);
            return;
        }
        const ReplaceReport report = importHistoryFile(*store_, file);
        EXPECT_EQ(test::storedDraws(store_->databasePath()), expected.draws);
        EXPECT_EQ(report.stored, expected.draws.size());
        EXPECT_EQ(report.skipped, expected.skippedLines.size());
        for (std::size_t line : expected.skippedLines) {
            EXPECT_THAT(report.summary(), HasSubstr("第 " + std::to_string(line) + " 行："));
        }
        EXPECT_EQ(test::integrityCheck(store_->databasePath()), "ok");
        // Back to the real history for the next file.
        importHistoryFile(*store_, test::realHistoryFile());
    }

    TempDir dir_;
    std::unique_ptr<HistoryStore> store_;
    std::vector<std::string> before_;
};

TEST_F(BadHistoryFile, EveryCorpusFileStoresOnlyItsDrawsAndReportsTheRest) {
    const fs::path folder = test::testDataFolder() / "bad";
    std::set<std::string> seen;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const auto it = corpus().find(name);
        ASSERT_NE(it, corpus().end()) << name << " has no expectation";
        seen.insert(name);
        expectImport(entry.path(), it->second);
    }
    EXPECT_EQ(seen.size(), corpus().size()) << "every expectation has its file";
    EXPECT_GE(seen.size(), 20u);
}

TEST_F(BadHistoryFile, OneMegabyteLineIsSkippedAndTheDrawsAroundItKept) {
    const fs::path file = dir_ / "long_line.txt";
    std::string text = "2013001 12345\r\n";
    text += "2013002 " + std::string(1 << 20, '7') + "\r\n";
    text += std::string(1 << 20, 'x') + "\r\n";
    text += "2013003 00000\r\n";
    test::writeFile(file, text);
    expectImport(file, {{"2013001 12345", "2013003 00000"}, {2, 3}});

    test::writeFile(file, std::string(1 << 20, '9'));
    expectImport(file, {{}, {1}});
}

TEST_F(BadHistoryFile, PublishedHistoryWithAnIssueOutOfPlaceKeepsEveryOtherDraw) {
    // Published data has 2008267 standing after 2008274.
    std::ifstream in(test::realHistoryFile(), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    const auto at = [&](const std::string& issue) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].starts_with(issue)) return i;
        }
        throw std::runtime_error(issue + " is not in the bundled history");
    };
    const std::string moved = lines[at("2008267")];
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at("2008267")));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at("2008274")) + 1, moved);
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    const fs::path file = dir_ / "published.txt";
    test::writeFile(file, text);

    std::vector<std::string> expected = before_;
    expected.erase(std::find(expected.begin(), expected.end(), moved));
    expectImport(file, {expected, {at("2008267") + 1}});
}

TEST_F(BadHistoryFile, CommandLineReportsTheSkippedLinesAndRefusesEmptyFiles) {
    const std::string cli = ARRANGE5_CLI_PATH;
    store_.reset();
    const auto skipped =
        test::runCliProcess({"--dir", dir_.path().string(), "import",
                             (test::testDataFolder() / "bad" / "letters_in_digits.txt").string()},
                            dir_.path());
    EXPECT_EQ(skipped.status, 0) << skipped.err;
    EXPECT_THAT(skipped.out, HasSubstr("已存入 2 期"));
    EXPECT_THAT(skipped.out, HasSubstr("跳过 2 行（第 2 行：号码不是五个数字；第 3 行"));

    const auto refused =
        test::runCliProcess({"--dir", dir_.path().string(), "import",
                             (test::testDataFolder() / "bad" / "utf16le_bom.txt").string()},
                            dir_.path());
    EXPECT_EQ(refused.status, 2);
    EXPECT_THAT(refused.err, HasSubstr("utf16le_bom.txt 中没有开奖号码行"));
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb").size(), 2u);
}

}  // namespace
}  // namespace arrange5
