#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "store/draw.h"

namespace arrange5 {

// The columns of the trend chart come in groups ("zones"): the five positions (values: the
// digits 0..9), the six indicators of a draw, and the zones players look up beside them. Every
// group but 号码分布 holds at most one value per draw, so one set of rules gives the counts and
// omissions of a digit at a position and of any zone value alike; 号码分布 marks each digit the
// draw contains anywhere, so a draw may show several of its values.
enum class TrendGroup : int {
    Position1 = 0,
    Position5 = 4,
    Sum = 5,       // 和值, 0..45
    Span = 6,      // 跨度, largest − smallest digit, 0..9
    Big = 7,       // 大小比: digits 5..9, 0..5
    Odd = 8,       // 奇偶比: odd digits, 0..5
    Prime = 9,     // 质合比: digits 2, 3, 5, 7; 0 and 1 count as composite, 0..5
    Mod3 = 10,     // 012路比: how many digits leave remainder 0, 1, 2 on division by 3, "a:b:c"
    SumTail = 11,  // 和尾: the sum mod 10
    Form = 12,     // 形态: how the five digits repeat (全不同 … 五同)
    Repeat = 13,   // 重号: positions equal to the previous draw's, 0..5; none for the first draw
    Consecutive = 14,  // 连号: pairs (d, d + 1) both among the digits, 0..4
    Contains = 15,     // 号码分布: each digit the draw contains anywhere
    Front3Sum = 16,    // 排列三 (positions 1–3) 和值 0..27
    Front3Span = 17,   // 排列三跨度 0..9
    Front3Form = 18,   // 排列三形态: 组六, 组三, 豹子
    Back2Sum = 19,     // 后二 (positions 4–5) 和值 0..18
    Back2Span = 20,    // 后二跨度 0..9
    Pos1Big = 21,      // 大小 per position: 0 small (0–4), 1 big (5–9); Pos1Big + p − 1
    Pos1Odd = 26,      // 单双 per position: 0 even, 1 odd
    Pos1Road = 31,     // 012路 per position: the digit mod 3
};
inline constexpr int kTrendGroupCount = 36;
inline constexpr int kTrendPositionCount = 5;
inline constexpr int kTrendIndicatorCount = 6;  // Sum … Mod3
// The value of a group a draw does not have (重号 of the first stored draw).
inline constexpr uint8_t kNoTrendValue = 255;

constexpr TrendGroup trendGroup(int index) {
    return static_cast<TrendGroup>(index);
}
constexpr int groupIndex(TrendGroup group) {
    return static_cast<int>(group);
}
constexpr bool isPositionGroup(TrendGroup group) {
    return groupIndex(group) < kTrendPositionCount;
}

// The values a group can take, in ascending order ("a:b:c" lexicographically).
int trendValueCount(TrendGroup group);
// How a value is shown: the digit or number; "3:2" for the ratios; the form's name; 大/小, 单/双.
std::string trendValueLabel(TrendGroup group, int valueIndex);
// The group's name in the JSON ("sum", "front3_form", "pos2_road", …); the positions "1".."5".
std::string trendGroupKey(TrendGroup group);
// The group's caption ("和值", "排列三形态", "千位012路", …).
std::string trendGroupCaption(TrendGroup group);
// Whether the JSON gives a value by its label (a text) rather than its index (a number).
bool trendValueIsText(TrendGroup group);

// The value index of each group for one draw (kNoTrendValue for 重号 and 号码分布, which
// depend on more than the draw), and the digits a draw contains as bits 0..9.
using TrendValues = std::array<uint8_t, kTrendGroupCount>;
TrendValues trendValues(const Digits& draw);
uint8_t repeatCount(const Digits& draw, const Digits& previous);
uint16_t containedDigits(const Digits& draw);

// The exact chance of each value for one fair draw, counted over the 100,000 equally likely
// draws (重号 over the 100,000 draws that may follow a given one); the chances of a group
// other than 号码分布 add up to 1.
const std::vector<double>& trendChances(TrendGroup group);

}  // namespace arrange5
