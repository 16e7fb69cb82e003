#include <gtest/gtest.h>

#include "store/draw.h"
#include "store/errors.h"

namespace arrange5 {
namespace {

TEST(OccurrenceString, TheFourKindsOfOneTwoOneThreeOne) {
    const CodeVectors c = deriveCodes({1, 2, 1, 3, 1}, 1);
    EXPECT_EQ(occurrenceString(c[0]), "1X1 1X2 2X1 1X3 3X1 ");
    EXPECT_EQ(occurrenceString(c[1]), "1X0 2X0 3X0 4X0 5X0 ");
    EXPECT_EQ(occurrenceString(c[2]), "1X1 1X0 2X1 3X1 4X1 ");
    EXPECT_EQ(occurrenceString(c[3]), "1X1 1X2 2X1 2X2 3X1 ");
}

TEST(DeriveCodes, AllZerosAndAllFivesWithBaseZero) {
    const CodeVectors zeros = deriveCodes({0, 0, 0, 0, 0}, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(zeros[1][i], 0);
        EXPECT_EQ(zeros[2][i], 0);
        EXPECT_EQ(zeros[3][i], 0);
    }
    EXPECT_EQ(occurrenceString(zeros[0]), "1X0 2X0 3X0 4X0 5X0 ");
    EXPECT_EQ(digitString({0, 0, 0, 0, 0}), "00000");
    EXPECT_EQ(deriveCodes({0, 0, 0, 0, 0}, 1)[3][0], 1);

    const CodeVectors fives = deriveCodes({5, 5, 5, 5, 5}, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(fives[1][i], 1);
        EXPECT_EQ(fives[2][i], 1);
        EXPECT_EQ(fives[3][i], 2);
    }
    EXPECT_EQ(occurrenceString(fives[0]), "1X5 2X5 3X5 4X5 5X5 ");
}

TEST(DeriveCodes, BoundaryDigits) {
    const CodeVectors base0 = deriveCodes({4, 5, 8, 9, 0}, 0);
    EXPECT_EQ(base0[1][0], 0) << "4 is small";
    EXPECT_EQ(base0[1][1], 1) << "5 is big";
    EXPECT_EQ(base0[3][2], 4);
    EXPECT_EQ(base0[3][3], 4);
    const CodeVectors base1 = deriveCodes({4, 5, 8, 9, 0}, 1);
    EXPECT_EQ(base1[3][2], 5);
    EXPECT_EQ(base1[3][3], 5);
    EXPECT_EQ(digitString({0, 1, 2, 3, 4}), "01234");
}

TEST(NextIssue, FollowsTheCalendarAndAcceptsOnlyTheTwoPossibleIssues) {
    EXPECT_EQ(nextIssue(2013358, 2014), 2014001) << "on 2014-01-02";
    EXPECT_EQ(nextIssue(2013357, 2013), 2013358) << "on 2013-12-30";
    EXPECT_EQ(nextIssue(2008358, 2008), 2008359) << "2008 had 359 draws";
    EXPECT_EQ(nextIssue(2025351, 2026), 2026001) << "2025 had 351 draws";
    EXPECT_EQ(nextIssue(2025351, 2028), 2026001) << "a history left alone for years";
    EXPECT_EQ(nextIssue(2026010, 2025), 2026011) << "a clock set back does not go back";
    // Only without a clock does the year end after 358.
    EXPECT_EQ(nextIssue(2013358, std::nullopt), 2014001);
    EXPECT_EQ(nextIssue(2013357, std::nullopt), 2013358);
    EXPECT_EQ(nextIssue(2013359, std::nullopt), 2013360);

    EXPECT_NO_THROW(acceptChosenIssue(2008358, 2008359));
    EXPECT_NO_THROW(acceptChosenIssue(2008358, 2009001));
    for (const int64_t wrong : {2008358, 2008360, 2009002, 2007001, 2010001, 0}) {
        EXPECT_THROW(acceptChosenIssue(2008358, wrong), InputError) << wrong;
    }
    try {
        acceptChosenIssue(2025351, 2025353);
        ADD_FAILURE() << "2025353 accepted after 2025351";
    } catch (const InputError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("2025352"), std::string::npos) << message;
        EXPECT_NE(message.find("2026001"), std::string::npos) << message;
    }

    // The field: trimmed digits only, checked against the last issue when there is one.
    EXPECT_EQ(parseChosenIssue(" 2008359 ", 2008358), 2008359);
    EXPECT_EQ(parseChosenIssue("2009001", 2008358), 2009001);
    EXPECT_THROW(parseChosenIssue("2008360", 2008358), InputError);
    EXPECT_EQ(parseChosenIssue("2026001", std::nullopt), 2026001) << "empty history";
    for (const char* bad : {"2013000", "201301", "02013001", "2013001.4", "abc", "", "20130011"}) {
        EXPECT_THROW(parseChosenIssue(bad, std::nullopt), InputError) << bad;
    }

    EXPECT_EQ(yearOfIsoDate("2026-01-01"), 2026);
    EXPECT_EQ(yearOfIsoDate("2024-02-29"), 2024);
    for (const char* bad :
         {"2025-02-29", "2026-13-01", "2026-1-01", "2026/01/01", "", "20260101x"}) {
        EXPECT_EQ(yearOfIsoDate(bad), std::nullopt) << bad;
    }
}

TEST(ColumnNames, FollowTheNamingScheme) {
    EXPECT_EQ(codeColumn(3, CodeKind::Number), "L3A");
    EXPECT_EQ(codeColumn(1, CodeKind::Segment, "P"), "L1FP");
    EXPECT_EQ(codeColumn(2, CodeKind::OddEven, "S"), "L2ES");
    EXPECT_EQ(outcomeName(CodeKind::BigSmall, 1), "大");
    EXPECT_EQ(outcomeName(CodeKind::OddEven, 0), "双");
    EXPECT_EQ(outcomeName(CodeKind::Segment, 5), "5");
}

}  // namespace
}  // namespace arrange5
