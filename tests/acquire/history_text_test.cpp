#include "acquire/history_text.h"

#include <gtest/gtest.h>

#include "store/errors.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

TEST(HistoryLine, SeparatorAndDigitFieldPlacement) {
    for (const char* line : {"2013001 12345", "2013001  12345", "2013001\t12345",
                             "2013001 12345   ", "2013001    12345", "2013001x12345"}) {
        const ParsedLine p = parseHistoryLine(line);
        ASSERT_EQ(p.problem, LineProblem::None) << line;
        EXPECT_EQ(p.entry.issue, 2013001) << line;
        EXPECT_EQ(p.entry.digits, (Digits{1, 2, 3, 4, 5})) << line;
    }
    EXPECT_EQ(parseHistoryLine("2013001 01234").entry.digits, (Digits{0, 1, 2, 3, 4}));
}

TEST(HistoryLine, LinesThatMustNeverBecomeRows) {
    EXPECT_EQ(parseHistoryLine("0000000 12345").problem, LineProblem::IssueZero);
    EXPECT_EQ(parseHistoryLine("2013001 12").problem, LineProblem::NotADrawLine) << "too short";
    EXPECT_EQ(parseHistoryLine("2013001 1234").problem, LineProblem::BadDigitField);
    EXPECT_EQ(parseHistoryLine("2013001 1234 ").problem, LineProblem::BadDigitField);
    EXPECT_EQ(parseHistoryLine("2013001 123456").problem, LineProblem::BadDigitField);
    EXPECT_EQ(parseHistoryLine("2013001 12a45").problem, LineProblem::BadDigitField);
    EXPECT_EQ(parseHistoryLine("2013001 -1234").problem, LineProblem::BadDigitField);
    EXPECT_EQ(parseHistoryLine("2013001      12345").problem, LineProblem::BadDigitField)
        << "the digits must start by column 12";
    EXPECT_EQ(parseHistoryLine("201300A 12345").problem, LineProblem::NotADrawLine);
    EXPECT_EQ(parseHistoryLine("-013001 12345").problem, LineProblem::NotADrawLine);
    EXPECT_EQ(parseHistoryLine("期号    第1位").problem, LineProblem::NotADrawLine);
}

TEST(HistoryText, LineEndsByteOrderMarkAndOrdering) {
    const std::string body = "2013001 12345\r\n2013002 67890\n2013003 00000\r2013004 11111";
    const HistoryText plain = parseHistoryText(body);
    ASSERT_EQ(plain.entries.size(), 4u);
    EXPECT_EQ(plain.entries[3].issue, 2013004);
    EXPECT_EQ(parseHistoryText("\xEF\xBB\xBF" + body).entries.size(), 4u);

    const HistoryText messy = parseHistoryText(
        "header line\r\n2013001 12345\r\n\r\n2013001 99999\r\n2013000 99999\r\n2013002 1x345\r\n"
        "2013003 55555\r\n");
    ASSERT_EQ(messy.entries.size(), 2u);
    EXPECT_EQ(messy.entries[1].issue, 2013003);
    EXPECT_EQ(messy.skippedCount, 5u) << "the blank line counts among the unused lines";
    ASSERT_EQ(messy.firstSkipped.size(), 5u);
    EXPECT_EQ(messy.firstSkipped[0].lineNumber, 1u);
    EXPECT_EQ(messy.firstSkipped[1].problem, LineProblem::BlankLine);
    EXPECT_EQ(messy.firstSkipped[2].lineNumber, 4u);
    EXPECT_EQ(messy.firstSkipped[2].problem, LineProblem::NotAscending);
    EXPECT_EQ(messy.firstSkipped[3].problem, LineProblem::NotAscending);
    EXPECT_EQ(messy.firstSkipped[4].problem, LineProblem::BadDigitField);
    EXPECT_NE(describeSkipped(messy).find("第 4 行"), std::string::npos);
}

TEST(HistoryText, WriteThenReadGivesTheSameEntries) {
    test::TempDir dir;
    const auto entries = test::entriesFrom(2013357, {"12345", "00000", "98765", "01234"});
    writeHistoryFile(dir / "out.txt", entries);
    const std::string written = test::readFile(dir / "out.txt");
    EXPECT_EQ(written.substr(0, 15), "2013357 12345\r\n");
    EXPECT_EQ(written.size(), 4u * 15u);
    const HistoryText back = readHistoryFile(dir / "out.txt");
    ASSERT_EQ(back.entries.size(), 4u);
    EXPECT_EQ(back.entries[2].issue, 2014001);
    EXPECT_EQ(back.entries[3].digits, (Digits{0, 1, 2, 3, 4}));
    EXPECT_THROW(readHistoryFile(dir / "missing.txt"), HistoryFileError);
}

}  // namespace
}  // namespace arrange5
