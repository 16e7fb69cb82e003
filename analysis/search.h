#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/search_settings.h"
#include "store/history_store.h"

namespace arrange5 {

// 结果类型选择, 结果统计选择, 直选/组选 and the segment base the outcomes are listed under.
struct TallySettings {
    CodeKind resultKind = CodeKind::Number;
    int resultPosition = 1;  // 1..5
    bool group = false;      // 组选: count positions 1..resultPosition
    int segmentBase = 1;
};

struct SearchRequest {
    SearchSettings settings;
    ReferenceValues reference{};
    std::array<bool, 5> positions{};  // ticked positions (the single search only)
    int32_t from = 0;                 // issue range, both bounds included
    int32_t to = 0;
    TallySettings tally;
};

// One row of the hits grid: the issue, its own draw in the result kind, the matched draw.
struct Hit {
    int32_t issue = 0;
    std::array<int16_t, 5> values{};
    std::string matched;
};

// One row of the tally grid.
struct TallyRow {
    int rank = 0;
    int value = 0;
    std::string outcome;  // 大/小, 单/双 or the number
    int64_t count = 0;
    std::string percent;    // "25.000%", empty when there are no hits
    int64_t restCount = 0;  // the same outcome among the rest of the range
};

struct SearchResult {
    std::vector<Hit> hits;        // in issue order
    std::vector<TallyRow> tally;  // most frequent first, equal counts by outcome ascending
    int64_t total = 0;            // (last − first + 1) × hits
    // The rest: rows of the range that could have been hits (a draw at the matched distance
    // before them) but are not; their outcomes are counted as the hits' are.
    int64_t restRows = 0;
    int64_t restTotal = 0;
    bool earlierMode = false;  // column 6 header: 前期开奖 instead of 上期开奖
};

// Throws InputError for the settings the searches refuse (SQL and in memory alike).
void validateSearchRequest(const SearchRequest& request);

// 检索: rewrites the working columns of Lishi, marks the hits in intTh, rewrites Carcu and
// returns what the two grids show. One transaction; a failure changes nothing.
SearchResult runSingleSearch(HistoryStore& store, const SearchRequest& request);

// 组合检索 with k combined positions: marks the union of every k-combination's hits in bolOk.
SearchResult runCombinationSearch(HistoryStore& store, const SearchRequest& request, int k);

}  // namespace arrange5
