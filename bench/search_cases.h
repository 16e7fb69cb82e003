#pragma once

#include <string>
#include <vector>

#include "analysis/search.h"
#include "store/history_row.h"

namespace arrange5::bench {

// One setting of the search controls the suite measures.
struct SearchCase {
    std::string name;  // "number/free/prev/5pos", "combo3/segment/fixed/earlier3"
    SearchSettings settings;
    std::array<bool, 5> positions{};
    int k = 0;  // 0: the single search; otherwise the combination search with k positions
    // Measured on the largest history too: the heaviest setting of each kind of work, so a
    // million-draw run stays within minutes.
    bool everySize = false;

    bool combination() const { return k > 0; }
};

// Every code kind with both ways of matching, 上期 and 前期 (N = 3), one and five ticked
// positions, and the combination search with k = 2 and 3; not the full cross product,
// which would take too long at a million draws, but every option in both of its states.
// The million-draw history runs only the cases marked everySize.
std::vector<SearchCase> searchCases();

// The request the window would make: the reference row's values of the search kind, the
// default issue range, and the heaviest tally (组选 up to position 5).
SearchRequest requestFor(const SearchCase& c, const HistorySnapshot& rows);

}  // namespace arrange5::bench
