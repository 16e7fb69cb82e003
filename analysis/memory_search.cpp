#include "analysis/memory_search.h"

#include <algorithm>
#include <bit>

#include "analysis/match_columns.h"
#include "analysis/search_rules.h"
#include "store/draw.h"
#include "store/errors.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

constexpr int kFixedValueShift = 5;  // 固定位: the position bits come first
constexpr int kFreeFieldBits = 3;    // 自由位: up to 5 occurrences of a value
constexpr uint32_t kFreeField = (1u << kFreeFieldBits) - 1;

int valueCount(CodeKind kind) {
    return kValueCounts[static_cast<int>(kind)];
}

uint32_t fixedValueBits(int position, int value) {
    return static_cast<uint32_t>(value) << (kFixedValueShift + 4 * position);
}

// 固定位: the key of the values a draw holds at the given positions; false when one of them
// lies outside the kind, so that no requirement can ask for it.
bool fixedKeyOf(uint32_t mask, const CodeVector& values, CodeKind kind, Requirement& key) {
    key = mask;
    for (int p = 0; p < 5; ++p) {
        if (!((mask >> p) & 1u)) continue;
        if (values[p] < 0 || values[p] >= valueCount(kind)) return false;
        key |= fixedValueBits(p, values[p]);
    }
    return true;
}

int freeField(Requirement r, int value) {
    return static_cast<int>((r >> (kFreeFieldBits * value)) & kFreeField);
}

// 自由位: how often each value of the kind occurs among the draw's five values.
std::array<int, 10> occurrences(const CodeVector& values, CodeKind kind) {
    std::array<int, 10> have{};
    for (int16_t v : values) {
        if (v >= 0 && v < valueCount(kind)) ++have[static_cast<std::size_t>(v)];
    }
    return have;
}

// Both requirements at once.
Requirement merged(bool freePositions, Requirement a, Requirement b) {
    if (!freePositions) return a | b;  // one reference: shared positions carry the same value
    Requirement out = 0;
    for (int v = 0; v < 10; ++v) {
        const auto need = static_cast<uint32_t>(std::max(freeField(a, v), freeField(b, v)));
        out |= need << (kFreeFieldBits * v);
    }
    return out;
}

// Whether every draw that meets `strong` also meets `weak`.
bool implies(bool freePositions, Requirement strong, Requirement weak) {
    return merged(freePositions, strong, weak) == strong;
}

// A demand packed as a requirement.
Requirement requirementOf(bool freePositions, const Demand& d) {
    Requirement out = 0;
    for (int p = 0; p < 5; ++p) {
        const auto at = static_cast<std::size_t>(p);
        if (!d.positions[at]) continue;
        out |= freePositions ? 0u : (1u << p) | fixedValueBits(p, d.fixed[at]);
    }
    if (!freePositions) return out;
    for (int v = 0; v < 10; ++v) {
        out |= static_cast<uint32_t>(d.counts[static_cast<std::size_t>(v)]) << (kFreeFieldBits * v);
    }
    return out;
}

uint32_t maskOf(const std::array<bool, 5>& positions) {
    uint32_t mask = 0;
    for (int p = 0; p < 5; ++p) {
        if (positions[p]) mask |= 1u << p;
    }
    return mask;
}

// The union of the requirements without the ones another already covers.
std::vector<Requirement> withoutImplied(bool freePositions, std::vector<Requirement> reqs) {
    std::sort(reqs.begin(), reqs.end());
    reqs.erase(std::unique(reqs.begin(), reqs.end()), reqs.end());
    std::vector<Requirement> out;
    for (Requirement r : reqs) {
        const bool covered = std::any_of(reqs.begin(), reqs.end(), [&](Requirement other) {
            return other != r && implies(freePositions, r, other);
        });
        if (!covered) out.push_back(r);
    }
    return out;
}

}  // namespace

std::vector<Requirement> searchRequirements(const SearchSettings& settings,
                                            const ReferenceValues& reference,
                                            const SearchShape& shape) {
    std::vector<Requirement> out;
    for (const Demand& d : searchDemands(settings, reference, shape)) {
        out.push_back(requirementOf(settings.freePositions, d));
    }
    return out;
}

bool meets(const SearchSettings& settings, Requirement requirement, const CodeVector& matched) {
    if (settings.freePositions) {
        const auto have = occurrences(matched, settings.kind);
        for (int v = 0; v < 10; ++v) {
            if (have[static_cast<std::size_t>(v)] < freeField(requirement, v)) return false;
        }
        return true;
    }
    Requirement key = 0;
    return fixedKeyOf(requirement & 31u, matched, settings.kind, key) && key == requirement;
}

std::vector<std::string> metCombinations(const SearchRequest& request, const SearchShape& shape,
                                         const std::string& matchedDigits) {
    std::vector<std::string> met;
    if (matchedDigits.size() != 5) return met;
    Digits digits{};
    for (std::size_t i = 0; i < 5; ++i) {
        if (matchedDigits[i] < '0' || matchedDigits[i] > '9') return met;
        digits[i] = static_cast<int16_t>(matchedDigits[i] - '0');
    }
    const SearchSettings& s = request.settings;
    const CodeVector codes =
        deriveCodes(digits, request.tally.segmentBase)[static_cast<std::size_t>(s.kind)];
    for (const Demand& d : searchDemands(s, request.reference, shape)) {
        if (!meets(s, requirementOf(s.freePositions, d), codes)) continue;
        std::string positions;
        for (std::size_t p = 0; p < d.positions.size(); ++p) {
            if (d.positions[p]) positions += (positions.empty() ? "" : ",") + std::to_string(p + 1);
        }
        met.push_back(positions);
    }
    return met;
}

