#pragma once

#include <cstdint>
#include <optional>

#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5 {

// Whether `issue` reads as a seven-digit issue: a four-digit year and a sequence from 001.
bool isValidIssue(int64_t issue);

// Manual entry: appends one draw under the next issue (the 358 roll-over), the previous-draw
// strings primed from the last row. An empty history needs `issueForEmptyHistory` (D8);
// without it InputError is thrown. Returns the issue stored.
int32_t appendManualDraw(HistoryStore& store, const Digits& digits, int segmentBase,
                         LastTwoDraws& sp, std::optional<int32_t> issueForEmptyHistory = {});

}  // namespace arrange5
