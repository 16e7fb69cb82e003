#include "analysis/trend_zones.h"

#include <algorithm>
#include <functional>

namespace arrange5 {
namespace {

constexpr int kFairDraws = 100000;

const std::array<const char*, 7> kFormNames = {"全不同", "一对", "两对", "三条",
                                               "三带二", "四条", "五同"};
const std::array<const char*, 3> kFront3FormNames = {"组六", "组三", "豹子"};
const std::array<const char*, kTrendPositionCount> kPositionNames = {"万位", "千位", "百位", "十位",
                                                                     "个位"};

// The 21 splits "a:b:c" of five digits into the remainders 0, 1, 2, in label order.
int mod3Index(int zeros, int ones) {
    int index = 0;
    for (int a = 0; a < zeros; ++a) index += 6 - a;
    return index + ones;
}

// The per-position zones: which kind (0 大小, 1 单双, 2 012路) and which position (0..4).
bool isPerPosition(TrendGroup group) {
    return groupIndex(group) >= groupIndex(TrendGroup::Pos1Big);
}
int perPositionKind(TrendGroup group) {
    return (groupIndex(group) - groupIndex(TrendGroup::Pos1Big)) / kTrendPositionCount;
}
int perPositionPlace(TrendGroup group) {
    return (groupIndex(group) - groupIndex(TrendGroup::Pos1Big)) % kTrendPositionCount;
}

// The form of a draw by the sizes of its groups of equal digits, largest first.
int formIndex(const Digits& draw) {
    std::array<int, 10> seen{};
    for (const int d : draw) ++seen[d];
    std::sort(seen.begin(), seen.end(), std::greater<>());
    switch (seen[0]) {
        case 1:
            return 0;  // 全不同
        case 2:
            return seen[1] == 2 ? 2 : 1;  // 两对 / 一对
        case 3:
            return seen[1] == 2 ? 4 : 3;  // 三带二 / 三条
        case 4:
            return 5;
        default:
            return 6;
    }
}

int spanOf(const int16_t* first, const int16_t* last) {
    const auto [low, high] = std::minmax_element(first, last);
    return *high - *low;
}

}  // namespace

int trendValueCount(TrendGroup group) {
    if (isPerPosition(group)) return perPositionKind(group) == 2 ? 3 : 2;
    switch (group) {
        case TrendGroup::Sum:
            return 46;
        case TrendGroup::Big:
        case TrendGroup::Odd:
        case TrendGroup::Prime:
        case TrendGroup::Repeat:
            return 6;
        case TrendGroup::Mod3:
            return 21;
        case TrendGroup::Form:
            return static_cast<int>(kFormNames.size());
        case TrendGroup::Consecutive:
            return 5;
        case TrendGroup::Front3Sum:
            return 28;
        case TrendGroup::Front3Form:
            return static_cast<int>(kFront3FormNames.size());
        case TrendGroup::Back2Sum:
            return 19;
        default:
            return 10;  // the positions, 跨度, 和尾, 号码分布 and the other spans
    }
}

std::string trendValueLabel(TrendGroup group, int valueIndex) {
    if (isPerPosition(group)) {
        switch (perPositionKind(group)) {
            case 0:
                return valueIndex == 1 ? "大" : "小";
            case 1:
                return valueIndex == 1 ? "单" : "双";
            default:
                return std::to_string(valueIndex);
        }
    }
    switch (group) {
        case TrendGroup::Big:
        case TrendGroup::Odd:
        case TrendGroup::Prime:
            return std::to_string(valueIndex) + ":" + std::to_string(5 - valueIndex);
        case TrendGroup::Form:
            return kFormNames[valueIndex];
        case TrendGroup::Front3Form:
            return kFront3FormNames[valueIndex];
        case TrendGroup::Mod3:
            for (int a = 0; a <= 5; ++a) {
                for (int b = 0; a + b <= 5; ++b) {
                    if (mod3Index(a, b) == valueIndex) {
                        return std::to_string(a) + ":" + std::to_string(b) + ":" +
                               std::to_string(5 - a - b);
                    }
                }
            }
            return {};
        default:
            return std::to_string(valueIndex);
    }
}

bool trendValueIsText(TrendGroup group) {
    return group == TrendGroup::Mod3 || group == TrendGroup::Form ||
           group == TrendGroup::Front3Form;
}

std::string trendGroupKey(TrendGroup group) {
    static const std::array<const char*, groupIndex(TrendGroup::Pos1Big)> keys = {
        "1",           "2",         "3",           "4",        "5",          "sum",
        "span",        "big",       "odd",         "prime",    "mod3",       "sum_tail",
        "form",        "repeat",    "consecutive", "contains", "front3_sum", "front3_span",
        "front3_form", "back2_sum", "back2_span"};
    if (!isPerPosition(group)) return keys[groupIndex(group)];
    static const std::array<const char*, 3> kinds = {"_big", "_odd", "_road"};
    return "pos" + std::to_string(perPositionPlace(group) + 1) + kinds[perPositionKind(group)];
}

std::string trendGroupCaption(TrendGroup group) {
    static const std::array<const char*, groupIndex(TrendGroup::Pos1Big)> captions = {
        "万位",   "千位",     "百位",       "十位",       "个位",       "和值",     "跨度",
        "大小比", "奇偶比",   "质合比",     "012路比",    "和尾",       "形态",     "重号",
        "连号",   "号码分布", "排列三和值", "排列三跨度", "排列三形态", "后二和值", "后二跨度"};
    if (!isPerPosition(group)) return captions[groupIndex(group)];
    static const std::array<const char*, 3> kinds = {"大小", "单双", "012路"};
    return std::string(kPositionNames[perPositionPlace(group)]) + kinds[perPositionKind(group)];
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
        values[groupIndex(TrendGroup::Pos1Big) + p] = static_cast<uint8_t>(d >= 5);
        values[groupIndex(TrendGroup::Pos1Odd) + p] = static_cast<uint8_t>(d % 2);
        values[groupIndex(TrendGroup::Pos1Road) + p] = static_cast<uint8_t>(d % 3);
    }
    const uint16_t contained = containedDigits(draw);
    int pairs = 0;
    for (int d = 0; d < 9; ++d) pairs += (contained >> d & 3) == 3;
    const int front3Sum = draw[0] + draw[1] + draw[2];
    const int front3Distinct =
        1 + (draw[1] != draw[0]) + (draw[2] != draw[0] && draw[2] != draw[1]);

