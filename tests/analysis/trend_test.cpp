#include "analysis/trend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "store/errors.h"

namespace arrange5 {
namespace {

HistorySnapshot snapshotOf(const std::vector<std::string>& draws) {
    HistorySnapshot rows;
    for (const std::string& draw : draws) {
        HistoryRow row;
        row.issue = 2020001 + static_cast<int32_t>(rows.size());
        Digits digits{};
        for (int p = 0; p < 5; ++p) digits[p] = static_cast<int16_t>(draw[p] - '0');
        row.codes = deriveCodes(digits, 1);
        rows.push_back(row);
    }
    return rows;
}

// ---- An independent model of the chart, written from the definitions as a player states them:
// for each draw, the set of "zone=value" names it shows; omissions by walking the draws.

using Shown = std::set<std::string>;

std::string name(const std::string& zone, const std::string& value) {
    return zone + "=" + value;
}

std::string ratio(int a, int b) {
    return std::to_string(a) + ":" + std::to_string(b);
}

Shown modelShown(const std::string& draw, const std::string* previous) {
    Shown s;
    std::vector<int> d;
    for (char c : draw) d.push_back(c - '0');
    std::vector<int> sorted = d;
    std::sort(sorted.begin(), sorted.end());
    std::map<int, int> multiplicity;
    for (int x : d) ++multiplicity[x];
    int most = 0;
    for (auto [digit, times] : multiplicity) most = std::max(most, times);
    const int distinct = static_cast<int>(multiplicity.size());

    int sum = 0, big = 0, odd = 0, prime = 0, r0 = 0, r1 = 0;
    for (int p = 0; p < 5; ++p) {
        const std::string pos = std::to_string(p + 1);
        s.insert(name(pos, std::to_string(d[p])));
        s.insert(name("pos" + pos + "_big", d[p] > 4 ? "1" : "0"));
        s.insert(name("pos" + pos + "_odd", d[p] & 1 ? "1" : "0"));
        s.insert(name("pos" + pos + "_road", std::to_string(d[p] % 3)));
        sum += d[p];
        big += d[p] > 4;
        odd += d[p] & 1;
        prime += std::string("2357").find(char('0' + d[p])) != std::string::npos;
        r0 += d[p] % 3 == 0;
        r1 += d[p] % 3 == 1;
    }
    s.insert(name("sum", std::to_string(sum)));
    s.insert(name("span", std::to_string(sorted.back() - sorted.front())));
    s.insert(name("big", std::to_string(big)));
    s.insert(name("odd", std::to_string(odd)));
    s.insert(name("prime", std::to_string(prime)));
    s.insert(name("mod3", ratio(r0, r1) + ":" + std::to_string(5 - r0 - r1)));
    s.insert(name("sum_tail", std::to_string(sum - sum / 10 * 10)));
    static const std::map<std::pair<int, int>, std::string> forms = {
        {{5, 1}, "全不同"}, {{4, 2}, "一对"}, {{3, 2}, "两对"}, {{3, 3}, "三条"},
        {{2, 3}, "三带二"}, {{2, 4}, "四条"}, {{1, 5}, "五同"}};
    s.insert(name("form", forms.at({distinct, most})));
    if (previous) {
        int same = 0;
        for (int p = 0; p < 5; ++p) same += draw[p] == (*previous)[p];
        s.insert(name("repeat", std::to_string(same)));
    }
    int pairs = 0;
    for (auto [digit, times] : multiplicity) pairs += multiplicity.count(digit + 1);
    s.insert(name("consecutive", std::to_string(pairs)));
    for (auto [digit, times] : multiplicity) s.insert(name("contains", std::to_string(digit)));
    const std::set<int> front(d.begin(), d.begin() + 3);
    s.insert(name("front3_sum", std::to_string(d[0] + d[1] + d[2])));
    s.insert(name("front3_span", std::to_string(*front.rbegin() - *front.begin())));
    s.insert(name("front3_form", front.size() == 3 ? "组六" : front.size() == 2 ? "组三" : "豹子"));
    s.insert(name("back2_sum", std::to_string(d[3] + d[4])));
    s.insert(name("back2_span", std::to_string(std::abs(d[3] - d[4]))));
    return s;
}

// Each row's omission of a cell, walking every draw from the first.
std::vector<int> modelOmissions(const std::vector<Shown>& shown, const std::string& cell) {
    std::vector<int> omissions;
    int omission = 0;
    for (const Shown& row : shown) {
        omission = row.count(cell) ? 0 : omission + 1;
        omissions.push_back(omission);
    }
    return omissions;
}

std::string cellName(TrendGroup group, int v) {
    return name(trendGroupKey(group),
                trendValueIsText(group) ? trendValueLabel(group, v) : std::to_string(v));
}

// Random histories, several windows: every cell of every zone agrees with the model, and its
// current omission is the same whatever the window.
TEST(TrendFigures, AgreeWithAnIndependentModelOnRandomHistories) {
    std::mt19937 random(36);
    for (const int length : {1, 2, 40, 333}) {
        std::vector<std::string> draws;
        std::uniform_int_distribution<int> digit(0, 9);
        for (int i = 0; i < length; ++i) {
            std::string draw;
            // Every fourth draw repeats digits often, so the rare forms and zones come up.
            for (int p = 0; p < 5; ++p)
                draw += char('0' + (i % 4 == 0 ? digit(random) % 3 : digit(random)));
            draws.push_back(draw);
        }
        std::vector<Shown> shown;
        for (int i = 0; i < length; ++i) {
            shown.push_back(modelShown(draws[i], i > 0 ? &draws[i - 1] : nullptr));
        }
        const HistorySnapshot rows = snapshotOf(draws);
        std::map<std::string, int> currentAtAll;
        for (const std::optional<int> w :
             {std::optional<int>(), std::optional<int>(1), std::optional<int>(7),
              std::optional<int>(30), std::optional<int>(length + 5)}) {
            const TrendTable table(rows, w);
            const int window = std::min(w.value_or(length), length);
            ASSERT_EQ(table.window(), window);
            for (int g = 0; g < kTrendGroupCount; ++g) {
                const TrendGroup group = trendGroup(g);
                for (int v = 0; v < trendValueCount(group); ++v) {
                    const std::string cell = cellName(group, v);
                    SCOPED_TRACE(cell + " length " + std::to_string(length) + " window " +
                                 std::to_string(window));
                    const std::vector<int> omissions = modelOmissions(shown, cell);
                    const auto first = omissions.end() - window;
                    const int count = static_cast<int>(std::count(first, omissions.end(), 0));
                    const TrendCell c = table.cell(group, v);
                    EXPECT_EQ(c.count, count);
                    EXPECT_EQ(c.current, omissions.back());
                    EXPECT_EQ(c.max, *std::max_element(first, omissions.end()));
                    EXPECT_DOUBLE_EQ(c.average, double(window - count) / (count + 1));
                    EXPECT_DOUBLE_EQ(c.expected, window * c.chance);
                    EXPECT_NEAR(c.pCurrent, std::pow(1 - c.chance, c.current), 1e-12);
                    EXPECT_LE(c.low, double(count) / window);
                    EXPECT_GE(c.high, double(count) / window);
                    if (!currentAtAll.emplace(cell, c.current).second) {
                        EXPECT_EQ(c.current, currentAtAll[cell]);
                    }
                    for (int row = 0; row < window; row += 1 + window / 5) {
                        EXPECT_EQ(table.shows(row, group, v), first[row] == 0);
                        EXPECT_EQ(table.omission(row, group, v), first[row]);
                    }
                }
            }
        }
    }
}

// The exact chances, counted by the model over all 100,000 draws (重号 after a draw other than
// 00000), and the numbers a player finds in any table of 排列五.
TEST(TrendFigures, ZoneChancesAreExact) {
    std::map<std::string, int> counted;
    const std::string before = "37051";
    for (int n = 0; n < 100000; ++n) {
        char draw[6];
        std::snprintf(draw, sizeof draw, "%05d", n);
        for (const std::string& cell : modelShown(draw, &before)) ++counted[cell];
    }
    for (int g = 0; g < kTrendGroupCount; ++g) {
        const TrendGroup group = trendGroup(g);
        for (int v = 0; v < trendValueCount(group); ++v) {
            EXPECT_EQ(std::lround(trendChances(group)[v] * 100000), counted[cellName(group, v)])
                << cellName(group, v);
        }
    }
    const std::vector<std::pair<std::string, int>> known = {
        {"form=全不同", 30240},     {"form=一对", 50400},        {"form=两对", 10800},
        {"form=三条", 7200},        {"form=三带二", 900},        {"form=四条", 450},
        {"form=五同", 10},          {"front3_form=组六", 72000}, {"front3_form=组三", 27000},
        {"front3_form=豹子", 1000}, {"contains=9", 40951},       {"pos2_road=0", 40000},
        {"sum=22", 6000},           {"span=7", 20790},           {"mod3=2:2:1", 12960}};
    for (const auto& [cell, count] : known) EXPECT_EQ(counted[cell], count) << cell;
    const boost::math::binomial repeat(5, 0.1);
    for (int k = 0; k <= 5; ++k) {
        EXPECT_NEAR(trendChances(TrendGroup::Repeat)[k], boost::math::pdf(repeat, k), 1e-12);
    }
}

// Edge cases a player meets: the largest omission at the last digit of the last position, a
// window out of range, and a stored digit outside 0..9, which must be refused by issue, never
// used as an index.
TEST(TrendFigures, LargestOmissionWindowAndStoredDigitChecks) {
    // 99999, then 0000 0, 1111 1, …, 8888 8, 9999 0: 个位 9 stays away 10 draws, every other
    // cell at most 9.
    std::vector<std::string> draws = {"99999"};
    for (int i = 0; i <= 9; ++i) draws.push_back(std::string(4, char('0' + i)) + char('0' + i % 9));
    const TrendTable table(snapshotOf(draws), 3);
    EXPECT_EQ(table.cell(TrendGroup::Position5, 9).current, 10);
    EXPECT_EQ(table.largestCurrent(), 10);
    EXPECT_NEAR(chanceOfLargestOmission(44), 0.3914, 0.0001);
    EXPECT_DOUBLE_EQ(chanceOfLargestOmission(9), 1.0);  // nine draws cannot show ten digits

    EXPECT_THROW(TrendTable(snapshotOf({"12345"}), 0), InputError);
    EXPECT_THROW(TrendTable(HistorySnapshot{}, std::nullopt), InputError);
    for (const int bad : {12, -1, 9999}) {
        HistorySnapshot rows = snapshotOf({"12345", "54321", "11111"});
        rows[1].codes[0][0] = static_cast<int16_t>(bad);
        try {
            TrendTable(rows, 2);
            ADD_FAILURE() << bad;
        } catch (const StoreError& e) {
            EXPECT_NE(std::string(e.what()).find("2020002"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace arrange5
