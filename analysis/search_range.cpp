#include "analysis/search_range.h"

namespace arrange5 {

namespace {

int32_t defaultStart(const HistoryBounds& bounds, const SearchSettings& settings) {
    return bounds.firstIssue + (settings.previousIssue ? 1 : settings.lagN);
}

bool shows(const std::string& text, int32_t value) {
    return text == std::to_string(value);
}

}  // namespace

std::optional<HistoryBounds> historyBounds(const HistorySnapshot& rows) {
    if (rows.empty()) return std::nullopt;
    return HistoryBounds{rows.front().issue, rows.back().issue};
}

RangeUpdate followHistoryChange(const std::string& fromText, const std::string& toText,
                                const std::optional<HistoryBounds>& before,
                                const std::optional<HistoryBounds>& after,
                                const SearchSettings& settings) {
    RangeUpdate update;
    if (!after) return update;
    if (!before || shows(fromText, defaultStart(*before, settings))) {
        update.from = defaultStart(*after, settings);
    }
    if (!before || shows(toText, before->lastIssue)) update.to = after->lastIssue;
    return update;
}

}  // namespace arrange5
