#pragma once

#include <string>
#include <vector>

#include "analysis/chance.h"
#include "analysis/search_form.h"

namespace arrange5 {

// The comparison with chance as texts for a sheet, header row first: one row per outcome
// (结果, 出现次数, 百分比, 随机概率, 下限, 上限; shares as "12.345%"), a blank row, then the test
// (χ², 自由度, p, 结论). Percentages keep three decimals like the tally grid; p keeps its digits
// so the sheet can reuse it.
std::vector<std::vector<std::string>> chanceTable(const ChanceTest& test);

// What a file or a picture of a search's comparison must say so that, passed on alone, it
// claims no more than the window does: the setting as the command line writes it, the test
// against the rest of the range with its correction for the study, and the line about
// uniform chance (which says it need not concern the pattern).
struct ComparisonWords {
    std::string setting;  // "arrange5-cli search --kind number …"
    std::string counts;   // "命中 1108 期，统计 1108 个值"
    std::string rest;     // the pattern test's verdict
    std::string uniform;  // the chance test's verdict
};
ComparisonWords comparisonWords(const AssessedSearch& assessed);

// The sheet 与随机比较 of Jieguo.xlsx: the words above, then chanceTable, then the test
// against the rest (method, χ², 自由度, p, the setting's place in the study, the level it must
// reach, the adjusted p, the verdict).
std::vector<std::vector<std::string>> comparisonSheet(const AssessedSearch& assessed);

}  // namespace arrange5
