#include "analysis/trend.h"

#include <algorithm>
#include <boost/math/special_functions/binomial.hpp>
#include <cmath>

#include "analysis/chance.h"
#include "store/errors.h"
#include "store/row_check.h"

namespace arrange5 {
namespace {

constexpr double kDigitAbsence = 0.9;  // a digit stays away from one position in a fair draw

}  // namespace

TrendTable::TrendTable(const HistorySnapshot& rows, std::optional<int> window) {
    if (window && *window < 1) {
        throw InputError("走势图的期数须是正整数，或者“全部”");
    }
    if (rows.empty()) throw InputError("没有历史号码，无法画走势图");
    // A stored digit outside 0..9 would index past every table below: such a history is
    // refused, naming the row, instead of being charted with a hole in it.
    requireSoundRows(rows, "画走势图");
    const int size = static_cast<int>(rows.size());
    window_ = window ? std::min(*window, size) : size;
    first_ = size - window_;

    issues_.reserve(size);
    digits_.reserve(size);
    values_.reserve(size);
    contained_.reserve(size);
    for (int g = 0; g < kTrendGroupCount; ++g) {
        appearances_[g].resize(trendValueCount(trendGroup(g)));
    }
    const int repeat = groupIndex(TrendGroup::Repeat);
    const int contains = groupIndex(TrendGroup::Contains);
    for (int i = 0; i < size; ++i) {
        issues_.push_back(rows[i].issue);
        digits_.push_back(rows[i].digits());
        TrendValues values = trendValues(rows[i].digits());
        // The first stored draw has no draw before it, hence no 重号.
        if (i > 0) values[repeat] = repeatCount(rows[i].digits(), rows[i - 1].digits());
        const uint16_t contained = containedDigits(rows[i].digits());
        for (int g = 0; g < kTrendGroupCount; ++g) {
            if (values[g] != kNoTrendValue) appearances_[g][values[g]].push_back(i);
        }
        for (int d = 0; d < 10; ++d) {
            if (contained >> d & 1) appearances_[contains][d].push_back(i);
        }
        values_.push_back(values);
        contained_.push_back(contained);
    }
}

const std::vector<int>& TrendTable::appearances(TrendGroup group, int valueIndex) const {
    return appearances_[groupIndex(group)][valueIndex];
}

bool TrendTable::shows(int row, TrendGroup group, int valueIndex) const {
    if (group == TrendGroup::Contains) return contained_[first_ + row] >> valueIndex & 1;
    return value(row, group) == valueIndex;
}

int TrendTable::omission(int row, TrendGroup group, int valueIndex) const {
    // The rows before the first stored draw count as none: "at the first draw, 1 when absent"
    // is then the same rule as every other row's.
    const int at = first_ + row;
    const std::vector<int>& rows = appearances(group, valueIndex);
    const auto after = std::upper_bound(rows.begin(), rows.end(), at);
    const int last = after == rows.begin() ? -1 : *(after - 1);
    return at - last;
}

TrendCell TrendTable::cell(TrendGroup group, int valueIndex) const {
    const std::vector<int>& rows = appearances(group, valueIndex);
    const int newest = static_cast<int>(issues_.size()) - 1;
    TrendCell cell;
    const auto inWindow = std::lower_bound(rows.begin(), rows.end(), first_);
    cell.count = static_cast<int>(rows.end() - inWindow);
    cell.chance = trendChances(group)[valueIndex];
    cell.expected = window_ * cell.chance;
    const Interval interval = wilsonInterval(cell.count, window_);
    cell.low = interval.low;
    cell.high = interval.high;
    cell.current = newest - (rows.empty() ? -1 : rows.back());
    // A row omission grows by one each draw until the value comes, so the largest among the
    // rows shown is on the row before one of its appearances in the window, or on the newest.
    int previous = inWindow == rows.begin() ? -1 : *(inWindow - 1);
    for (auto it = inWindow; it != rows.end(); ++it) {
        if (*it > first_) cell.max = std::max(cell.max, *it - 1 - previous);
        previous = *it;
    }
    cell.max = std::max(cell.max, cell.current);
    cell.average = static_cast<double>(window_ - cell.count) / (cell.count + 1);
    cell.pCurrent = std::pow(1.0 - cell.chance, cell.current);
    return cell;
}

int TrendTable::largestCurrent() const {
    int largest = 0;
    for (int p = 0; p < kTrendPositionCount; ++p) {
        for (int d = 0; d <= 9; ++d) {
            largest = std::max(largest, cell(trendGroup(p), d).current);
        }
    }
    return largest;
}

double chanceOfDigitOmission(int current) {
    return std::pow(kDigitAbsence, current);
}

double chanceOfLargestOmission(int largest) {
    // Inclusion–exclusion over the digits missing from the last `largest` draws of a position.
    double allTenSeen = 0.0;
    for (int j = 0; j <= 10; ++j) {
        const double term =
            boost::math::binomial_coefficient<double>(10, j) * std::pow(1.0 - j / 10.0, largest);
        allTenSeen += j % 2 == 0 ? term : -term;
    }
    allTenSeen = std::clamp(allTenSeen, 0.0, 1.0);
    return 1.0 - std::pow(allTenSeen, kTrendPositionCount);
}

}  // namespace arrange5
