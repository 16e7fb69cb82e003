#include "analysis/trend.h"

#include <algorithm>
#include <boost/math/special_functions/binomial.hpp>
#include <cmath>

#include "analysis/chance.h"
#include "store/errors.h"

namespace arrange5 {
namespace {

constexpr int kFairDraws = 100000;
constexpr double kDigitAbsence = 0.9;  // a digit stays away from one position in a fair draw

int groupIndex(TrendGroup group) {
    return static_cast<int>(group);
}

bool isPosition(TrendGroup group) {
    return groupIndex(group) < kTrendPositionCount;
}

// The 21 splits "a:b:c" of five digits into the remainders 0, 1, 2, in label order.
int mod3Index(int zeros, int ones) {
    int index = 0;
    for (int a = 0; a < zeros; ++a) index += 6 - a;
    return index + ones;
}

}  // namespace

int trendValueCount(TrendGroup group) {
    switch (group) {
        case TrendGroup::Sum:
            return 46;
        case TrendGroup::Span:
            return 10;
        case TrendGroup::Big:
        case TrendGroup::Odd:
        case TrendGroup::Prime:
            return 6;
        case TrendGroup::Mod3:
            return 21;
        default:
            return 10;
    }
}

std::string trendValueLabel(TrendGroup group, int valueIndex) {
    if (group != TrendGroup::Mod3) return std::to_string(valueIndex);
    for (int a = 0; a <= 5; ++a) {
        for (int b = 0; a + b <= 5; ++b) {
            if (mod3Index(a, b) == valueIndex) {
                return std::to_string(a) + ":" + std::to_string(b) + ":" +
                       std::to_string(5 - a - b);
            }
        }
    }
    return {};
}

std::string trendGroupKey(TrendGroup group) {
    static const std::array<const char*, kTrendGroupCount> keys = {
        "1", "2", "3", "4", "5", "sum", "span", "big", "odd", "prime", "mod3"};
    return keys[groupIndex(group)];
}

std::string trendGroupCaption(TrendGroup group) {
    static const std::array<const char*, kTrendGroupCount> captions = {
        "万位", "千位",   "百位",   "十位",   "个位",   "和值",
        "跨度", "大小比", "奇偶比", "质合比", "012路比"};
    return captions[groupIndex(group)];
}

TrendValues trendValues(const Digits& draw) {
    TrendValues values{};
    int sum = 0, big = 0, odd = 0, prime = 0;
    std::array<int, 3> remainders{};
    for (int p = 0; p < kTrendPositionCount; ++p) {
        const int d = draw[p];
        values[p] = static_cast<uint8_t>(d);
        sum += d;
        big += d >= 5;
        odd += d % 2;
        prime += d == 2 || d == 3 || d == 5 || d == 7;
        ++remainders[d % 3];
    }
    const auto [low, high] = std::minmax_element(draw.begin(), draw.end());
    values[groupIndex(TrendGroup::Sum)] = static_cast<uint8_t>(sum);
    values[groupIndex(TrendGroup::Span)] = static_cast<uint8_t>(*high - *low);
    values[groupIndex(TrendGroup::Big)] = static_cast<uint8_t>(big);
    values[groupIndex(TrendGroup::Odd)] = static_cast<uint8_t>(odd);
    values[groupIndex(TrendGroup::Prime)] = static_cast<uint8_t>(prime);
    values[groupIndex(TrendGroup::Mod3)] =
        static_cast<uint8_t>(mod3Index(remainders[0], remainders[1]));
    return values;
}

const std::vector<double>& trendChances(TrendGroup group) {
    // Every draw from 00000 to 99999 is equally likely: count the values over all of them.
    static const auto chances = [] {
        std::array<std::vector<double>, kTrendGroupCount> table;
        for (int g = 0; g < kTrendGroupCount; ++g) {
            table[g].assign(trendValueCount(static_cast<TrendGroup>(g)), 0.0);
        }
        for (int n = 0; n < kFairDraws; ++n) {
            Digits draw{};
            for (int p = kTrendPositionCount - 1, rest = n; p >= 0; --p, rest /= 10) {
                draw[p] = static_cast<int16_t>(rest % 10);
            }
            const TrendValues values = trendValues(draw);
            for (int g = 0; g < kTrendGroupCount; ++g) table[g][values[g]] += 1.0;
        }
        for (auto& group : table) {
            for (double& share : group) share /= kFairDraws;
        }
        return table;
    }();
    return chances[groupIndex(group)];
}

TrendTable::TrendTable(const HistorySnapshot& rows, std::optional<int> window) {
    if (window && *window < 1) {
        throw InputError("走势图的期数须是正整数，或者“全部”");
    }
    if (rows.empty()) throw InputError("没有历史号码，无法画走势图");
    const size_t size = window ? std::min<size_t>(*window, rows.size()) : rows.size();
    const size_t first = rows.size() - size;
    issues_.reserve(size);
    digits_.reserve(size);
    values_.reserve(size);
    for (int g = 0; g < kTrendGroupCount; ++g) {
        appearances_[g].resize(trendValueCount(static_cast<TrendGroup>(g)));
    }
    for (size_t i = first; i < rows.size(); ++i) {
        const int row = static_cast<int>(i - first);
        issues_.push_back(rows[i].issue);
        digits_.push_back(rows[i].digits());
        values_.push_back(trendValues(rows[i].digits()));
        for (int g = 0; g < kTrendGroupCount; ++g)
            appearances_[g][values_.back()[g]].push_back(row);
    }
}

const std::vector<int>& TrendTable::appearances(TrendGroup group, int valueIndex) const {
    return appearances_[groupIndex(group)][valueIndex];
}

int TrendTable::omission(int row, TrendGroup group, int valueIndex) const {
    const std::vector<int>& rows = appearances(group, valueIndex);
    const auto after = std::upper_bound(rows.begin(), rows.end(), row);
    if (after == rows.begin()) return row + 1;
    return row - *(after - 1);
}

TrendCell TrendTable::cell(TrendGroup group, int valueIndex) const {
    const std::vector<int>& rows = appearances(group, valueIndex);
    const int w = window();
    TrendCell cell;
    cell.count = static_cast<int>(rows.size());
    cell.expected = w * trendChances(group)[valueIndex];
    const Interval interval = wilsonInterval(cell.count, w);
    cell.low = interval.low;
    cell.high = interval.high;
    cell.current = rows.empty() ? w : w - 1 - rows.back();
    int previous = -1;  // the row before the window
    for (const int row : rows) {
        cell.max = std::max(cell.max, row - previous - 1);
        previous = row;
    }
    cell.max = std::max(cell.max, cell.current);
    cell.average = static_cast<double>(w - cell.count) / (cell.count + 1);
    if (isPosition(group)) cell.pCurrent = chanceOfDigitOmission(cell.current);
    return cell;
}

int TrendTable::largestCurrent() const {
    int largest = 0;
    for (int p = 0; p < kTrendPositionCount; ++p) {
        for (int d = 0; d < 10; ++d) {
            largest = std::max(largest, cell(static_cast<TrendGroup>(p), d).current);
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
