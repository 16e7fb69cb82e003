#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/search_settings.h"
#include "store/history_row.h"
#include "store/number_text.h"  // parseIssueField, for the fields of the search

namespace arrange5 {

// Throws InputError unless N of 前期 mode lies in 1..9 (any N passes in 上期 mode).
void requireValidLag(const SearchSettings& settings);

// The reference row of Refresh reference values: the last row, or N − 1 rows before it in
// 前期 mode. None for an empty history (or fewer rows than N).
std::optional<std::size_t> referenceRowIndex(const HistorySnapshot& rows,
                                             const SearchSettings& settings);

// The search kind's values of one row, positions 1..5.
ReferenceValues valuesOfRow(const HistoryRow& row, CodeKind kind);

// The first issue with a draw at the required distance before it: first issue + 1 (上期)
// or + N (前期). None for an empty history.
std::optional<int32_t> defaultRangeStart(const HistorySnapshot& rows,
                                         const SearchSettings& settings);
// The same for a history whose first issue is `firstIssue`.
int32_t rangeStartAfter(int32_t firstIssue, const SearchSettings& settings);

// The issue before the issue to verify: T − 1, or the previous year's 359 after "001".
int32_t verifyTarget(int32_t issueToVerify);

// The reference for the verification tab (验证指定期).
struct VerifyReference {
    ReferenceValues values{};
    int32_t referenceIssue = 0;
    int32_t rangeEnd = 0;  // Text3(1) after the verification reference
};
// None when the target lies before the first row (the reference stays unchanged).
std::optional<VerifyReference> verifyReference(const HistorySnapshot& rows, int32_t issueToVerify,
                                               bool onlyBefore, const SearchSettings& settings);

}  // namespace arrange5
