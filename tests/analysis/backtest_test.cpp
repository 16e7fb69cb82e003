// The walk-forward verification on a small history, target by target; every expectation
// below was worked out by hand from the draws.
#include "analysis/backtest.h"

#include <gtest/gtest.h>

#include "store/errors.h"

namespace arrange5 {
namespace {

HistorySnapshot history() {
    // 2024001..2024006
    const char* draws[] = {"12345", "13579", "12000", "90000", "85555", "33333"};
    HistorySnapshot rows;
    int32_t issue = 2024001;
    for (const char* d : draws) {
        Digits digits{};
        for (int i = 0; i < 5; ++i) digits[i] = int16_t(d[i] - '0');
        rows.push_back({issue++, deriveCodes(digits, 1)});
    }
    return rows;
}

BacktestRequest firstPositionFree() {
    BacktestRequest r;
    r.settings.kind = CodeKind::Number;
    r.settings.freePositions = true;
    r.shape = SearchShape::single({true, false, false, false, false});
    r.tally.resultKind = CodeKind::Number;
    r.tally.resultPosition = 1;
    return r;
}

TEST(Backtest, PreviousIssueTargetByTarget) {
    const BacktestResult r = runBacktest(history(), firstPositionFree());
    // Default targets: every issue after the default start 2024002.
    ASSERT_EQ(r.targets.size(), 4u);
    const TargetResult& t3 = r.targets[0];
    EXPECT_EQ(t3.issue, 2024003);
    EXPECT_EQ(t3.referenceIssue, 2024002);  // reference 1 from 13579
    EXPECT_EQ(t3.hits, 1);                  // 2024002 (after 12345)
    EXPECT_EQ(t3.ranking, (std::vector<int>{1, 0, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(t3.actual, std::vector<int>{1});
    EXPECT_EQ(t3.rank, std::vector<int>{1});
    EXPECT_EQ(t3.hit, std::vector<bool>{true});
    // Without a pattern the ranking counts every row of the range: only 2024002 (1).
    EXPECT_EQ(t3.baselineHit, std::vector<bool>{true});

    const TargetResult& t4 = r.targets[1];  // reference 1; 2024002 and 2024003 both show 1
    EXPECT_EQ(t4.hits, 2);
    EXPECT_EQ(t4.actual, std::vector<int>{9});
    EXPECT_EQ(t4.rank, std::vector<int>{10});
    EXPECT_EQ(t4.hit, std::vector<bool>{false});

    const TargetResult& t5 = r.targets[2];  // reference 9: only 2024003 (after 13579)
    EXPECT_EQ(t5.hits, 1);
    EXPECT_EQ(t5.rank, std::vector<int>{9});  // 8 after 1, 0, 2..7

    const TargetResult& t6 = r.targets[3];  // reference 8: no earlier draw holds an 8
    ASSERT_TRUE(t6.reference.has_value());
    EXPECT_EQ((*t6.reference)[0], 8);
    EXPECT_FALSE(t6.answered());
    EXPECT_TRUE(t6.ranking.empty());
    EXPECT_TRUE(t6.rank.empty());

    const BacktestSummary& s = r.summary;
    EXPECT_EQ(s.scored, 3);
    EXPECT_EQ(s.hits, 1);
    EXPECT_EQ(s.noAnswer, 1);
    EXPECT_DOUBLE_EQ(s.chance, 0.1);
    EXPECT_DOUBLE_EQ(s.meanRank, 20.0 / 3);
    EXPECT_DOUBLE_EQ(s.chanceMeanRank, 5.5);
    EXPECT_FALSE(s.p.has_value()) << "0.3 hits expected by chance say nothing";
}

TEST(Backtest, EarlierIssueGroupTrialsTopThree) {
    BacktestRequest request = firstPositionFree();
    request.settings.previousIssue = false;
    request.settings.lagN = 2;
    request.tally.resultPosition = 2;
    request.tally.group = true;
    request.top = 3;
    request.firstTarget = 2024002;
    request.lastTarget = 2024006;
    const BacktestResult r = runBacktest(history(), request);
    ASSERT_EQ(r.targets.size(), 5u);

    // 2024002: no draw two before the one before it.
    EXPECT_FALSE(r.targets[0].reference.has_value());
    EXPECT_FALSE(r.targets[0].answered());
    // 2024003: reference 2024001, but the range 2024003..2024002 is empty.
    EXPECT_EQ(r.targets[1].referenceIssue, 2024001);
    EXPECT_FALSE(r.targets[1].answered());

    // 2024004: reference 1 (13579); 2024003 matched against 12345, outcomes 1 and 2.
    const TargetResult& t4 = r.targets[2];
    EXPECT_EQ(t4.hits, 1);
    EXPECT_EQ(t4.ranking, (std::vector<int>{1, 2, 0, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(t4.actual, (std::vector<int>{9, 0}));
    EXPECT_EQ(t4.rank, (std::vector<int>{10, 3}));
    EXPECT_EQ(t4.hit, (std::vector<bool>{false, true}));

    // 2024005: reference 1 (12000); 2024003 and 2024004 hit, outcomes 1 2 9 0.
    const TargetResult& t5 = r.targets[3];
    EXPECT_EQ(t5.hits, 2);
    EXPECT_EQ(t5.ranking, (std::vector<int>{0, 1, 2, 9, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(t5.rank, (std::vector<int>{10, 7}));

    // 2024006: reference 9 (90000); only 2024004 (matched 13579), outcomes 9 and 0.
    const TargetResult& t6 = r.targets[4];
    EXPECT_EQ(t6.hits, 1);
    EXPECT_EQ(t6.rank, (std::vector<int>{5, 5}));

    EXPECT_EQ(r.summary.scored, 6);
    EXPECT_EQ(r.summary.hits, 1);
    EXPECT_EQ(r.summary.noAnswer, 2);
    EXPECT_DOUBLE_EQ(r.summary.chance, 0.3);
    EXPECT_DOUBLE_EQ(r.summary.meanRank, 40.0 / 6);
    ASSERT_EQ(r.summary.byYear.size(), 1u);
    EXPECT_EQ(r.summary.byYear[0].year, 2024);
    EXPECT_EQ(r.summary.byYear[0].scored, 6);
}

TEST(Backtest, SummaryStatisticsAndRefusals) {
    // 50 trials, 10 hits, chance 1/10: two-sided exact p = 0.0297, Wilson 0.1124..0.3304.
    std::vector<TargetResult> targets(50);
    for (int i = 0; i < 50; ++i) {
        targets[i].issue = 2023001 + i;
        targets[i].hits = 3;
        targets[i].rank = {i < 10 ? 1 : 4};
        targets[i].hit = {i < 10};
        // The ranking without a pattern hits three other trials.
        targets[i].baselineHit = {i >= 10 && i < 13};
    }
    const BacktestSummary s = summarise(targets, 10, 1, {1, 1});
    EXPECT_DOUBLE_EQ(s.rate, 0.2);
    EXPECT_NEAR(s.low, 0.112437, 1e-5);
    EXPECT_NEAR(s.high, 0.330371, 1e-5);
    ASSERT_TRUE(s.p.has_value());
    EXPECT_NEAR(*s.p, 0.0296917109, 1e-9);
    EXPECT_EQ(s.baselineHits, 3);
    EXPECT_DOUBLE_EQ(s.baselineRate, 0.06);
    ASSERT_TRUE(s.pBaseline.has_value());
    EXPECT_NEAR(*s.pBaseline, 0.09228515625, 1e-12);  // 10 trials against 3
    // The verdict up to the comparison with the ranking without a pattern.
    const auto head = [](const std::string& v) {
        return v.substr(0, v.find("）") + std::string("）").size());
    };
    // Judged at the first setting's share, 0.025: p = 0.0297 is not below it.
    EXPECT_EQ(head(s.verdict),
              "命中率与随机相符（p = 0.03；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 "
              "p = 0.059）");
    EXPECT_NEAR(*s.pBaselineAdjusted, 2 * 0.09228515625, 1e-12);
    EXPECT_DOUBLE_EQ(*s.level, 0.025);
    // A rate far below chance is significant too, and the verdict says which way: 1 of 60.
    std::vector<TargetResult> below(60, targets[20]);
    below[0] = targets[0];
    const BacktestSummary low = summarise(below, 10, 1, {1, 1});
    ASSERT_TRUE(low.p.has_value());
    EXPECT_NEAR(*low.p, 0.0283617642, 1e-9);
    EXPECT_EQ(head(low.verdict),
              "命中率与随机相符（p = 0.028；这是本研究的第 1 种设置，须 p < 0.025 才算可靠：校正后 "
              "p = 0.057）");
    // Clear differences say which way, and that they describe the past: 16 of 50 above
    // chance, 0 of 60 below.
    std::vector<TargetResult> many = targets;
    for (int i = 10; i < 16; ++i) many[i] = targets[0];
    const std::vector<TargetResult> none(60, targets[20]);
    const std::vector<std::pair<BacktestSummary, std::string>> clear = {
        {summarise(many, 10, 1, {1, 1}), "命中率显著高于随机（p = "},
        {summarise(none, 10, 1, {1, 1}), "命中率显著低于随机（p = "}};
    for (const auto& [summary, start] : clear) {
        EXPECT_EQ(summary.verdict.substr(0, start.size()), start);
        EXPECT_TRUE(summary.verdict.ends_with("；这说的是过去，不预示下一期")) << summary.verdict;
    }
    // A setting the study did not count is not judged.
    EXPECT_EQ(summarise(many, 10, 1, {}).verdict.substr(0, 27), "命中率与随机比较：");

    // The chart's band holds at all 50 points together: each point's exact binomial range at
    // 1 − 0.05 / 50, so after 50 trials it runs from 0 to 13 hits (P(X > 13) ≤ 0.0005 < P(X > 12)).
    BacktestResult run;
    run.targets = targets;
    run.summary = s;
    const std::vector<RatePoint> points = cumulativeRate(run);
    ASSERT_EQ(points.size(), 50u);
    EXPECT_DOUBLE_EQ(points.back().rate, 0.2);
    EXPECT_DOUBLE_EQ(points.back().low * 50, 0.0);
    EXPECT_DOUBLE_EQ(points.back().high * 50, 13.0);

    BacktestRequest request = firstPositionFree();
    request.top = 10;  // every outcome: a hit every time
    EXPECT_THROW(runBacktest(history(), request), InputError);
    request.top = 1;
    request.firstTarget = 2025001;
    EXPECT_THROW(runBacktest(history(), request), InputError);

    // Cancelling after two targets returns those two.
    request.firstTarget.reset();
    const BacktestResult part =
        runBacktest(history(), request, [](std::size_t done, std::size_t) { return done < 2; });
    EXPECT_TRUE(part.cancelled);
    EXPECT_EQ(part.targets.size(), 2u);
}

}  // namespace
}  // namespace arrange5
