#include "analysis/search_range.h"

#include "analysis/reference.h"

namespace arrange5 {

namespace {

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
    if (!before || shows(fromText, rangeStartAfter(before->firstIssue, settings))) {
        update.from = rangeStartAfter(after->firstIssue, settings);
    }
    if (!before || shows(toText, before->lastIssue)) update.to = after->lastIssue;
    return update;
}

bool rangeGoesToDefaults(const HistoryChange& change) {
    return change.outside || change.kind == ChangeKind::Updated ||
           change.kind == ChangeKind::YearsPurged;
}

}  // namespace arrange5
