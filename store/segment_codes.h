#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "store/history_store.h"

namespace arrange5 {

// The segment base each stored row was coded with, in issue order: its first segment code
// less the first digit's half.
std::vector<std::pair<int32_t, int>> storedSegmentBaseOfRows(HistoryStore& store);

// Rewrites every row's segment codes (L1F..L5F and the previous draw's segment string) with
// `base`, through the write body's handle; returns the rows rewritten.
int64_t rewriteSegmentCodes(HistoryWriter& writer, int base);

}  // namespace arrange5
