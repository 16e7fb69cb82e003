#include <gtest/gtest.h>

#include "store/draw.h"

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

TEST(NextIssue, RollsOverAfterSequence358) {
    EXPECT_EQ(nextIssueForDisplay(2013358), 2014001);
    EXPECT_EQ(nextIssueForDisplay(2013357), 2013358);
    EXPECT_EQ(nextIssueForDisplay(2013359), 2013360);
    EXPECT_EQ(nextIssueForDisplay(2013001), 2013002);
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
