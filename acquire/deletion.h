#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "acquire/rebuild.h"
#include "store/append_state.h"
#include "store/history_store.h"
#include "store/number_text.h"  // inputBoxNumber, for the deletion input boxes

namespace arrange5 {

struct DeletedDraw {
    int32_t issue = 0;
    std::string warning;  // why the file was not compacted after the deletion committed
};

// Deletes the row with the highest issue, then compacts. An empty history throws InputError.
// Returns the issue deleted; a compaction that fails after the deletion committed is a
// warning in the result, not an error.
DeletedDraw deleteLastDraw(HistoryStore& store);

// Deletes every row (no compaction). Returns how many rows were deleted.
std::size_t clearHistory(HistoryStore& store);

// 删除到选定期: writes lsbf.txt with the rows up to `issue`, rebuilds from it and compacts
// (a compaction that fails after the rebuild committed sets the report's warning).
// A number not greater than 0 writes an empty lsbf.txt and deletes nothing (no result).
std::optional<ReplaceReport> cutToIssue(HistoryStore& store, int64_t issue);

// 删除最后指定数量期历史: the same with the limit last issue − n.
std::optional<ReplaceReport> dropLastIssues(HistoryStore& store, int64_t n);

}  // namespace arrange5
