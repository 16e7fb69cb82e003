#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/history_row.h"

namespace arrange5 {

// The columns of the trend chart come in groups: the five positions (values: the digits 0..9)
// and the six indicators of a draw. Every group holds exactly one value per draw, so one set of
// rules gives the counts and omissions of a digit at a position and of an indicator value alike.
enum class TrendGroup : int {
    Position1 = 0,
    Position5 = 4,
    Sum = 5,    // 和值, 0..45
    Span = 6,   // 跨度, largest − smallest digit, 0..9
    Big = 7,    // 大小比: digits 5..9, 0..5
    Odd = 8,    // 奇偶比: odd digits, 0..5
    Prime = 9,  // 质合比: digits 2, 3, 5, 7; 0 and 1 count as composite, 0..5
    Mod3 = 10,  // 012路比: how many digits leave remainder 0, 1, 2 on division by 3, "a:b:c"
};
inline constexpr int kTrendGroupCount = 11;
inline constexpr int kTrendPositionCount = 5;

// The values a group can take, in ascending order ("a:b:c" lexicographically).
int trendValueCount(TrendGroup group);
std::string trendValueLabel(TrendGroup group, int valueIndex);
// The indicator's name in the JSON ("sum", "span", …) and its caption ("和值", …).
std::string trendGroupKey(TrendGroup group);
std::string trendGroupCaption(TrendGroup group);

// The value index of each group for one draw.
using TrendValues = std::array<uint8_t, kTrendGroupCount>;
TrendValues trendValues(const Digits& draw);

// The exact chance of each value under fair draws, counted over the 100,000 equally likely
// draws; the probabilities of a group add up to 1.
const std::vector<double>& trendChances(TrendGroup group);

// The figures of one value of one group over the window.
struct TrendCell {
    int count = 0;        // draws of the window with this value
    double expected = 0;  // window × its chance
    double low = 0;       // 95 % Wilson interval of count / window
    double high = 1;
    int current = 0;  // draws after its last appearance; the window when none
    int max = 0;  // longest run without it, the runs before the first and after the last included
    double average = 0;   // (window − count) / (count + 1): mean length of the runs it cuts
    double pCurrent = 1;  // how often a fair draw leaves it out at least `current` draws
};

// The last `window` draws of a history, with each draw's values kept so that a chart can ask
// for any cell's omission, and each value's positions in the window for the figures.
class TrendTable {
  public:
    // `window` none: the whole history; larger than the history: the whole history.
    // Throws InputError for a window below 1 or an empty history.
    TrendTable(const HistorySnapshot& rows, std::optional<int> window);

    int window() const { return static_cast<int>(issues_.size()); }
    int32_t issue(int row) const { return issues_[row]; }
    const Digits& digits(int row) const { return digits_[row]; }
    int value(int row, TrendGroup group) const { return values_[row][static_cast<int>(group)]; }
    // Draws since the value last came, counting `row` itself (1 when it came in the draw
    // before); 0 on the row where it came; row + 1 when it has not come since the window began.
    int omission(int row, TrendGroup group, int valueIndex) const;

    TrendCell cell(TrendGroup group, int valueIndex) const;
    // G: the largest `current` of the 50 digit cells.
    int largestCurrent() const;

  private:
    const std::vector<int>& appearances(TrendGroup group, int valueIndex) const;

    std::vector<int32_t> issues_;
    std::vector<Digits> digits_;
    std::vector<TrendValues> values_;
    // Per group and value, the rows (ascending) where it came.
    std::array<std::vector<std::vector<int>>, kTrendGroupCount> appearances_;
};

// 0.9 ^ current.
double chanceOfDigitOmission(int current);
// The chance that fair draws leave at least one of the 50 digit cells out for the last
// `largest` draws: 1 − q⁵, q the chance that one position shows all ten digits in that many.
double chanceOfLargestOmission(int largest);

}  // namespace arrange5
