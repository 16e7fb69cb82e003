#pragma once

#include <string>

#include "analysis/search_form.h"
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
    bool noHits = false;
};

// Which search options a command takes: backtest chooses each target's reference and range
// itself, so it offers neither.
struct SearchOptionSet {
    bool tickedPositions = true;
    bool referenceAndRange = true;
};

void addSearchOptions(CLI::App* cmd, SearchOptions& o, SearchOptionSet set);

// The search form filled from the options; the form checks them as it does for the window.
SearchForm searchForm(const CliContext& ctx, const SearchOptions& o, bool combination);

}  // namespace arrange5::cli
