#pragma once

#include <array>
#include <cstdint>

#include "store/draw.h"

namespace arrange5 {

// Where the reference values come from: the tabs 自动历史位, 手动输入号, 验证指定期.
enum class ReferenceSource { History = 0, Manual = 1, Verify = 2 };

using ReferenceValues = std::array<int16_t, 5>;

// Everything a search reads from the window, gathered once.
struct SearchSettings {
    CodeKind kind = CodeKind::Number;  // 搜索类型选择
    bool freePositions = true;         // 自由位 (true) or 固定位
    bool previousIssue = true;         // 上期 (true) or 前期 with lag N
    int lagN = 2;                      // N of 前期, 1..9
};

}  // namespace arrange5
