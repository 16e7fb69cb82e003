#pragma once

#include <cstdint>
#include <optional>

#include "store/append_state.h"
#include "store/history_store.h"
#include "store/number_text.h"  // isValidIssue

namespace arrange5 {

// Manual entry: appends one draw, the previous-draw strings primed from the last row. The
// issue is `chosenIssue` when given (the field the user may correct): after the last row only
// the two values acceptChosenIssue allows, on an empty history any valid issue (D8, without
// one InputError is thrown). Without a chosen issue it is nextIssue(last, todayYear).
// Returns the issue stored.
int32_t appendManualDraw(HistoryStore& store, const Digits& digits,
                         std::optional<int32_t> chosenIssue = {},
                         std::optional<int> todayYear = {});

}  // namespace arrange5
