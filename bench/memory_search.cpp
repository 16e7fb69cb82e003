#include "bench/memory_search.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace arrange5::bench {

namespace {

// The multiset of reference values one combination needs, per value.
struct Need {
    std::array<int, 10> count{};
    std::array<bool, 5> positions{};
    bool possible = true;
};

Need needOf(const std::array<bool, 5>& positions, const ReferenceValues& ref, CodeKind kind) {
    Need need;
    need.positions = positions;
    const int limit = kValueCounts[static_cast<int>(kind)];
    for (int p = 0; p < 5; ++p) {
        if (!positions[p]) continue;
        if (ref[p] < 0 || ref[p] >= limit) {
            need.possible = false;
        } else {
            ++need.count[ref[p]];
        }
    }
    return need;
}

std::vector<Need> needsFor(const SearchRequest& request, int k) {
    const CodeKind kind = request.settings.kind;
    if (k == 0) return {needOf(request.positions, request.reference, kind)};
    std::vector<Need> needs;
    for (int mask = 0; mask < 32; ++mask) {
        if (__builtin_popcount(mask) != k) continue;
        std::array<bool, 5> positions{};
        for (int p = 0; p < 5; ++p) positions[p] = (mask >> p) & 1;
        Need need = needOf(positions, request.reference, kind);
        if (need.possible) needs.push_back(need);
    }
    return needs;
}

bool matches(const Need& need, const CodeVector& values, bool freePositions,
             const ReferenceValues& ref) {
    if (!need.possible) return false;
    if (freePositions) {
        std::array<int, 10> have{};
        for (int16_t v : values) {
            if (v >= 0 && v < 10) ++have[v];
        }
        for (int v = 0; v < 10; ++v) {
            if (have[v] < need.count[v]) return false;
        }
        return true;
    }
    for (int p = 0; p < 5; ++p) {
        if (need.positions[p] && values[p] != ref[p]) return false;
    }
    return true;
}

std::vector<int> listedOutcomes(const TallySettings& tally) {
    std::vector<int> out;
    const int count = tally.resultKind == CodeKind::Segment
                          ? 5
                          : kValueCounts[static_cast<int>(tally.resultKind)];
    const int first = tally.resultKind == CodeKind::Segment ? tally.segmentBase : 0;
    for (int v = first; v < first + count; ++v) out.push_back(v);
    return out;
}

}  // namespace

SearchResult memorySearch(const HistorySnapshot& rows, const SearchRequest& request, int k) {
    const SearchSettings& s = request.settings;
    const std::size_t lag = s.previousIssue ? 1 : static_cast<std::size_t>(s.lagN);
    const int kind = static_cast<int>(s.kind);
    const int resultKind = static_cast<int>(request.tally.resultKind);
    const int first = request.tally.group ? 1 : request.tally.resultPosition;
    const int last = request.tally.resultPosition;
    const std::vector<Need> needs = needsFor(request, k);

    SearchResult result;
    result.earlierMode = !s.previousIssue;
    std::array<int64_t, 10> counts{};
    for (std::size_t r = lag; r < rows.size(); ++r) {
        const HistoryRow& row = rows[r];
        if (row.issue < request.from || row.issue > request.to) continue;
        const HistoryRow& matched = rows[r - lag];
        const bool hit = std::any_of(needs.begin(), needs.end(), [&](const Need& need) {
            return matches(need, matched.codes[kind], s.freePositions, request.reference);
        });
        if (!hit) continue;
        Hit h;
        h.issue = row.issue;
        h.values = row.codes[resultKind];
        h.matched = digitString(matched.digits());
        result.hits.push_back(std::move(h));
        for (int p = first; p <= last; ++p) {
            const int16_t v = row.codes[resultKind][p - 1];
            if (v >= 0 && v < 10) ++counts[v];
        }
    }
    result.total =
        static_cast<int64_t>(last - first + 1) * static_cast<int64_t>(result.hits.size());

    for (int v : listedOutcomes(request.tally)) {
        TallyRow t;
        t.value = v;
        t.outcome = outcomeName(request.tally.resultKind, v);
        t.count = counts[v];
        if (result.total > 0) {
            // Thousandths of a percent rounded half up, in integers: printf would round an
            // exact binary half (1.5625) to even.
            const int64_t scaled = t.count * 100000;
            const int64_t thousandths =
                scaled / result.total + ((scaled % result.total) * 2 >= result.total ? 1 : 0);
            char text[32];
            std::snprintf(text, sizeof text, "%lld.%03lld%%",
                          static_cast<long long>(thousandths / 1000),
                          static_cast<long long>(thousandths % 1000));
            t.percent = text;
        }
        result.tally.push_back(std::move(t));
    }
    std::stable_sort(result.tally.begin(), result.tally.end(),
                     [](const TallyRow& a, const TallyRow& b) { return a.count > b.count; });
    for (std::size_t i = 0; i < result.tally.size(); ++i) {
        result.tally[i].rank = static_cast<int>(i + 1);
    }
    return result;
}

std::string differences(const SearchResult& expected, const SearchResult& actual) {
    if (expected.hits.size() != actual.hits.size()) {
        return std::to_string(actual.hits.size()) + " hits instead of " +
               std::to_string(expected.hits.size());
    }
    for (std::size_t i = 0; i < expected.hits.size(); ++i) {
        const Hit& e = expected.hits[i];
        const Hit& a = actual.hits[i];
        if (e.issue != a.issue || e.values != a.values || e.matched != a.matched) {
            return "hit " + std::to_string(i + 1) + " is issue " + std::to_string(a.issue) +
                   " matched " + a.matched + " instead of issue " + std::to_string(e.issue) +
                   " matched " + e.matched;
        }
    }
    if (expected.total != actual.total) {
        return "total " + std::to_string(actual.total) + " instead of " +
               std::to_string(expected.total);
    }
    if (expected.tally.size() != actual.tally.size()) {
        return std::to_string(actual.tally.size()) + " tally rows instead of " +
               std::to_string(expected.tally.size());
    }
    for (std::size_t i = 0; i < expected.tally.size(); ++i) {
        const TallyRow& e = expected.tally[i];
        const TallyRow& a = actual.tally[i];
        if (e.value != a.value || e.count != a.count || e.percent != a.percent) {
            return "tally row " + std::to_string(i + 1) + " is " + a.outcome + " × " +
                   std::to_string(a.count) + " (" + a.percent + ") instead of " + e.outcome +
                   " × " + std::to_string(e.count) + " (" + e.percent + ")";
        }
    }
    return {};
}

}  // namespace arrange5::bench
