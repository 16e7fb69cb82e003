#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/history_row.h"

namespace arrange5 {

// One calendar year of the history as the check sees it.
struct CheckedYear {
    int year = 0;
    std::size_t draws = 0;
    int32_t first = 0;
    int32_t last = 0;
    std::vector<int32_t> missing;  // every issue between first and last that has no row
};

// What the history check found: counts per year, the problems and the digest of the export.
struct HistoryCheck {
    std::size_t draws = 0;
    int32_t first = 0;  // 0 for an empty history
    int32_t last = 0;
    std::vector<CheckedYear> years;
    std::vector<std::string> problems;  // each one sentence for the user; empty when sound
    std::string sha256;                 // historyDigest of the rows

    bool sound() const { return problems.empty(); }
    // "历史号码没有发现问题（7641 期，23 年）" or how many problems were found.
    std::string verdict() const;
};

// A year holds at most this many draws (one a day).
inline constexpr std::size_t kMostDrawsInAYear = 366;

// Checks issue-ordered rows: a gap inside a year, a year after the first that does not start
// at 001, a year with more than kMostDrawsInAYear draws, an issue that is not an issue, and a
// row whose digit is outside 0..9 (named one by one with its value, see storedRowProblem), and
// a row whose stored big/small, odd/even or segment values do not follow from its digits (under
// either segment base: rows keep the base in force when they were written).
HistoryCheck checkHistory(const HistorySnapshot& rows);

}  // namespace arrange5
