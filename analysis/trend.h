#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/trend_zones.h"
#include "store/history_row.h"

namespace arrange5 {

// The figures of one value of one group over the rows shown.
struct TrendCell {
    int count = 0;        // rows shown that show it
    double chance = 0;    // its exact chance for one fair draw
    double expected = 0;  // rows shown × chance
    double low = 0;       // 95 % Wilson interval of count / rows shown
    double high = 1;
    int current = 0;      // its row omission at the newest draw: the same for every window
    int max = 0;          // the largest row omission among the rows shown
    double average = 0;   // (rows shown − count) / (count + 1): mean length of the runs it cuts
    double pCurrent = 1;  // (1 − chance) ^ current: how often a fair draw stays away that long
};

// The whole stored history with each draw's values, and the window: the last W draws, which
// the chart shows and its counts cover. A player reads 遗漏 as "draws since it last came", so a
// cell's omission is counted over the whole history, whatever part of it is shown.
class TrendTable {
  public:
    // `window` none, or larger than the history: the whole history. Throws InputError for a
    // window below 1 or an empty history, StoreError naming the issue of a stored row whose
    // digit is outside 0..9 (such a digit is never used as an index).
    TrendTable(const HistorySnapshot& rows, std::optional<int> window);

    // Rows are counted within the window: 0 is its oldest draw, window() − 1 the newest.
    int window() const { return window_; }
    int32_t issue(int row) const { return issues_[first_ + row]; }
    const Digits& digits(int row) const { return digits_[first_ + row]; }
    // The value of a group on a row; kNoTrendValue when the row has none (重号 of the first
    // stored draw; 号码分布, whose values are asked one by one with shows()).
    int value(int row, TrendGroup group) const { return values_[first_ + row][groupIndex(group)]; }
    bool shows(int row, TrendGroup group, int valueIndex) const;
    // The row omission: 0 where the value came, else 1 + its omission at the draw before; 1 at
    // the first stored draw when that does not show it. Rows before the window count.
    int omission(int row, TrendGroup group, int valueIndex) const;

    TrendCell cell(TrendGroup group, int valueIndex) const;
    // G: the largest `current` of the 50 digit cells.
    int largestCurrent() const;

  private:
    const std::vector<int>& appearances(TrendGroup group, int valueIndex) const;

    int first_ = 0;  // the window's first row in the history
    int window_ = 0;
    std::vector<int32_t> issues_;
    std::vector<Digits> digits_;
    std::vector<TrendValues> values_;
    std::vector<uint16_t> contained_;  // per draw, the digits it contains as bits
    // Per group and value, the history's rows (ascending) that show it.
    std::array<std::vector<std::vector<int>>, kTrendGroupCount> appearances_;
};

// 0.9 ^ current.
double chanceOfDigitOmission(int current);
// The chance that fair draws leave at least one of the 50 digit cells out for the last
// `largest` draws: 1 − q⁵, q the chance that one position shows all ten digits in that many.
double chanceOfLargestOmission(int largest);

}  // namespace arrange5
