#include "analysis/reference.h"

#include <cctype>
#include <charconv>
#include <limits>

#include "store/errors.h"

namespace arrange5 {

namespace {

// How many rows back the matched draw lies: 1 in 上期, N in 前期.
std::size_t lagDistance(const SearchSettings& settings) {
    return settings.previousIssue ? 1u : static_cast<std::size_t>(settings.lagN);
}

// The reference row sits N − 1 rows before the row reached (0 in 上期).
std::size_t extraStepsBack(const SearchSettings& settings) {
    return lagDistance(settings) - 1;
}

void requireValidLag(const SearchSettings& settings) {
    if (!settings.previousIssue && (settings.lagN < 1 || settings.lagN > 9)) {
        throw InputError("前期的 N 必须是 1 到 9 的数，而不是 " + std::to_string(settings.lagN));
    }
}

}  // namespace

std::optional<std::size_t> referenceRowIndex(const HistorySnapshot& rows,
                                             const SearchSettings& settings) {
    requireValidLag(settings);
    const std::size_t back = extraStepsBack(settings);
    if (rows.size() <= back) return std::nullopt;
    return rows.size() - 1 - back;
}

ReferenceValues valuesOfRow(const HistoryRow& row, CodeKind kind) {
    if (!isValidKind(static_cast<int>(kind))) {
        throw InputError("未知的搜索类型 " + std::to_string(static_cast<int>(kind)));
    }
    return row.codes[static_cast<int>(kind)];
}

std::optional<int32_t> defaultRangeStart(const HistorySnapshot& rows,
                                         const SearchSettings& settings) {
    requireValidLag(settings);
    if (rows.empty()) return std::nullopt;
    // Plain addition, no change of year: the first issue that can have a draw that far back.
    return rows.front().issue + static_cast<int32_t>(lagDistance(settings));
}

int32_t verifyTarget(int32_t issueToVerify) {
    if (issueToVerify % 1000 != 1) return issueToVerify - 1;
    // The issue before a year's first draw is taken as 359 of the year before, which lies
    // beyond any real sequence number, so every draw of that year is included.
    return (issueToVerify / 1000 - 1) * 1000 + 359;
}

std::optional<VerifyReference> verifyReference(const HistorySnapshot& rows, int32_t issueToVerify,
                                               bool onlyBefore, const SearchSettings& settings) {
    requireValidLag(settings);
    if (rows.empty()) return std::nullopt;
    const int32_t target = verifyTarget(issueToVerify);
    // Index one past the row reached, so that "before the first row" is 0.
    std::size_t reached = rows.size();
    while (reached > 0 && rows[reached - 1].issue > target) --reached;
    if (reached == 0) return std::nullopt;
    const std::size_t row = reached - 1;
    const std::size_t back = extraStepsBack(settings);
    if (row < back) return std::nullopt;

    VerifyReference ref;
    ref.rangeEnd = onlyBefore ? rows[row].issue : rows.back().issue;
    ref.referenceIssue = rows[row - back].issue;
    ref.values = valuesOfRow(rows[row - back], settings.kind);
    return ref;
}

}  // namespace arrange5
