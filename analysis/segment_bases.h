#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/search.h"
#include "store/errors.h"
#include "store/history_row.h"
#include "store/history_store.h"

namespace arrange5 {

// Segment codes are derived from the digits with the segment base of the moment they were
// stored (0~4 or 1~5). A segment-kind search over rows of another base would count them
// under outcomes that mean something else, so it is refused until they are recomputed.

// A run of consecutive rows coded with one base.
struct BaseRange {
    int base = 0;
    int32_t first = 0;
    int32_t last = 0;
    int64_t rows = 0;
};

// Refusal of a segment-kind search over rows of another base; the window offers to
// recompute them.
class SegmentBaseError : public InputError {
  public:
    using InputError::InputError;
};

// The bases the rows were coded with, in issue order.
std::vector<BaseRange> storedSegmentBases(HistoryStore& store);
std::vector<BaseRange> storedSegmentBases(const HistorySnapshot& rows);

// Whether the search reads segment codes: a segment search kind or a segment result kind.
bool readsSegments(const SearchSettings& settings, const TallySettings& tally);

// Throws SegmentBaseError naming the stored bases and their issue ranges when the request
// reads segment codes and any row was coded with another base than the current one.
void requireSegmentBase(const std::vector<BaseRange>& stored, const SearchSettings& settings,
                        const TallySettings& tally);
void requireSegmentBase(HistoryStore& store, const SearchRequest& request);

// Recomputes every row's segment codes (L1F..L5F and the previous draw's occurrence string
// txtHisLstDuan) from its digits with `base`, in one write; returns how many rows it rewrote.
int64_t recodeSegments(HistoryStore& store, int base);

}  // namespace arrange5
