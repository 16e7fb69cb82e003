#pragma once

#include <string>

#include "analysis/search.h"
#include "cli/cli_context.h"

namespace arrange5::cli {

// The search options as typed, shared by search, combo and backtest.
struct SearchOptions {
    std::string kind = "number";
    std::string match = "free";
    int earlier = 0;  // 0: 上期
    std::string positions;
    std::string reference;
    std::string verify;
    bool onlyBefore = false;
    std::string from;
    std::string to;
    std::string resultKind = "number";
    int resultPosition = 1;
    bool group = false;
    int k = 2;
};

void addSearchOptions(CLI::App* cmd, SearchOptions& o, bool tickedPositions);

// Gathers the request as the window would: reference from the selected source, range from
// the history unless given.
SearchRequest buildRequest(CliContext& ctx, const SearchOptions& o);

}  // namespace arrange5::cli
