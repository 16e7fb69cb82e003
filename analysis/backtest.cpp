#include "analysis/backtest.h"

#include <algorithm>
#include <map>

#include "analysis/chance.h"
#include "analysis/reference.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

// T's own values the ranking is judged on: the result position (直选), or each of the
// positions 1..P (组选), one trial each.
std::vector<int> actualValues(const HistoryRow& row, const TallySettings& t) {
    const CodeVector& codes = row.codes[static_cast<int>(t.resultKind)];
    std::vector<int> out;
    for (int p = t.group ? 1 : t.resultPosition; p <= t.resultPosition; ++p) {
        out.push_back(codes[static_cast<std::size_t>(p - 1)]);
    }
    return out;
}

void score(TargetResult& target, const std::vector<TallyRow>& tally, int top) {
    for (const TallyRow& row : tally) target.ranking.push_back(row.value);
    for (int value : target.actual) {
        const auto at = std::find(target.ranking.begin(), target.ranking.end(), value);
        const int rank =
            at == target.ranking.end() ? 0 : static_cast<int>(at - target.ranking.begin()) + 1;
        target.rank.push_back(rank);
        target.hit.push_back(rank >= 1 && rank <= top);
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

int listedOutcomes(CodeKind resultKind) {
    return resultKind == CodeKind::Segment ? 5 : kValueCounts[static_cast<int>(resultKind)];
}

BacktestSummary summarise(const std::vector<TargetResult>& targets, int outcomes, int top) {
    BacktestSummary s;
    std::map<int, YearSummary> years;
    int64_t rankSum = 0;
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
    }
    // As for a tally: fewer than 5 hits expected by chance says nothing, and values counted
    // under another segment base cannot be judged at all.
    if (s.unlisted == 0 && static_cast<double>(s.scored) * s.chance >= kMinExpectedCount) {
        s.p = binomialUpperTail(s.hits, s.scored, s.chance);
    }
    s.verdict = s.unlisted > 0 ? kMixedSegmentBaseVerdict : verdictForP(s.p, 1);
    return s;
}

BacktestResult runBacktest(const HistorySnapshot& rows, const BacktestRequest& request,
                           const BacktestProgress& progress) {
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
    const int32_t start = *defaultRangeStart(rows, request.settings);
    const auto [begin, end] = targetRows(rows, request, start);

    const auto lag = static_cast<std::size_t>(lagDistance(request.settings));
    FollowingCounts counts(request.settings, request.tally, request.shape);
    BacktestResult result;
    result.outcomes = outcomes;
    std::size_t reached = 0;  // rows with an issue up to the one before the target
    std::size_t added = lag;  // the next row that may enter the range
    for (std::size_t t = begin; t < end; ++t) {
        TargetResult target;
        target.issue = rows[t].issue;
        target.actual = actualValues(rows[t], request.tally);
        // YSJS with 仅检索该期前: the last row up to the issue before T ends the range; the
        // reference lies N − 1 rows before it in 前期 mode.
        const int32_t before = verifyTarget(target.issue);
        while (reached < rows.size() && rows[reached].issue <= before) ++reached;
        if (reached >= lag) {
            const HistoryRow& referenceRow = rows[reached - lag];
            target.reference = referenceRow.codes[static_cast<int>(request.settings.kind)];
            target.referenceIssue = referenceRow.issue;
            for (; added < reached; ++added) {
                if (rows[added].issue >= start) counts.add(rows[added], rows[added - lag]);
            }
            const FollowingCounts::Counts c = counts.query(*target.reference);
            target.hits = c.hits;
            if (target.answered()) {
                const int64_t total =
                    c.hits * (request.tally.group ? request.tally.resultPosition : 1);
                score(target, tallyRows(c.counters, total, request.tally), request.top);
            }
        }
        result.targets.push_back(std::move(target));
        if (progress && !progress(t - begin + 1, end - begin)) {
            result.cancelled = true;
            break;
        }
    }
    result.summary = summarise(result.targets, outcomes, request.top);
    return result;
}

}  // namespace arrange5
