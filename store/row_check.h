#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/history_row.h"

namespace arrange5 {

// What the reading cursor stores for a column that holds no whole number the row can use (a
// text, a fraction, NULL, or a number beyond 16 bits): a value no digit or code ever has, so
// the row check below always catches it instead of a narrowed number that looks sound.
inline constexpr int16_t kUnreadableCode = INT16_MIN;

// What is wrong with one stored row, in one sentence naming its issue, or none when it is
// sound. A digit outside 0..9 is named as such; a row whose digits are sound but whose
// big/small, odd/even or segment codes do not follow from them (segments under either base,
// the same base at every position: rows keep the base in force when they were written) is
// named as a disagreement. Only a sound row may have its digits or codes used as an index.
std::optional<std::string> storedRowProblem(const HistoryRow& row);

// The first unsound row of `rows` (issue order), as storedRowProblem words it.
std::optional<std::string> firstRowProblem(const HistorySnapshot& rows);

// Throws StoreError when a row of `rows` is unsound: its problem, that `command` cannot run on
// such a history, and how to put it right. Nothing has been changed when it throws.
void requireSoundRows(const HistorySnapshot& rows, std::string_view command);

}  // namespace arrange5
