#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "analysis/search.h"
#include "analysis/search_rules.h"
#include "store/history_row.h"

namespace arrange5 {

// The searches answered from the draws already in memory (the reading cursor's rows), with
// the same hits, tally and total as 检索 and 组合检索 but without touching the database.
// The window's searches keep the SQL path and its working columns; this serves the
// walk-forward verification, which asks the same question thousands of times.

SearchResult memorySearch(const HistorySnapshot& rows, const SearchRequest& request,
                          const SearchShape& shape);

// One demand on the matched draw, packed in 32 bits so that the demands of several
// combinations combine cheaply. 固定位: bits 0..4 the positions, then 4 bits per position
// for its value. 自由位: 3 bits per value 0..9, how often it must occur.
using Requirement = uint32_t;

// The requirements of one search for one reference; a row is a hit when its matched draw
// meets at least one. Combinations that cannot hit (a value outside the kind) are left out.
std::vector<Requirement> searchRequirements(const SearchSettings& settings,
                                            const ReferenceValues& reference,
                                            const SearchShape& shape);

bool meets(const SearchSettings& settings, Requirement requirement, const CodeVector& matched);

// Why a row is a hit of the combination search: the combinations whose demand its matched
// draw (`matchedDigits`, as Hit::matched gives them) meets, each as the positions it binds,
// "1,3", in the order the search tries them. Empty when the text is not five digits.
std::vector<std::string> metCombinations(const SearchRequest& request, const SearchShape& shape,
                                         const std::string& matchedDigits);

// Hits and outcome counters among the rows added so far, for any reference: the walk-forward
// verification adds one row per target and asks once, instead of searching the whole range
// again. Each added row files its outcomes under every requirement its matched draw meets;
// the union over several combinations is taken by inclusion and exclusion.
class FollowingCounts {
  public:
    struct Counts {
        int64_t hits = 0;
        std::array<int64_t, 10> counters{};
    };

    FollowingCounts(const SearchSettings& settings, const TallySettings& tally,
                    const SearchShape& shape);

    // A history row enters the range: `matched` is the draw its pattern is looked for in.
    void add(const HistoryRow& own, const HistoryRow& matched);

    Counts query(const ReferenceValues& reference) const;

  private:
    struct Entry {
        int32_t hits = 0;
        std::array<int32_t, 10> counters{};
    };
    void file(Requirement key, const HistoryRow& own);

    SearchSettings settings_;
    TallySettings tally_;
    SearchShape shape_;
    std::vector<uint32_t> fixedMasks_;  // 固定位: the position sets a query can ask for
    int minSize_ = 0;                   // 自由位: the sizes of the multisets a query can ask for
    int maxSize_ = 5;
    std::unordered_map<Requirement, Entry> entries_;
};

}  // namespace arrange5
