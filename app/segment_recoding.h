#pragma once

#include <QString>
#include <functional>

#include "analysis/search.h"
#include "app/window_services.h"

namespace arrange5 {

// Segment codes of another base than the current one: a segment-kind search is refused and
// the window offers to recompute them, as a question rather than a failure.
class SegmentRecoding {
  public:
    explicit SegmentRecoding(WindowServices services) : services_(std::move(services)) {}

    // True when the request may run: its codes agree, or the user had them recomputed.
    bool readyFor(HistoryStore& store, const SearchRequest& request, int base);
    // 按当前分段方式重算.
    void recodeNow(HistoryStore& store, int base);
    // A new segment base: rows coded under the old one are offered for recomputing.
    void baseChanged(HistoryStore& store, int base);

  private:
    bool codesAgree(const std::function<void()>& check, HistoryStore& store, int base);

    WindowServices services_;
};

}  // namespace arrange5
