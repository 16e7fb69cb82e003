#include "analysis/chance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "acquire/manual_entry.h"
#include "analysis/chance_table.h"
#include "analysis/exact_tests.h"
#include "analysis/rest_comparison.h"
#include "analysis/segment_bases.h"
#include "analysis/study_rule.h"
#include "analysis/tally.h"
#include "search_model.h"

// Expected values below were computed apart from this code, with arbitrary precision
// (regularised incomplete gamma for χ², a direct binomial sum, the Wilson formula by hand).
namespace arrange5 {
namespace {

// Tally rows of the given outcome values and counts; the total is their sum unless given.
std::vector<TallyRow> rows(CodeKind kind, int firstValue, const std::vector<int64_t>& counts) {
    int64_t total = 0;
    for (auto c : counts) total += c;
    std::vector<TallyRow> out;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        TallyRow row;
        row.value = firstValue + static_cast<int>(i);
        row.outcome = outcomeName(kind, row.value);
        row.count = counts[i];
        row.percent = formatPercent(row.count, total);
        out.push_back(row);
    }
    return out;
}

SearchResult result(CodeKind kind, int firstValue, const std::vector<int64_t>& counts,
                    int64_t total = -1) {
    SearchResult r;
    r.tally = rows(kind, firstValue, counts);
    if (total < 0) {
        total = 0;
        for (auto c : counts) total += c;
    }
    r.total = total;
    return r;
}

TEST(ChanceStatistics, DistributionsIntervalsAndWordingMatchIndependentValues) {
    EXPECT_DOUBLE_EQ(chanceRate(CodeKind::Number), 0.1);
    EXPECT_DOUBLE_EQ(chanceRate(CodeKind::BigSmall), 0.5);
    EXPECT_DOUBLE_EQ(chanceRate(CodeKind::OddEven), 0.5);
    EXPECT_DOUBLE_EQ(chanceRate(CodeKind::Segment), 0.2);

    // The worked example: "2" counted 129 times among 1,108 values.
    const Interval two = wilsonInterval(129, 1108);
    EXPECT_NEAR(two.low, 0.0988520539, 1e-9);
    EXPECT_NEAR(two.high, 0.1366504602, 1e-9);
    // At the ends the interval stays inside [0, 1] and is not empty.
    const Interval none = wilsonInterval(0, 20);
    EXPECT_DOUBLE_EQ(none.low, 0.0);
    EXPECT_NEAR(none.high, 0.1611251602, 1e-9);
    const Interval all = wilsonInterval(20, 20);
    EXPECT_NEAR(all.low, 0.8388748398, 1e-9);
    EXPECT_DOUBLE_EQ(all.high, 1.0);

    ASSERT_TRUE(chiSquarePValue(13.3, 9));
    EXPECT_NEAR(*chiSquarePValue(13.3, 9), 0.1494947732, 1e-9);
    EXPECT_NEAR(*chiSquarePValue(4.0, 1), 0.0455002639, 1e-9);
    EXPECT_FALSE(chiSquarePValue(3.0, 0));
    EXPECT_FALSE(chiSquarePValue(-1.0, 3));

    EXPECT_NEAR(binomialUpperTail(129, 1108, 0.1), 0.0403928138, 1e-9);
    EXPECT_NEAR(binomialUpperTail(8, 10, 0.5), 56.0 / 1024, 1e-12);
    EXPECT_DOUBLE_EQ(binomialUpperTail(0, 10, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(binomialUpperTail(11, 10, 0.5), 0.0);

    EXPECT_EQ(formatPValue(0.1494947732), "0.15");
    EXPECT_EQ(formatPValue(0.01249), "0.012");
    EXPECT_EQ(formatPValue(0.0003), "0.0003");
    EXPECT_EQ(formatPValue(0.000438721771), "0.00044");
    EXPECT_EQ(formatPValue(1.234e-9), "1.2e-09");

    // Two significant digits, never rounded across 0.05, and the ends said in words.
    const std::vector<std::pair<double, std::string>> shown = {
        {0.049588, "p = 0.0496"}, {0.04999, "p = 0.04999"}, {0.0504, "p = 0.05"},
        {0.05, "p = 0.05"},       {0.00005, "p < 0.0001"},  {0.0001, "p = 0.0001"},
        {0.99, "p = 0.99"},       {0.995, "p > 0.99"},      {1.0, "p > 0.99"}};
    for (const auto& [p, text] : shown) EXPECT_EQ(pValueText(p), text) << p;

    // The chance test describes the tally; it says what a difference does not mean, and it
    // is judged at the setting's place in the study like every other test.
    EXPECT_EQ(chanceVerdict(0.1494947732, {1, 1}),
              "与均匀随机相符（p = 0.15；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 "
              "p = 0.3）");
    EXPECT_EQ(chanceVerdict(0.0123, {1, 4}),
              "过去的统计与均匀随机有差别（p = 0.012；这是本研究的第 1 种设置，须 p < 0.025 "
              "才算可靠：校正后 p = 0.025）；这不一定与所选形态有关，也不预示下一期");
    EXPECT_EQ(chanceVerdict(0.0123, {2, 4}).substr(0, 21), "与均匀随机相符");
    EXPECT_EQ(chanceVerdict(0.001, {0, 3}), "与均匀随机比较：p = 0.001；未计入研究，不作判断");
    EXPECT_EQ(chanceVerdict(std::nullopt, {1, 1}), "样本太少，无法与随机比较");
}

// The study's rule: the k-th distinct setting is judged at 0.05 / (k (k + 1)), so the shares
// of any study add up to less than 0.05; a verdict names the rule with numbers a reader can
// compare, never rounded to the other side of the level.
TEST(ChanceStatistics, EachSettingOfAStudyIsJudgedAtItsShare) {
    struct Case {
        double p;
        int rank;
        double adjusted;
        bool reliable;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0.012, 1, 0.024, true,
         "p = 0.012；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 p = 0.024"},
        {0.012, 3, 0.144, false,
         "p = 0.012；这是本研究的第 3 种设置，须 p < 0.0042 才算可靠：校正后 p = 0.14"},
        {0.00416, 3, 0.04992, true,
         "p = 0.00416；这是本研究的第 3 种设置，须 p < 0.00417 才算可靠：校正后 p = 0.0499"},
        {0.00418, 3, 0.05016, false,
         "p = 0.00418；这是本研究的第 3 种设置，须 p < 0.00417 才算可靠：校正后 p = 0.05"},
        {0.0002, 20, 0.084, false,
         "p = 0.0002；这是本研究的第 20 种设置，须 p < 0.00012 才算可靠：校正后 p = 0.084"},
        {0.3, 2, 1.0, false,
         "p = 0.3；这是本研究的第 2 种设置，须 p < 0.0083 才算可靠：校正后 p > 0.99"},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(studyAdjustedP(c.p, c.rank), c.adjusted, 1e-12) << c.text;
        EXPECT_EQ(judge(c.p, {c.rank, 20}).reliable(), c.reliable) << c.text;
        EXPECT_EQ(studyRuleText(c.p, c.rank), c.text);
    }
    EXPECT_FALSE(judge(0.0001, {0, 5}).pAdjusted);
    EXPECT_FALSE(judge(0.0001, {0, 5}).reliable());
    // However long the study runs, its shares stay within 5 %.
    double spent = 0;
    for (int k = 1; k <= 100000; ++k) spent += studyLevel(k);
    EXPECT_LT(spent, 0.05);
    EXPECT_GT(spent, 0.0499);
}

// The joint whiskers are exact: at each total n and true share p the interval at 1 − α
// covers p with probability at least 1 − α, summed over every count the total can give.
TEST(ChanceStatistics, ExactIntervalsCoverWhatTheyPromiseOnSmallTotals) {
    const Interval skewed = clopperPearsonInterval(40, 200, 0.005);
    EXPECT_NEAR(skewed.low, 0.1274188779, 1e-9);
    EXPECT_NEAR(skewed.high, 0.2898090610, 1e-9);
    EXPECT_NEAR(clopperPearsonInterval(3, 7, 0.005).low, 0.0433543909, 1e-9);
    EXPECT_NEAR(clopperPearsonInterval(0, 7, 0.005).high, 0.5751093795, 1e-9);
    EXPECT_DOUBLE_EQ(clopperPearsonInterval(0, 7, 0.005).low, 0.0);
    EXPECT_DOUBLE_EQ(clopperPearsonInterval(7, 7, 0.005).high, 1.0);
    for (const double alpha : {0.05, 0.005, 0.01}) {
        for (int n = 1; n <= 30; ++n) {
            for (const double p : {0.1, 0.2, 0.5, 0.03, 0.37}) {
                double covered = 0;
                for (int x = 0; x <= n; ++x) {
                    const Interval i = clopperPearsonInterval(x, n, alpha);
                    if (i.low <= p && p <= i.high) {
                        covered += std::exp(std::lgamma(n + 1.0) - std::lgamma(x + 1.0) -
                                            std::lgamma(n - x + 1.0) + x * std::log(p) +
                                            (n - x) * std::log1p(-p));
                    }
                }
                EXPECT_GE(covered, 1 - alpha - 1e-12) << "n " << n << " p " << p;
            }
        }
    }
}

TEST(ChanceStatistics, TalliesAreComparedWithAFairDrawOrLeftUnjudged) {
    const StudyPlace first{1, 1};
    // A fair number tally: χ² = 0.28 over 9 degrees of freedom.
    const ChanceTest fair = testAgainstChance(
        result(CodeKind::Number, 0, {103, 102, 101, 100, 100, 100, 100, 99, 98, 97}),
        CodeKind::Number, first);
    EXPECT_EQ(fair.status, ChanceStatus::Compared);
    EXPECT_NEAR(fair.chi2, 0.28, 1e-12);
    EXPECT_EQ(fair.df, 9);
    ASSERT_TRUE(fair.p);
    EXPECT_NEAR(*fair.p, 0.9999975505, 1e-9);
    EXPECT_EQ(fair.verdict,
              "与均匀随机相符（p > 0.99；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 p "
              "> 0.99）");
    ASSERT_EQ(fair.rows.size(), 10u);
    EXPECT_DOUBLE_EQ(fair.rows[0].chance, 0.1);
    EXPECT_DOUBLE_EQ(fair.rows[0].share, 0.103);

    // A skewed one: one outcome twice its due, two at half; χ² = 30, p = 0.000439.
    const ChanceTest skewed =
        testAgainstChance(result(CodeKind::Number, 0, {40, 20, 20, 20, 20, 20, 20, 20, 10, 10}),
                          CodeKind::Number, first);
    EXPECT_NEAR(skewed.chi2, 30.0, 1e-12);
    ASSERT_TRUE(skewed.p);
    EXPECT_NEAR(*skewed.p, 0.000438721771, 1e-12);
    EXPECT_EQ(skewed.verdict,
              "过去的统计与均匀随机有差别（p = 0.00044；这是本研究的第 1 种设置，须 p < 0.025 "
              "才算可靠：校正后 p = 0.00088）；这不一定与所选形态有关，也不预示下一期");
    // The sheet of the export: shares and bounds as percentages, the test below them.
    const auto table = chanceTable(skewed);
    ASSERT_EQ(table.size(), 17u);
    EXPECT_EQ(table[1],
              (std::vector<std::string>{"0", "40", "20.000%", "10.000%", "15.045%", "26.086%"}));
    EXPECT_EQ(table[13], (std::vector<std::string>{"χ²", "30"}));
    EXPECT_EQ(table[15], (std::vector<std::string>{"p", "0.000438722"}));
    EXPECT_EQ(table[16][1], skewed.verdict);
    // The whiskers hold for all ten outcomes together: Clopper–Pearson at 1 − 0.05 / 10.
    EXPECT_NEAR(skewed.rows[0].joint.low, 0.1274188779, 1e-9);
    EXPECT_NEAR(skewed.rows[0].joint.high, 0.2898090610, 1e-9);

    // The expected-count limit: T·p0 = 4.9 gives no p, 5.0 does.
    const ChanceTest small = testAgainstChance(
        result(CodeKind::Number, 0, {13, 9, 5, 5, 5, 4, 4, 2, 1, 1}), CodeKind::Number, first);
    EXPECT_EQ(small.status, ChanceStatus::TooFewValues);
    EXPECT_FALSE(small.p);
    EXPECT_EQ(small.verdict, "样本太少，无法与随机比较");
    EXPECT_TRUE(testAgainstChance(result(CodeKind::Number, 0, {14, 9, 5, 5, 5, 4, 4, 2, 1, 1}),
                                  CodeKind::Number, first)
                    .p);
    const ChanceTest empty = testAgainstChance(
        result(CodeKind::Number, 0, std::vector<int64_t>(10)), CodeKind::Number, first);
    EXPECT_FALSE(empty.p);
    EXPECT_EQ(empty.verdict, "样本太少，无法与随机比较");
    EXPECT_DOUBLE_EQ(empty.rows[0].interval.low, 0.0);
    EXPECT_DOUBLE_EQ(empty.rows[0].interval.high, 1.0);

    // Both two-outcome kinds use 1/2: 大 60 of 100 (χ² = 4, p = 0.0455); 单 7 of 10
    // (χ² = 1.6, p = 0.206); 单双 with 9 values expects 4.5 each, too few.
    const ChanceTest big =
        testAgainstChance(result(CodeKind::BigSmall, 0, {60, 40}), CodeKind::BigSmall, first);
    EXPECT_EQ(big.df, 1);
    EXPECT_NEAR(big.chi2, 4.0, 1e-12);
    EXPECT_NEAR(*big.pAdjusted, 2 * 0.0455002639, 1e-9);
    EXPECT_EQ(big.verdict,
              "与均匀随机相符（p = 0.046；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 "
              "p = 0.091）");
    const ChanceTest odd =
        testAgainstChance(result(CodeKind::OddEven, 0, {7, 3}), CodeKind::OddEven, first);
    EXPECT_NEAR(odd.chi2, 1.6, 1e-12);
    ASSERT_TRUE(odd.p);
    EXPECT_NEAR(*odd.p, 0.2059032107, 1e-9);
    EXPECT_FALSE(
        testAgainstChance(result(CodeKind::OddEven, 0, {5, 4}), CodeKind::OddEven, first).p);

    // Segments use 1/5: 14 12 9 8 7 of 50 give χ² = 3.4, p = 0.493 over 4 degrees of freedom.
    const ChanceTest seg = testAgainstChance(result(CodeKind::Segment, 1, {14, 12, 9, 8, 7}),
                                             CodeKind::Segment, first);
    EXPECT_EQ(seg.df, 4);
    ASSERT_TRUE(seg.p);
    EXPECT_NEAR(*seg.p, 0.4932455149, 1e-9);
}

// Tables whose p-values were computed apart from this code: Fisher by exact fractions, χ²
// by the regularised incomplete gamma, the permutation p by enumerating every table with
// the same margins.
TEST(ChanceStatistics, HitsAreComparedWithTheRestOfTheRange) {
    struct Case {
        std::vector<int64_t> hits;
        std::vector<int64_t> rest;
        int rank;
        std::string method;
        double p;
        double tolerance;
        std::string verdict;
    };
    const std::vector<Case> cases = {
        {{3, 1},
         {1, 3},
         1,
         "fisher",
         0.4857142857,
         1e-9,
         "命中各期的结果与其余各期没有可靠的差别（p = 0.49；这是本研究的第 1 种设置，须 p < 0.025 "
         "才算可靠：校正后 p = 0.97）"},
        {{2, 7},
         {30, 25},
         1,
         "fisher",
         0.1477164709,
         1e-9,
         "命中各期的结果与其余各期没有可靠的差别（p = 0.15；这是本研究的第 1 种设置，须 p < 0.025 "
         "才算可靠：校正后 p = 0.3）"},
        // Outcomes that occur in neither row are left out: still ten outcomes, df 9. χ² reads
        // p = 0.0186 (checked below), small enough to decide a verdict, so the permutation p
        // (seeded by the table, hence the fixed 0.019) takes its place.
        {{18, 9, 12, 0, 7, 11, 10, 14, 6, 8, 5},
         {60, 75, 70, 0, 81, 66, 72, 69, 80, 77, 88},
         1,
         "monte-carlo",
         0.0185822638,
         0.004,
         "命中各期的结果与其余各期不同（p = 0.019；这是本研究的第 1 种设置，须 p < 0.025 "
         "才算可靠：校正后 p = 0.038）；这说的是过去，不预示下一期"},
        {{18, 9, 12, 7, 11, 10, 14, 6, 8, 5},
         {60, 75, 70, 81, 66, 72, 69, 80, 77, 88},
         3,
         "monte-carlo",
         0.0185822638,
         0.004,
         "命中各期的结果与其余各期没有可靠的差别（p = 0.019；这是本研究的第 3 种设置，须 p < "
         "0.0042 才算可靠：校正后 p = 0.23）"},
        // Far from p < 0.05 the χ² p stands as it is.
        {{12, 9, 12, 7, 11, 10, 14, 6, 8, 11},
         {70, 75, 70, 81, 66, 72, 69, 80, 77, 78},
         1,
         "chi2",
         0.5897109258,
         1e-9,
         ""},
        // A null case the χ² tail gets wrong: one outcome seen once, among the hits. χ² (df 4)
        // reads p = 0.00048, below the level of rank 5 (checked below); that one value lands
        // among 40 hits of 840 rows one time in 21, and the exact permutation p is 0.0478.
        {{1, 10, 10, 10, 9},
         {0, 200, 200, 200, 200},
         5,
         "monte-carlo",
         0.0477915482,
         0.01,
         "命中各期的结果与其余各期没有可靠的差别（p = 0.057；这是本研究的第 5 种设置，须 p < "
         "0.0017 才算可靠：校正后 p > 0.99）"},
        // Exact 0.0791737; stopping after 50 tables reach the observed χ² keeps within about 0.012.
        {{3, 0, 1, 0}, {10, 12, 8, 15}, 1, "monte-carlo", 0.0791737, 0.012, ""},
    };
    for (const Case& c : cases) {
        const PatternTest t = testAgainstRest(c.hits, c.rest, {c.rank, 5});
        EXPECT_EQ(t.method, c.method) << c.p;
        ASSERT_TRUE(t.p) << c.p;
        EXPECT_NEAR(*t.p, c.p, c.tolerance);
        EXPECT_EQ(t.rank, c.rank);
        EXPECT_EQ(t.searches, 5);
        EXPECT_DOUBLE_EQ(*t.level, 0.05 / (c.rank * (c.rank + 1)));
        EXPECT_DOUBLE_EQ(*t.pAdjusted, std::min(1.0, c.rank * (c.rank + 1) * *t.p));
        if (!c.verdict.empty()) {
            EXPECT_EQ(t.verdict, c.verdict);
        }
    }
    const PatternTest tableTen = testAgainstRest({18, 9, 12, 7, 11, 10, 14, 6, 8, 5},
                                                 {60, 75, 70, 81, 66, 72, 69, 80, 77, 88}, {1, 1});
    EXPECT_NEAR(tableTen.chi2.value(), 19.8933256867, 1e-9);
    EXPECT_NEAR(chiSquarePValue(*tableTen.chi2, tableTen.df).value(), 0.0185822638, 1e-9);
    const PatternTest sparse = testAgainstRest({1, 10, 10, 10, 9}, {0, 200, 200, 200, 200}, {5, 5});
    EXPECT_NEAR(chiSquarePValue(*sparse.chi2, sparse.df).value(), 0.0004781379, 1e-9);

    // No hits, or no rest: nothing to test, no statistic and no p to misread.
    const PatternTest none = testAgainstRest({0, 0}, {5, 9}, {});
    EXPECT_FALSE(none.p);
    EXPECT_FALSE(none.chi2);
    EXPECT_FALSE(none.pAdjusted);
    EXPECT_EQ(none.verdict, "没有命中，无从与其余各期比较；未计入研究");
    EXPECT_EQ(testAgainstRest(std::vector<int64_t>(10, 3), std::vector<int64_t>(10), {}).verdict,
              "范围内没有其余各期，无从比较；未计入研究");
    // A test of a setting the study could not count gives its p but judges nothing.
    EXPECT_EQ(testAgainstRest({3, 1}, {1, 3}, {}).verdict,
              "命中各期的结果与其余各期比较：p = 0.49；未计入研究，不作判断");
}

TEST(ChanceStatistics, ExactTwoSidedTestsMatchHandComputedValues) {
    // binom.test(10, 50, 0.1) and a rate below chance, 1 of 60.
    EXPECT_NEAR(binomialTwoSided(10, 50, 0.1), 0.0296917109, 1e-9);
    EXPECT_NEAR(binomialTwoSided(1, 60, 0.1), 0.0283617642, 1e-9);
    EXPECT_DOUBLE_EQ(binomialTwoSided(5, 10, 0.5), 1.0);
    // Exact McNemar over 10 and 3 discordant trials: 2 × P(X ≤ 3), X ~ B(13, 1/2).
    EXPECT_NEAR(mcnemarExact(10, 3), 0.09228515625, 1e-12);
    EXPECT_NEAR(mcnemarExact(3, 10), 0.09228515625, 1e-12);
    EXPECT_DOUBLE_EQ(mcnemarExact(0, 0), 1.0);
}

TEST(ChanceStatistics, SegmentsStoredUnderTheOtherBaseGiveNoPValue) {
    // Draws stored under base 0 (segments 0..4) and tallied under base 1 (1..5): the values
    // 0 count towards the total but are not listed, so the shares mean nothing.
    std::vector<std::string> draws;
    for (int i = 0; i < 60; ++i) draws.push_back(i % 2 ? "01234" : "56789");
    test::SearchHistory h(2013001, draws, 0);
    SearchRequest req = test::defaultRequest(h);
    req.tally.resultKind = CodeKind::Segment;
    req.tally.segmentBase = 1;
    const SearchResult r = runSingleSearch(*h.store, req);
    ASSERT_GT(r.total, 25);
    const ChanceTest mixed = testAgainstChance(r, CodeKind::Segment, {1, 1});
    EXPECT_EQ(mixed.status, ChanceStatus::MixedSegmentBases);
    EXPECT_FALSE(mixed.p);
    // Every row was coded under the other base: the verdict must not speak of two bases.
    EXPECT_EQ(mixed.verdict,
              "统计中有按另一种段数参数算出的段数，无法与随机比较；请先按当前分段方式重算");

    // Under the base the rows were stored with, the same history is compared.
    req.tally.segmentBase = 0;
    EXPECT_TRUE(testAgainstChance(runSingleSearch(*h.store, req), CodeKind::Segment, {1, 1}).p);
}

// A history imported under base 0 and continued by hand under base 1: segment searches are
// refused with the stored bases and their issues named, until every row is recomputed; then
// they agree with the same draws imported under base 1.
TEST(ChanceStatistics, MixedSegmentBasesAreRefusedUntilRecomputed) {
    const std::vector<std::string> draws = test::patternDraws(80);
    test::SearchHistory mixed(2013001, {draws.begin(), draws.begin() + 50}, 0);
    for (std::size_t i = 50; i < draws.size(); ++i) {
        Digits d{};
        for (int p = 0; p < 5; ++p) d[p] = static_cast<int16_t>(draws[i][p] - '0');
        appendManualDraw(*mixed.store, d, std::nullopt, 2013);
    }
    const auto bases = storedSegmentBases(*mixed.store);
    ASSERT_EQ(bases.size(), 2u);
    EXPECT_EQ(bases[0].base, 0);
    EXPECT_EQ(bases[0].last, 2013050);
    EXPECT_EQ(bases[1].base, 1);
    EXPECT_EQ(bases[1].first, 2013051);
    EXPECT_EQ(bases[1].rows, 30);
    mixed.store->reopenReadingCursor();
    EXPECT_EQ(storedSegmentBases(mixed.store->rows()).size(), 2u);

    SearchRequest req = test::defaultRequest(mixed);
    req.settings.kind = CodeKind::Segment;
    req.positions = {true, false, false, false, false};
    req.tally.resultKind = CodeKind::Segment;
    req.tally.segmentBase = 1;
    try {
        requireSegmentBase(*mixed.store, req);
        ADD_FAILURE() << "a search over two bases ran";
    } catch (const SegmentBaseError& e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("2013001–2013050 期按段数参数 0~4"), std::string::npos) << m;
        EXPECT_NE(m.find("2013051–2013080 期按段数参数 1~5"), std::string::npos) << m;
    }
    // A number search reads no segment codes and runs.
    SearchRequest numbers = req;
    numbers.settings.kind = CodeKind::Number;
    numbers.tally.resultKind = CodeKind::Number;
    EXPECT_NO_THROW(requireSegmentBase(*mixed.store, numbers));

    // The whole history under the other base: the message names that base alone.
    test::SearchHistory other(2013001, draws, 0);
    try {
        requireSegmentBase(*other.store, req);
        ADD_FAILURE() << "a search over another base ran";
    } catch (const SegmentBaseError& e) {
        const std::string m = e.what();
        EXPECT_NE(m.find("（2013001–2013080 期按段数参数 0~4）"), std::string::npos) << m;
        EXPECT_EQ(m.find("1~5）"), std::string::npos) << m;
    }

    EXPECT_EQ(recodeSegments(*mixed.store, 1), 80);
    EXPECT_NO_THROW(requireSegmentBase(*mixed.store, req));
    test::SearchHistory imported(2013001, draws, 1);
    req.reference = {2, 0, 0, 0, 0};
    const SearchResult got = runSingleSearch(*mixed.store, req);
    const SearchResult want = runSingleSearch(*imported.store, req);
    ASSERT_GT(want.hits.size(), 5u);
    EXPECT_EQ(mixed.hitIssues(got), imported.hitIssues(want));
    ASSERT_EQ(got.tally.size(), want.tally.size());
    for (std::size_t i = 0; i < want.tally.size(); ++i) {
        EXPECT_EQ(got.tally[i].value, want.tally[i].value);
        EXPECT_EQ(got.tally[i].count, want.tally[i].count);
        EXPECT_EQ(got.tally[i].restCount, want.tally[i].restCount);
    }
}

}  // namespace
}  // namespace arrange5
