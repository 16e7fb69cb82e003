#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/search.h"
#include "store/history_row.h"

namespace arrange5 {

// The rules of a search that both engines follow: the SQL engine renders them as
// statements, the in-memory engine as loops over the rows. Neither decides one of these
// itself.

// The rows that could be hits: a row is eligible when the history holds a draw at the
// matched distance before it (never a hit without the matched draw). In issue order the
// eligible rows are those from this index on.
std::size_t firstEligibleRow(const SearchSettings& settings);

// The positions a row's outcomes are read from: the result position (直选), or positions
// 1..P (组选).
struct CountedPositions {
    int first = 1;
    int last = 1;
    int count() const { return last - first + 1; }
};
CountedPositions countedPositions(const TallySettings& tally);

// What a search asks of the matched draw: the single search's ticked positions, or every
// k-combination of the five positions (the combination search; k outside 1..5 asks nothing).
struct SearchShape {
    bool combination = false;
    std::array<bool, 5> positions{};  // single search
    int k = 0;                        // combination search

    static SearchShape single(const std::array<bool, 5>& ticked) { return {false, ticked, 0}; }
    static SearchShape combined(int k) { return {true, {}, k}; }
};

// What one set of positions asks of the matched draw, in the search kind's values: 固定位
// the value at each of its positions, 自由位 how often each value must occur among the five
// (the reference values of the positions taken as a multiset).
struct Demand {
    std::array<bool, 5> positions{};
    std::array<int, 5> fixed{};
    std::array<int, 10> counts{};
};

// The demands of a search; a row is a hit when its matched draw meets at least one. The
// single search asks one (its ticked positions; none ticked asks nothing of the draw), the
// combination search one per k-combination in lexicographic order. A set of positions
// holding a reference value outside the kind cannot be met and is left out (自由位 skips
// that value's statement while still counting it; 固定位 finds no draw holding it).
std::vector<Demand> searchDemands(const SearchSettings& settings, const ReferenceValues& reference,
                                  const SearchShape& shape);

// One counter per value a kind can take; only the result kind's values are used.
using OutcomeCounters = std::array<int64_t, 10>;

// Whether a stored value is counted: one no derivation produces is listed but not counted.
bool countableValue(CodeKind kind, int value);

// Adds one row's outcomes (its values of the result kind, positions 1..5) to the counters.
template <typename Counters, typename Values>
void countOutcomes(const TallySettings& tally, const Values& own, Counters& counters) {
    const CountedPositions counted = countedPositions(tally);
    for (int p = counted.first; p <= counted.last; ++p) {
        const int v = own[static_cast<std::size_t>(p - 1)];
        if (countableValue(tally.resultKind, v)) ++counters[static_cast<std::size_t>(v)];
    }
}

// The values a reference of the search kind can hold: 0..9, 0..1, or the five segments of
// the base. A value outside them at a position in `takingPart` matches no draw: the message
// says so, naming the position, the value and the kind's values; none when every value the
// search reads can occur.
std::optional<std::string> impossibleReference(CodeKind kind, const ReferenceValues& reference,
                                               int segmentBase,
                                               const std::array<bool, 5>& takingPart);

// The outcomes a draw itself gives under the tally settings: its value of the result kind at
// the result position (直选), or at positions 1..P (组选), in position order.
std::vector<int> outcomesOf(const HistoryRow& row, const TallySettings& tally);

// How many outcomes the tally lists for a result kind: 10, 2, 2, or 5 segments.
int listedOutcomes(CodeKind resultKind);

// The listed outcome values in ascending order; segments under the current base only.
std::vector<int> listedValues(const TallySettings& tally);

// The tally grid: every listed outcome with its count among the hits and among the rest of
// the range, most frequent first, equal counts by outcome ascending; percentages of `total`.
std::vector<TallyRow> tallyRows(const OutcomeCounters& hits, const OutcomeCounters& rest,
                                int64_t total, const TallySettings& tally);

// The same without a rest (the verification's rankings).
std::vector<TallyRow> tallyRows(const OutcomeCounters& hits, int64_t total,
                                const TallySettings& tally);

}  // namespace arrange5
