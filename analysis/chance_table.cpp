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

ComparisonWords comparisonWords(const AssessedSearch& assessed) {
    return {assessed.setting.commandLine,
            "命中 " + std::to_string(assessed.result.hits.size()) + " 期，统计 " +
                std::to_string(assessed.chance.total) + " 个值",
            assessed.pattern.verdict, assessed.chance.verdict};
}

std::vector<std::vector<std::string>> comparisonSheet(const AssessedSearch& assessed) {
    const ComparisonWords words = comparisonWords(assessed);
    std::vector<std::vector<std::string>> cells = {{"设置", words.setting},
                                                   {"检索", words.counts},
                                                   {"与其余各期比较", words.rest},
                                                   {"与均匀随机比较", words.uniform},
                                                   {}};
    for (auto& row : chanceTable(assessed.chance)) cells.push_back(std::move(row));

    const PatternTest& rest = assessed.pattern;
    const auto orNone = [](const std::optional<double>& v) {
        return v ? numberText(*v) : std::string("无");
    };
    cells.push_back({});
    cells.push_back({"与其余各期比较", patternMethodText(rest)});
    cells.push_back({"χ²", orNone(rest.chi2)});
    cells.push_back({"自由度", rest.chi2 ? std::to_string(rest.df) : "无"});
    cells.push_back({"p", orNone(rest.p)});
    cells.push_back({"本研究的第几种设置", rest.rank > 0 ? std::to_string(rest.rank) : "未计入"});
    cells.push_back({"可靠所须 p 小于", orNone(rest.level)});
    cells.push_back({"校正后 p", orNone(rest.pAdjusted)});
    cells.push_back({"结论", rest.verdict});
    return cells;
}

}  // namespace arrange5
