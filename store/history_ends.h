#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/history_row.h"

namespace arrange5 {

class HistoryStore;

// How many rows Lishi holds, its first and last issue and the last row's digits: enough to
// tell whether another command changed the history since it was read.
struct HistoryEnds {
    std::size_t count = 0;
    int32_t firstIssue = 0;
    int32_t lastIssue = 0;
    std::string lastDigits;  // "12345", empty for an empty history

    bool operator==(const HistoryEnds&) const = default;
};

// As the file holds them now, whatever the reading cursor holds.
HistoryEnds readHistoryEnds(HistoryStore& store);
// As `rows` hold them.
HistoryEnds endsOf(const HistorySnapshot& rows);

}  // namespace arrange5
