#include "analysis/backtest.h"

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <map>

#include "analysis/chance.h"
#include "analysis/exact_tests.h"
#include "analysis/reference.h"
#include "store/errors.h"
#include "store/row_check.h"

namespace arrange5 {

namespace {

// T's own values the ranking is judged on: the result position (直选), or each of the
// positions 1..P (组选), one trial each.

// Scores the pattern's ranking and, on the same trials, the ranking without a pattern.
void score(TargetResult& target, const std::vector<TallyRow>& tally,
           const std::vector<TallyRow>& baseline, int top) {
    for (const TallyRow& row : tally) target.ranking.push_back(row.value);
    const auto inTop = [top](const std::vector<TallyRow>& rows, int value) {
        for (int i = 0; i < top && i < static_cast<int>(rows.size()); ++i) {
            if (rows[static_cast<std::size_t>(i)].value == value) return true;
        }
        return false;
    };
    for (int value : target.actual) {
        const auto at = std::find(target.ranking.begin(), target.ranking.end(), value);
        const int rank =
            at == target.ranking.end() ? 0 : static_cast<int>(at - target.ranking.begin()) + 1;
        target.rank.push_back(rank);
        target.hit.push_back(rank >= 1 && rank <= top);
        target.baselineHit.push_back(inTop(baseline, value));
    }
}

// The rows of the history the targets cover, in issue order.
std::pair<std::size_t, std::size_t> targetRows(const HistorySnapshot& rows,
                                               const BacktestRequest& request, int32_t start) {
    // By default every issue after the default range start: an earlier target has no issue
    // of the range before it.
    const int32_t first = request.firstTarget.value_or(start + 1);
    const int32_t last = request.lastTarget.value_or(rows.back().issue);
    if (first > last) {
        throw InputError("目标期数范围 " + std::to_string(first) + ":" + std::to_string(last) +
                         " 的起期大于止期");
    }
    const auto below = [](const HistoryRow& r, int32_t issue) { return r.issue < issue; };
    const auto begin = static_cast<std::size_t>(
        std::lower_bound(rows.begin(), rows.end(), first, below) - rows.begin());
    const auto end = static_cast<std::size_t>(
        std::lower_bound(rows.begin(), rows.end(), last + 1, below) - rows.begin());
    if (begin >= end) {
        throw InputError("目标期数范围 " + std::to_string(first) + ":" + std::to_string(last) +
                         " 内没有历史号码");
    }
    return {begin, end};
}

}  // namespace

std::string backtestVerdict(const BacktestSummary& s) {
    if (s.unlisted > 0) return kMixedSegmentBaseVerdict;
    if (!s.p) return kTooFewVerdict;
    std::string baseline;
    if (s.pBaseline) {
        baseline = "；不看形态的排名命中 " + std::to_string(s.baselineHits) + " 次，两者相比 " +
                   pValueText(*s.pBaseline);
        if (s.pBaselineAdjusted) baseline += "（校正后 " + pValueText(*s.pBaselineAdjusted) + "）";
    }
    if (s.rank < 1) {
        return "命中率与随机比较：" + pValueText(*s.p) + "；" + kNotCounted + "，不作判断" +
               baseline;
    }
    const std::string shown = "（" + studyRuleText(*s.p, s.rank) + "）";
    if (!s.pAdjusted || *s.pAdjusted >= kSignificanceLevel) {
        return "命中率与随机相符" + shown + baseline;
    }
    return (s.rate > s.chance ? "命中率显著高于随机" : "命中率显著低于随机") + shown + baseline +
           "；" + kPastOnly;
}

BacktestSummary summarise(const std::vector<TargetResult>& targets, int outcomes, int top,
                          const StudyPlace& place) {
    BacktestSummary s;
    s.rank = place.rank;
    s.searches = place.searches;
    s.level = judge(std::nullopt, place).level;
    std::map<int, YearSummary> years;
    int64_t rankSum = 0;
    int64_t onlyPattern = 0;  // trials the pattern's ranking hit and the other missed
    int64_t onlyBaseline = 0;
    for (const TargetResult& t : targets) {
        if (!t.answered()) {
            ++s.noAnswer;
            continue;
        }
        YearSummary& year = years[t.issue / 1000];
        year.year = t.issue / 1000;
        for (std::size_t i = 0; i < t.rank.size(); ++i) {
            if (t.rank[i] == 0) {
                ++s.unlisted;
                continue;
            }
            ++s.scored;
            ++year.scored;
            rankSum += t.rank[i];
            if (t.hit[i]) {
                ++s.hits;
                ++year.hits;
            }
            const bool baseline = i < t.baselineHit.size() && t.baselineHit[i];
            if (baseline) ++s.baselineHits;
            if (t.hit[i] && !baseline) ++onlyPattern;
            if (!t.hit[i] && baseline) ++onlyBaseline;
        }
    }
    for (const auto& [y, year] : years) s.byYear.push_back(year);
    s.chance = top * (1.0 / outcomes);  // each listed outcome: chanceRate
    s.chanceMeanRank = (outcomes + 1) / 2.0;
    if (s.scored > 0) {
        s.rate = static_cast<double>(s.hits) / static_cast<double>(s.scored);
        s.meanRank = static_cast<double>(rankSum) / static_cast<double>(s.scored);
        const Interval interval = wilsonInterval(s.hits, s.scored);
        s.low = interval.low;
        s.high = interval.high;
        s.baselineRate = static_cast<double>(s.baselineHits) / static_cast<double>(s.scored);
        s.pBaseline = mcnemarExact(onlyPattern, onlyBaseline);
    }
    // As for a tally: fewer than 5 hits expected by chance says nothing, and values counted
    // under another segment base cannot be judged at all.
    if (s.unlisted == 0 && static_cast<double>(s.scored) * s.chance >= kMinExpectedCount) {
        s.p = binomialTwoSided(s.hits, s.scored, s.chance);
        s.pAdjusted = judge(s.p, place).pAdjusted;
    }
    s.pBaselineAdjusted = judge(s.pBaseline, place).pAdjusted;
    s.verdict = backtestVerdict(s);
    return s;
}

void validateBacktestRequest(const HistorySnapshot& rows, const BacktestRequest& request) {
    SearchRequest check;
    check.settings = request.settings;
    check.tally = request.tally;
    validateSearchRequest(check);
    const int outcomes = listedOutcomes(request.tally.resultKind);
    if (request.top < 1 || request.top >= outcomes) {
        throw InputError("--top（前 m 名）必须在 1 到 " + std::to_string(outcomes - 1) +
                         " 之间，而不是 " + std::to_string(request.top));
    }
    if (rows.empty()) throw InputError("历史号码为空，请先读入历史号码");
    // The counts are indexed by the stored digits and codes.
    requireSoundRows(rows, "用于滚动验证");
    targetRows(rows, request, *defaultRangeStart(rows, request.settings));
}

std::pair<int32_t, int32_t> targetIssues(const HistorySnapshot& rows,
                                         const BacktestRequest& request) {
    validateBacktestRequest(rows, request);
    const auto [begin, end] = targetRows(rows, request, *defaultRangeStart(rows, request.settings));
    return {rows[begin].issue, rows[end - 1].issue};
}

BacktestResult runBacktest(const HistorySnapshot& rows, const BacktestRequest& request,
                           const BacktestProgress& progress) {
    validateBacktestRequest(rows, request);
    const int outcomes = listedOutcomes(request.tally.resultKind);
    const int32_t start = *defaultRangeStart(rows, request.settings);
    const auto [begin, end] = targetRows(rows, request, start);

    const auto lag = static_cast<std::size_t>(lagDistance(request.settings));
    FollowingCounts counts(request.settings, request.tally, request.shape);
    // Every eligible row of the range, pattern or not: the ranking without a pattern.
    OutcomeCounters everyRow{};
    int64_t everyRowCount = 0;
    const int resultKind = static_cast<int>(request.tally.resultKind);
    const int64_t perRow = countedPositions(request.tally).count();
    BacktestResult result;
    result.outcomes = outcomes;
    std::size_t reached = 0;  // rows with an issue up to the one before the target
    std::size_t added = firstEligibleRow(request.settings);  // the next row that may enter
    for (std::size_t t = begin; t < end; ++t) {
        TargetResult target;
        target.issue = rows[t].issue;
        target.actual = outcomesOf(rows[t], request.tally);
        // The verification reference with 仅检索该期前: the last row up to the issue before T ends
        // the range; the reference lies N − 1 rows before it in 前期 mode.
        const int32_t before = verifyTarget(target.issue);
        while (reached < rows.size() && rows[reached].issue <= before) ++reached;
        if (reached >= lag) {
            const HistoryRow& referenceRow = rows[reached - lag];
            target.reference = referenceRow.codes[static_cast<int>(request.settings.kind)];
            target.referenceIssue = referenceRow.issue;
            for (; added < reached; ++added) {
                if (rows[added].issue < start) continue;
                counts.add(rows[added], rows[added - lag]);
                countOutcomes(request.tally, rows[added].codes[resultKind], everyRow);
                ++everyRowCount;
            }
            const FollowingCounts::Counts c = counts.query(*target.reference);
            target.hits = c.hits;
            if (target.answered()) {
                score(target, tallyRows(c.counters, c.hits * perRow, request.tally),
                      tallyRows(everyRow, everyRowCount * perRow, request.tally), request.top);
            }
        }
        result.targets.push_back(std::move(target));
        if (progress && !progress(t - begin + 1, end - begin)) {
            result.cancelled = true;
            break;
        }
    }
    result.summary = summarise(result.targets, outcomes, request.top, request.place);
    return result;
}

std::vector<RatePoint> cumulativeRate(const BacktestResult& result) {
    std::vector<RatePoint> points;
    int64_t trials = 0;
    int64_t hits = 0;
    for (const TargetResult& t : result.targets) {
        if (!t.answered()) continue;
        for (std::size_t i = 0; i < t.rank.size(); ++i) {
            if (t.rank[i] == 0) continue;
            ++trials;
            if (t.hit[i]) ++hits;
        }
        if (trials == 0) continue;
        points.push_back({trials, static_cast<double>(hits) / static_cast<double>(trials), 0, 0});
    }
    if (points.empty()) return points;
    const double p0 = result.summary.chance;
    const double tail = kSignificanceLevel / 2 / static_cast<double>(points.size());
    for (RatePoint& point : points) {
        const auto n = static_cast<double>(point.trials);
        // Outward rounding keeps the band at least as wide as the level asks.
        const boost::math::binomial_distribution<double> dist(n, p0);
        point.low = boost::math::quantile(dist, tail) / n;
        point.high = boost::math::quantile(boost::math::complement(dist, tail)) / n;
    }
    return points;
}

}  // namespace arrange5
