#include "analysis/search_rules.h"

#include <algorithm>

#include "analysis/match_columns.h"
#include "analysis/tally.h"

namespace arrange5 {

std::vector<Demand> searchDemands(const SearchSettings& settings, const ReferenceValues& reference,
                                  const SearchShape& shape) {
    std::vector<std::array<bool, 5>> sets;
    if (!shape.combination) {
        sets.push_back(shape.positions);
    } else {
        for (const auto& combo : positionCombinations(shape.k)) {
            std::array<bool, 5> set{};
            for (int p : combo) set[static_cast<std::size_t>(p - 1)] = true;
            sets.push_back(set);
        }
    }
    std::vector<Demand> demands;
    for (const auto& set : sets) {
        Demand d;
        d.positions = set;
        bool possible = true;
        for (std::size_t p = 0; p < 5; ++p) {
            if (!set[p]) continue;
            const int v = reference[p];
            if (!valueInKindRange(settings.kind, v)) {
                possible = false;
                break;
            }
            d.fixed[p] = v;
            ++d.counts[static_cast<std::size_t>(v)];
        }
        if (possible) demands.push_back(d);
    }
    return demands;
}

std::size_t firstEligibleRow(const SearchSettings& settings) {
    return static_cast<std::size_t>(lagDistance(settings));
}

CountedPositions countedPositions(const TallySettings& tally) {
    return {tally.group ? 1 : tally.resultPosition, tally.resultPosition};
}

bool countableValue(CodeKind kind, int value) {
    return value >= 0 && value < kValueCounts[static_cast<std::size_t>(kind)];
}

namespace {
const char* kindName(CodeKind kind) {
    static constexpr const char* kNames[] = {"号码", "大小", "单双", "段数"};
    return kNames[static_cast<std::size_t>(kind)];
}
}  // namespace

std::optional<std::string> impossibleReference(CodeKind kind, const ReferenceValues& reference,
                                               int segmentBase,
                                               const std::array<bool, 5>& takingPart) {
    const int first = kind == CodeKind::Segment ? segmentBase : 0;
    const int last = first + listedOutcomes(kind) - 1;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        if (takingPart[i] && (reference[i] < first || reference[i] > last)) {
            return "第 " + std::to_string(i + 1) + " 位的参考值 " + std::to_string(reference[i]) +
                   " 不在" + kindName(kind) + "的取值 " + std::to_string(first) + " 到 " +
                   std::to_string(last) + " 之内，这一位不会有任何一期相符";
        }
    }
    return std::nullopt;
}

std::vector<int> outcomesOf(const HistoryRow& row, const TallySettings& tally) {
    const CodeVector& codes = row.codes[static_cast<int>(tally.resultKind)];
    std::vector<int> out;
    const CountedPositions counted = countedPositions(tally);
    for (int p = counted.first; p <= counted.last; ++p) {
        out.push_back(codes[static_cast<std::size_t>(p - 1)]);
    }
    return out;
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
