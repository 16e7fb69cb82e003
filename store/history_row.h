#pragma once

#include <cstdint>
#include <vector>

#include "store/draw.h"

namespace arrange5 {

// One row of the reading cursor: the issue and the stored codes of its own draw.
struct HistoryRow {
    int32_t issue = 0;
    CodeVectors codes{};

    const CodeVector& digits() const { return codes[0]; }
};

using HistorySnapshot = std::vector<HistoryRow>;

}  // namespace arrange5
