#include "analysis/trend.h"

#include <gtest/gtest.h>

#include <boost/math/distributions/binomial.hpp>
#include <cmath>
#include <numeric>

#include "store/errors.h"

namespace arrange5 {
namespace {

HistorySnapshot snapshotOf(const std::vector<std::string>& draws) {
    HistorySnapshot rows;
    for (const std::string& draw : draws) {
        HistoryRow row;
        row.issue = 2020001 + static_cast<int32_t>(rows.size());
        for (int p = 0; p < 5; ++p) row.codes[0][p] = static_cast<int16_t>(draw[p] - '0');
        rows.push_back(row);
    }
    return rows;
}

int indexOfLabel(TrendGroup group, const std::string& label) {
    for (int v = 0; v < trendValueCount(group); ++v) {
        if (trendValueLabel(group, v) == label) return v;
    }
    return -1;
}

TrendGroup position(int p) {
    return static_cast<TrendGroup>(p - 1);
}

// Eight draws, of which the window keeps the last six:
//   row 0 10000, 1 12345, 2 10000, 3 67890, 4 10000, 5 99999.
// The 2 at the first position of the second draw lies before the window.
TEST(TrendFigures, DefinitionsOnAHistoryCheckedByEye) {
    const TrendTable table(
        snapshotOf({"11111", "22222", "10000", "12345", "10000", "67890", "10000", "99999"}), 6);
    ASSERT_EQ(table.window(), 6);
    EXPECT_EQ(table.issue(0), 2020003);

    struct Case {
        TrendGroup group;
        std::string value;
        int count, current, max;
        double average;
    };
    const std::vector<Case> cases = {
        {position(1), "1", 4, 1, 1, 2.0 / 5},  // rows 0 1 2 4
        {position(1), "6", 1, 2, 3, 5.0 / 2},  // row 3: three before it, two after
        {position(1), "9", 1, 0, 5, 5.0 / 2},  // the last row: the run before it is the longest
        {position(1), "2", 0, 6, 6, 6.0},      // only before the window
        {position(3), "5", 0, 6, 6, 6.0},      // never drawn anywhere
        {position(2), "0", 3, 1, 1, 3.0 / 4},
        {TrendGroup::Sum, "1", 3, 1, 1, 3.0 / 4},
        {TrendGroup::Sum, "45", 1, 0, 5, 5.0 / 2},
        {TrendGroup::Span, "9", 1, 2, 3, 5.0 / 2},
        {TrendGroup::Big, "4", 1, 2, 3, 5.0 / 2},
        {TrendGroup::Odd, "3", 1, 4, 4, 5.0 / 2},
        {TrendGroup::Prime, "0", 4, 0, 1, 2.0 / 5},  // 1 and 0 count as composite
        {TrendGroup::Prime, "3", 1, 4, 4, 5.0 / 2},
        {TrendGroup::Mod3, "4:1:0", 3, 1, 1, 3.0 / 4},
        {TrendGroup::Mod3, "3:1:1", 1, 2, 3, 5.0 / 2},
        {TrendGroup::Mod3, "5:0:0", 1, 0, 5, 5.0 / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(trendGroupCaption(c.group) + " " + c.value);
        const int v = indexOfLabel(c.group, c.value);
        ASSERT_GE(v, 0);
        const TrendCell cell = table.cell(c.group, v);
        EXPECT_EQ(cell.count, c.count);
        EXPECT_EQ(cell.current, c.current);
        EXPECT_EQ(cell.max, c.max);
        EXPECT_DOUBLE_EQ(cell.average, c.average);
    }

    const TrendCell one = table.cell(position(1), 1);
    EXPECT_DOUBLE_EQ(one.expected, 0.6);
    EXPECT_DOUBLE_EQ(one.pCurrent, 0.9);
    EXPECT_LT(one.low, 4.0 / 6);
    EXPECT_GT(one.high, 4.0 / 6);
    EXPECT_DOUBLE_EQ(table.cell(position(1), 2).pCurrent, std::pow(0.9, 6));

    // The omission of a cell on each row: 0 where it came, else draws since it last came.
    std::vector<int> six, two;
    for (int row = 0; row < table.window(); ++row) {
        six.push_back(table.omission(row, position(1), 6));
        two.push_back(table.omission(row, position(1), 2));
    }
    EXPECT_EQ(six, (std::vector<int>{1, 2, 3, 0, 1, 2}));
    EXPECT_EQ(two, (std::vector<int>{1, 2, 3, 4, 5, 6}));

    EXPECT_EQ(table.largestCurrent(), 6);
    // Six draws cannot show all ten digits at a position: some cell is always that far out.
    EXPECT_DOUBLE_EQ(chanceOfLargestOmission(table.largestCurrent()), 1.0);
    EXPECT_NEAR(chanceOfLargestOmission(44), 0.3914, 0.0001);
    EXPECT_DOUBLE_EQ(chanceOfLargestOmission(0), 1.0);

    // A window larger than the history is the whole history; none below one draw.
    EXPECT_EQ(TrendTable(snapshotOf({"12345", "54321"}), 200).window(), 2);
    EXPECT_THROW(TrendTable(snapshotOf({"12345"}), 0), InputError);
    EXPECT_THROW(TrendTable(HistorySnapshot{}, std::nullopt), InputError);
}

TEST(TrendFigures, IndicatorDistributionsOfFairDraws) {
    for (int g = 0; g < kTrendGroupCount; ++g) {
        const auto& chances = trendChances(static_cast<TrendGroup>(g));
        EXPECT_NEAR(std::accumulate(chances.begin(), chances.end(), 0.0), 1.0, 1e-12) << g;
    }
    const auto& sum = trendChances(TrendGroup::Sum);
    ASSERT_EQ(sum.size(), 46u);
    EXPECT_DOUBLE_EQ(sum[22] * 100000, 6000);
    EXPECT_DOUBLE_EQ(sum[23] * 100000, 6000);
    EXPECT_DOUBLE_EQ(sum[0] * 100000, 1);
    EXPECT_DOUBLE_EQ(trendChances(TrendGroup::Span)[7], 0.2079);

    const boost::math::binomial half(5, 0.5), prime(5, 0.4);
    for (int k = 0; k <= 5; ++k) {
        EXPECT_NEAR(trendChances(TrendGroup::Big)[k], boost::math::pdf(half, k), 1e-12);
        EXPECT_NEAR(trendChances(TrendGroup::Odd)[k], boost::math::pdf(half, k), 1e-12);
        EXPECT_NEAR(trendChances(TrendGroup::Prime)[k], boost::math::pdf(prime, k), 1e-12);
    }
    // Remainder 0 has four digits (0 3 6 9), 1 and 2 three each: 5!/(2!2!1!)·0.4²·0.3²·0.3.
    ASSERT_EQ(trendValueCount(TrendGroup::Mod3), 21);
    EXPECT_EQ(trendValueLabel(TrendGroup::Mod3, 0), "0:0:5");
    EXPECT_EQ(trendValueLabel(TrendGroup::Mod3, 20), "5:0:0");
    EXPECT_NEAR(trendChances(TrendGroup::Mod3)[indexOfLabel(TrendGroup::Mod3, "2:2:1")], 0.1296,
                1e-12);
}

}  // namespace
}  // namespace arrange5
