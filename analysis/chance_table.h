#pragma once

#include <string>
#include <vector>

#include "analysis/chance.h"

namespace arrange5 {

// The comparison with chance as texts for a sheet, header row first: one row per outcome
// (结果, 出现次数, 百分比, 随机概率, 下限, 上限; shares as "12.345%"), a blank row, then the test
// (χ², 自由度, p, 结论). Percentages keep three decimals like the tally grid; p keeps its digits
// so the sheet can reuse it.
std::vector<std::vector<std::string>> chanceTable(const ChanceTest& test);

}  // namespace arrange5
