#include "analysis/chance_table.h"

#include <charconv>

namespace arrange5 {

namespace {

// A fraction as a percentage with three decimals, "9.885%", independent of the locale.
std::string percentText(double fraction) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, fraction * 100.0,
                                         std::chars_format::fixed, 3);
    if (ec != std::errc()) return {};
    return std::string(buffer, end) + "%";
}

// Six significant digits; a very small p keeps its exponent and stays text in the sheet.
std::string numberText(double value) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    if (ec != std::errc()) return {};
    return std::string(buffer, end);
}

}  // namespace

std::vector<std::vector<std::string>> chanceTable(const ChanceTest& test) {
    std::vector<std::vector<std::string>> cells;
    cells.push_back({"结果", "出现次数", "百分比", "随机概率", "95%区间下限", "95%区间上限"});
    for (const auto& row : test.rows) {
        cells.push_back({row.outcome, std::to_string(row.count), row.percent,
                         percentText(row.chance), percentText(row.interval.low),
                         percentText(row.interval.high)});
    }
    cells.push_back({});
    cells.push_back({"总数", std::to_string(test.total)});
    cells.push_back({"χ²", numberText(test.chi2)});
    cells.push_back({"自由度", std::to_string(test.df)});
    cells.push_back({"p", test.p ? numberText(*test.p) : "无"});
    cells.push_back({"结论", test.verdict});
    return cells;
}

}  // namespace arrange5