SearchResult memorySearch(const HistorySnapshot& rows, const SearchRequest& request,
                          const SearchShape& shape) {
    validateSearchRequest(request);
    const SearchSettings& s = request.settings;
    const auto lag = static_cast<std::size_t>(lagDistance(s));
    const std::size_t firstRow = firstEligibleRow(s);
    const auto reqs =
        withoutImplied(s.freePositions, searchRequirements(s, request.reference, shape));
    const int resultKind = static_cast<int>(request.tally.resultKind);

    SearchResult result;
    result.earlierMode = !s.previousIssue;
    OutcomeCounters counters{};
    OutcomeCounters rest{};
    for (std::size_t r = firstRow; r < rows.size(); ++r) {
        const HistoryRow& row = rows[r];
        if (row.issue < request.from || row.issue > request.to) continue;
        const HistoryRow& matched = rows[r - lag];
        const CodeVector& codes = matched.codes[static_cast<int>(s.kind)];
        if (!std::any_of(reqs.begin(), reqs.end(),
                         [&](Requirement q) { return meets(s, q, codes); })) {
            ++result.restRows;
            countOutcomes(request.tally, row.codes[resultKind], rest);
            continue;
        }
        Hit hit;
        hit.issue = row.issue;
        hit.values = row.codes[resultKind];
        hit.matched = digitString(matched.digits());
        countOutcomes(request.tally, row.codes[resultKind], counters);
        result.hits.push_back(std::move(hit));
    }
    const int64_t perRow = countedPositions(request.tally).count();
    result.total = perRow * static_cast<int64_t>(result.hits.size());
    result.restTotal = perRow * result.restRows;
    result.tally = tallyRows(counters, rest, result.total, request.tally);
    return result;
}

FollowingCounts::FollowingCounts(const SearchSettings& settings, const TallySettings& tally,
                                 const SearchShape& shape)
    : settings_(settings), tally_(tally), shape_(shape) {
    if (!shape.combination) {
        const uint32_t mask = maskOf(shape.positions);
        fixedMasks_.push_back(mask);
        minSize_ = maxSize_ = std::popcount(mask);
        return;
    }
    if (shape.k < 1 || shape.k > limits::kPositions) {
        minSize_ = limits::kPositions + 1;  // no combination: nothing is ever asked
        return;
    }
    // A union of k-combinations is any set of at least k positions.
    for (uint32_t mask = 1; mask < 32; ++mask) {
        if (std::popcount(mask) >= shape.k) fixedMasks_.push_back(mask);
    }
    minSize_ = shape.k;
}

void FollowingCounts::file(Requirement key, const HistoryRow& own) {
    Entry& e = entries_[key];
    ++e.hits;
    countOutcomes(tally_, own.codes[static_cast<int>(tally_.resultKind)], e.counters);
}

void FollowingCounts::add(const HistoryRow& own, const HistoryRow& matched) {
    const CodeVector& codes = matched.codes[static_cast<int>(settings_.kind)];
    if (!settings_.freePositions) {
        for (uint32_t mask : fixedMasks_) {
            Requirement key = 0;
            if (fixedKeyOf(mask, codes, settings_.kind, key)) file(key, own);
        }
        return;
    }
    // Every sub-multiset of the draw's values of a size a query can ask for.
    const auto have = occurrences(codes, settings_.kind);
    std::array<int, 10> take{};
    auto walk = [&](auto&& self, int value, int size) -> void {
        if (value == 10) {
            if (size < minSize_ || size > maxSize_) return;
            Requirement key = 0;
            for (int v = 0; v < 10; ++v) {
                key |= static_cast<uint32_t>(take[static_cast<std::size_t>(v)])
                       << (kFreeFieldBits * v);
            }
            file(key, own);
            return;
        }
        for (int c = 0; c <= have[static_cast<std::size_t>(value)] && size + c <= maxSize_; ++c) {
            take[static_cast<std::size_t>(value)] = c;
            self(self, value + 1, size + c);
        }
        take[static_cast<std::size_t>(value)] = 0;
    };
    walk(walk, 0, 0);
}

FollowingCounts::Counts FollowingCounts::query(const ReferenceValues& reference) const {
    const bool free = settings_.freePositions;
    const auto reqs = withoutImplied(free, searchRequirements(settings_, reference, shape_));
    Counts out;
    if (reqs.empty()) return out;
    // Inclusion and exclusion over the families of requirements; families that ask the same
    // of a draw share one coefficient.
    std::vector<std::pair<Requirement, int64_t>> terms;
    const std::size_t families = std::size_t{1} << reqs.size();
    std::vector<Requirement> family(families, 0);
    for (std::size_t f = 1; f < families; ++f) {
        const std::size_t low = static_cast<std::size_t>(std::countr_zero(f));
        const std::size_t rest = f & (f - 1);
        family[f] = rest == 0 ? reqs[low] : merged(free, family[rest], reqs[low]);
        const int64_t sign = std::popcount(f) % 2 == 1 ? 1 : -1;
        auto it = std::find_if(terms.begin(), terms.end(),
                               [&](const auto& t) { return t.first == family[f]; });
        if (it == terms.end()) {
            terms.emplace_back(family[f], sign);
        } else {
            it->second += sign;
        }
    }
    for (const auto& [key, coefficient] : terms) {
        if (coefficient == 0) continue;
        const auto it = entries_.find(key);
        if (it == entries_.end()) continue;
        out.hits += coefficient * it->second.hits;
        for (std::size_t v = 0; v < 10; ++v)
            out.counters[v] += coefficient * it->second.counters[v];
    }
    return out;
}

}  // namespace arrange5
