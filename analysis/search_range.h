#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/search_settings.h"
#include "store/history_document.h"
#include "store/history_row.h"

namespace arrange5 {

// The first and last issue of a history, as the search range fields were last set from it.
struct HistoryBounds {
    int32_t firstIssue = 0;
    int32_t lastIssue = 0;
};

std::optional<HistoryBounds> historyBounds(const HistorySnapshot& rows);

// New texts for the range fields 起 and 止 after the history changed; an empty optional
// leaves that field as it is.
struct RangeUpdate {
    std::optional<int32_t> from;
    std::optional<int32_t> to;
};

// A bound still showing its default for the old history (first issue + 1 or + N, the last
// issue) follows the new history, so an imported or newly entered draw is searched at once;
// a bound the user typed stays. After an empty history both take their defaults.
RangeUpdate followHistoryChange(const std::string& fromText, const std::string& toText,
                                const std::optional<HistoryBounds>& before,
                                const std::optional<HistoryBounds>& after,
                                const SearchSettings& settings);

// Whether a change of the history sets both range fields to the new history's defaults
// instead of following it: another program's change, whose rows are not known, and the online
// update, which reads the history afresh and may have purged the oldest years (a typed bound
// could lie in a year that is gone).
bool rangeGoesToDefaults(const HistoryChange& change);

}  // namespace arrange5
