#pragma once

#include <string>

#include "analysis/search.h"
#include "store/history_row.h"

namespace arrange5::bench {

// The in-memory floor: the same hits and tally as the database searches, computed by a
// plain walk over the draws already in memory. `k` = 0 is the single search (the ticked
// positions), k = 1..5 the combination search over every k of the five positions.
SearchResult memorySearch(const HistorySnapshot& rows, const SearchRequest& request, int k);

// Where two results differ (hits, total, tally), or empty when they agree.
std::string differences(const SearchResult& expected, const SearchResult& actual);

}  // namespace arrange5::bench
