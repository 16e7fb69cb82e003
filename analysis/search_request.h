#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "analysis/search.h"
#include "store/errors.h"
#include "store/history_row.h"

namespace arrange5 {

// Where the reference values come from: the tabs 自动历史位, 手动输入号 and 验证指定期.
enum class ReferenceSource { History, Typed, Verify };

// The names a front end gives its fields; the messages of buildSearchRequest name them, so
// that the window speaks of 验证期 and the command line of --verify.
struct RequestFieldNames {
    std::string from = "起";
    std::string to = "止";
    std::string verify = "验证期";
    std::string lag = "前期模式";
    std::string reference = "手动输入号";
    std::string k = "组合位数";
};

// The history holds no draw the reference could come from: too few rows for the reference
// row, or none far enough before the issue to verify. The window may keep the reference it
// shows; the command line reports it.
class NoReferenceError : public InputError {
  public:
    using InputError::InputError;
};

// Everything a front end knows when it asks for a search. The window fills it from its
// controls, the command line from its options.
struct RequestInput {
    SearchSettings settings;
    TallySettings tally;
    std::array<bool, 5> positions{};  // ticked positions (the single search only)

    ReferenceSource source = ReferenceSource::History;
    ReferenceValues typed{};      // Typed: the five values as entered
    int32_t issueToVerify = 0;    // Verify: the issue in the verification field
    bool onlyBefore = false;      // Verify: 仅检索该期前
    std::optional<int32_t> from;  // the range as entered; none takes the default
    std::optional<int32_t> to;

    RequestFieldNames names;
};

// The complete request for runSingleSearch / runCombinationSearch:
// - reference: History — the reference row's values in the search kind (historyReference);
//   Typed — `typed` as given; Verify — the draw before the issue to verify, or N before it in
//   前期 mode (verifyReference).
// - from: as given, else the default start (first issue + 1, or + N in 前期 mode).
// - to: as given, else with Verify the issue verifyReference ends the range at (the row it
//   reached with 仅检索该期前, the last row without), else the last issue.
// Throws NoReferenceError, naming the field, when the history has no reference row (empty,
// or fewer rows than N) or no draw lies far enough before the issue to verify; InputError
// when N lies outside 1..9 or the history is empty and a bound was not given. Only Typed with both
// bounds given works on an empty history. Nothing is read from or written to the store.
SearchRequest buildSearchRequest(const HistorySnapshot& rows, const RequestInput& input);

// The rows buildSearchRequest reads: the first, the last, and the `count` rows ending at the
// last issue ≤ `upTo` (the last row when none). Built from just these rows (for example by
// HistoryStore::readEnds), it gives the request the whole history gives.
struct RowsNeeded {
    int count = 0;
    std::optional<int32_t> upTo;
};
// Throws InputError when N lies outside 1..9.
RowsNeeded rowsNeeded(const RequestInput& input);

// The reference of the 自动历史位 tab, shown in its fields: none when the history holds
// fewer rows than the reference lies back (the fields keep what they show).
std::optional<ReferenceValues> historyReference(const HistorySnapshot& rows,
                                                const SearchSettings& settings);

// The window keeps its range fields with the pieces of reference.h: 起 = defaultRangeStart,
// 止 = the last issue, or VerifyReference::rangeEnd after the verification reference, or
// verifyTarget of the issue to verify when 仅检索该期前 is ticked. buildSearchRequest gives the
// same range when the fields are left at those defaults.

}  // namespace arrange5
