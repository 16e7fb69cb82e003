#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/memory_search.h"
#include "analysis/search_rules.h"
#include "analysis/study_rule.h"

namespace arrange5 {

// The walk-forward verification: had the user followed one search setting at every issue of
// a range, how often would the outcome it ranked first (or among the first m) have come?
// Each target T is searched exactly as 验证指定期 with 仅检索该期前 would: the reference
// from the draw before T (上期) or N before T (前期), the range from the default start to
// the issue before T.
struct BacktestRequest {
    SearchSettings settings;
    TallySettings tally;
    SearchShape shape;
    std::optional<int32_t> firstTarget;  // default: every issue after the default range start
    std::optional<int32_t> lastTarget;   // default: the last issue
    int top = 1;                         // m: a hit is the actual outcome among the first m
    StudyPlace place;                    // the setting's place in the study
};

struct TargetResult {
    int32_t issue = 0;
    std::optional<ReferenceValues> reference;  // none: no draw that far before T
    int32_t referenceIssue = 0;
    int64_t hits = 0;          // rows the search found; 0 is "no answer", not scored
    std::vector<int> ranking;  // every outcome in the tally grid's order (empty: no answer)
    std::vector<int> actual;   // T's value at the result position, or positions 1..P (组选)
    std::vector<int> rank;     // each actual value's place in the ranking, 0 when not listed
    std::vector<bool> hit;
    std::vector<bool> baselineHit;  // the same trials ranked by every row of the range

    bool answered() const { return hits > 0; }
};

struct YearSummary {
    int year = 0;
    int64_t scored = 0;
    int64_t hits = 0;
};

struct BacktestSummary {
    int64_t scored = 0;  // trials: one per answered target, P of them with 组选
    int64_t hits = 0;
    double rate = 0;    // hits / scored (0 when nothing was scored)
    double chance = 0;  // m × the chance rate of one outcome
    double low = 0;     // 95 % Wilson interval of the rate
    double high = 0;
    // The exact binomial test against the chance rate, two-sided; none when the sample is
    // too small.
    std::optional<double> p;
    int rank = 0;                     // the setting's place in the study; 0: not counted
    int searches = 0;                 // the study's distinct settings so far
    std::optional<double> level;      // 0.05 / (k (k + 1)) when counted
    std::optional<double> pAdjusted;  // min(1, k (k + 1) p) when counted and tested
    double meanRank = 0;
    double chanceMeanRank = 0;  // (outcomes + 1) / 2
    int64_t noAnswer = 0;       // targets whose search found nothing
    int64_t unlisted = 0;       // actual values outside the listed outcomes (other segment base)
    // The ranking without a pattern (every eligible row before the target, top m) on the
    // same trials, and the exact McNemar p over the trials where exactly one of the two hit.
    int64_t baselineHits = 0;
    double baselineRate = 0;
    std::optional<double> pBaseline;
    std::optional<double> pBaselineAdjusted;  // the same rule applied to pBaseline
    std::vector<YearSummary> byYear;
    std::string verdict;
};

struct BacktestResult {
    std::vector<TargetResult> targets;
    BacktestSummary summary;
    int outcomes = 0;  // how many outcomes the result kind lists
    bool cancelled = false;
};

// Called after each target with how many are done of how many; returning false stops the
// run, which then returns what it has (cancelled set).
using BacktestProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Throws InputError for settings the searches refuse, an m outside 1 ≤ m < outcomes, an
// empty history or a target range that holds no issue.
BacktestResult runBacktest(const HistorySnapshot& rows, const BacktestRequest& request,
                           const BacktestProgress& progress = {});

// The first and last stored issue the targets resolve to; throws InputError as runBacktest
// does when they hold none.
std::pair<int32_t, int32_t> targetIssues(const HistorySnapshot& rows,
                                         const BacktestRequest& request);

// The refusals of runBacktest alone, before anything is run or counted.
void validateBacktestRequest(const HistorySnapshot& rows, const BacktestRequest& request);

// The summary of the given targets (also of a cancelled run's part), judged at the
// setting's place in the study.
BacktestSummary summarise(const std::vector<TargetResult>& targets, int outcomes, int top,
                          const StudyPlace& place);

// The verdict line: the direction when the rate differs from chance after the correction,
// and that this describes the past.
std::string backtestVerdict(const BacktestSummary& s);

// One point of the verification chart: after `trials` scored trials, the cumulative hit
// rate and the band in which a run of pure chance stays at every plotted point together
// with probability at least 95 % (the exact binomial range at each point at level
// 1 − 0.05 / points, Bonferroni's bound).
struct RatePoint {
    int64_t trials = 0;
    double rate = 0;
    double low = 0;
    double high = 0;
};
std::vector<RatePoint> cumulativeRate(const BacktestResult& result);

}  // namespace arrange5
