#pragma once

#include <string>

#include "analysis/backtest.h"
#include "analysis/search.h"
#include "analysis/search_rules.h"
#include "store/history_row.h"

namespace arrange5 {

// One setting of a study. Two runs are one setting when they test the same thing on the
// same rows, so `key` leaves out what takes no part: the segment base unless a segment kind
// or segment result takes part, reference values at positions that take no part, range and
// target bounds beyond the stored issues they resolve to; 前期 with N = 1 is 上期.
struct StudySetting {
    std::string key;
    std::string commandLine;  // the run as arrange5-cli's options would repeat it
};

StudySetting searchStudySetting(const HistorySnapshot& rows, const SearchRequest& request,
                                const SearchShape& shape);

// Throws InputError for a target range that holds no stored issue (as runBacktest does).
StudySetting backtestStudySetting(const HistorySnapshot& rows, const BacktestRequest& request);

}  // namespace arrange5
