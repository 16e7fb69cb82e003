#pragma once

#include <array>
#include <cstdint>

#include "store/draw.h"

namespace arrange5 {

using ReferenceValues = std::array<int16_t, 5>;

// Everything a search reads from the window, gathered once.
struct SearchSettings {
    CodeKind kind = CodeKind::Number;  // 搜索类型选择
    bool freePositions = true;         // 自由位 (true) or 固定位
    bool previousIssue = true;         // 上期 (true) or 前期 with lag N
    int lagN = 2;                      // N of 前期, 1..9
};

// How many rows back the matched draw lies: 1 in 上期, N in 前期.
inline int lagDistance(const SearchSettings& s) {
    return s.previousIssue ? 1 : s.lagN;
}

}  // namespace arrange5
