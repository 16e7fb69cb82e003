#pragma once

#include <SQLiteCpp/Database.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace arrange5 {

// How many rows Lishi holds, its first and last issue and the last row's digits: enough to
// tell whether another command changed the history since it was read.
struct HistoryEnds {
    std::size_t count = 0;
    int32_t firstIssue = 0;
    int32_t lastIssue = 0;
    std::string lastDigits;  // "12345", empty for an empty history
};

HistoryEnds readHistoryEnds(SQLite::Database& db);

}  // namespace arrange5
