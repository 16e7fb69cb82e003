#include "analysis/search_rules.h"

#include <algorithm>

#include "analysis/tally.h"

namespace arrange5 {

std::size_t firstEligibleRow(const SearchSettings& settings) {
    return static_cast<std::size_t>(lagDistance(settings));
}

CountedPositions countedPositions(const TallySettings& tally) {
    return {tally.group ? 1 : tally.resultPosition, tally.resultPosition};
}

bool countableValue(CodeKind kind, int value) {
    return value >= 0 && value < kValueCounts[static_cast<std::size_t>(kind)];
}

int listedOutcomes(CodeKind resultKind) {
    return resultKind == CodeKind::Segment ? 5 : kValueCounts[static_cast<std::size_t>(resultKind)];
}

std::vector<int> listedValues(const TallySettings& tally) {
    const int first = tally.resultKind == CodeKind::Segment ? tally.segmentBase : 0;
    std::vector<int> values;
    for (int v = first; v < first + listedOutcomes(tally.resultKind); ++v) values.push_back(v);
    return values;
}

std::vector<TallyRow> tallyRows(const OutcomeCounters& hits, const OutcomeCounters& rest,
                                int64_t total, const TallySettings& tally) {
    std::vector<TallyRow> rows;
    for (int v : listedValues(tally)) {
        TallyRow t;
        t.value = v;
        t.outcome = outcomeName(tally.resultKind, v);
        t.count = hits[static_cast<std::size_t>(v)];
        t.restCount = rest[static_cast<std::size_t>(v)];
        t.percent = formatPercent(t.count, total);
        rows.push_back(std::move(t));
    }
    // Ascending outcomes already, so a stable sort keeps equal counts by outcome.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TallyRow& a, const TallyRow& b) { return a.count > b.count; });
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].rank = static_cast<int>(i + 1);
    return rows;
}

std::vector<TallyRow> tallyRows(const OutcomeCounters& hits, int64_t total,
                                const TallySettings& tally) {
    return tallyRows(hits, OutcomeCounters{}, total, tally);
}

}  // namespace arrange5