    auto set = [&values](TrendGroup group, int value) {
        values[groupIndex(group)] = static_cast<uint8_t>(value);
    };
    set(TrendGroup::Sum, sum);
    set(TrendGroup::Span, spanOf(draw.data(), draw.data() + 5));
    set(TrendGroup::Big, big);
    set(TrendGroup::Odd, odd);
    set(TrendGroup::Prime, prime);
    set(TrendGroup::Mod3, mod3Index(remainders[0], remainders[1]));
    set(TrendGroup::SumTail, sum % 10);
    set(TrendGroup::Form, formIndex(draw));
    set(TrendGroup::Repeat, kNoTrendValue);
    set(TrendGroup::Consecutive, pairs);
    set(TrendGroup::Contains, kNoTrendValue);
    set(TrendGroup::Front3Sum, front3Sum);
    set(TrendGroup::Front3Span, spanOf(draw.data(), draw.data() + 3));
    set(TrendGroup::Front3Form, 3 - front3Distinct);  // 3 distinct 组六, 2 组三, 1 豹子
    set(TrendGroup::Back2Sum, draw[3] + draw[4]);
    set(TrendGroup::Back2Span, spanOf(draw.data() + 3, draw.data() + 5));
    return values;
}

uint8_t repeatCount(const Digits& draw, const Digits& previous) {
    uint8_t same = 0;
    for (int p = 0; p < kTrendPositionCount; ++p) same += draw[p] == previous[p];
    return same;
}

uint16_t containedDigits(const Digits& draw) {
    uint16_t bits = 0;
    for (const int d : draw) bits |= static_cast<uint16_t>(1u << d);
    return bits;
}

const std::vector<double>& trendChances(TrendGroup group) {
    // Every draw from 00000 to 99999 is equally likely: count the values over all of them.
    // 重号 compares with the draw before; whichever that was, shifting every position's digit
    // by the same amount maps the following draws onto themselves, so 00000 stands for all.
    static const auto chances = [] {
        std::array<std::vector<double>, kTrendGroupCount> table;
        for (int g = 0; g < kTrendGroupCount; ++g) {
            table[g].assign(trendValueCount(trendGroup(g)), 0.0);
        }
        const Digits zeros{};
        for (int n = 0; n < kFairDraws; ++n) {
            Digits draw{};
            for (int p = kTrendPositionCount - 1, rest = n; p >= 0; --p, rest /= 10) {
                draw[p] = static_cast<int16_t>(rest % 10);
            }
            const TrendValues values = trendValues(draw);
            for (int g = 0; g < kTrendGroupCount; ++g) {
                if (values[g] != kNoTrendValue) table[g][values[g]] += 1.0;
            }
            table[groupIndex(TrendGroup::Repeat)][repeatCount(draw, zeros)] += 1.0;
            const uint16_t contained = containedDigits(draw);
            for (int d = 0; d < 10; ++d) {
                if (contained >> d & 1) table[groupIndex(TrendGroup::Contains)][d] += 1.0;
            }
        }
        for (auto& values : table) {
            for (double& share : values) share /= kFairDraws;
        }
        return table;
    }();
    return chances[groupIndex(group)];
}

}  // namespace arrange5
