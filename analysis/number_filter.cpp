#include "analysis/number_filter.h"

#include <algorithm>
#include <bit>
#include <sstream>

#include "store/errors.h"

namespace arrange5 {

int gameDigits(Game game) {
    return game == Game::P5 ? 5 : 3;
}

int gameNumbers(Game game) {
    return game == Game::P5 ? 100000 : 1000;
}

const char* gameKey(Game game) {
    return game == Game::P5 ? "p5" : "p3";
}

const char* gameCaption(Game game) {
    return game == Game::P5 ? "排列五" : "排列三";
}

Game parseGame(const std::string& key) {
    if (key == "p5") return Game::P5;
    if (key == "p3") return Game::P3;
    throw InputError("--game 只能是 p5（排列五）或 p3（排列三），而不是“" + key + "”");
}

const std::vector<std::string>& formNames(Game game) {
    // Ordered by how the digits repeat: all different first, all equal last.
    static const std::vector<std::string> five = {"全不同", "一对", "两对", "三条",
                                                  "三带二", "四条", "五同"};
    static const std::vector<std::string> three = {"组六", "组三", "豹子"};
    return game == Game::P5 ? five : three;
}

int formOf(const int* digits, int count) {
    int seen[10] = {};
    for (int i = 0; i < count; ++i) ++seen[digits[i]];
    int largest = 0;
    int pairs = 0;
    for (int n : seen) {
        largest = std::max(largest, n);
        if (n == 2) ++pairs;
    }
    if (count == 3) return largest - 1;  // 组六, 组三, 豹子
    switch (largest) {
        case 1:
            return 0;
        case 2:
            return pairs == 1 ? 1 : 2;
        case 3:
            return pairs == 1 ? 4 : 3;
        case 4:
            return 5;
        default:
            return 6;
    }
}

namespace {

struct ConditionRule {
    const char* name;
    ConditionKind kind;
};

// The order conditions are listed, checked and named in the study.
constexpr ConditionRule kRules[] = {
    {"pos1", ConditionKind::Position}, {"pos2", ConditionKind::Position},
    {"pos3", ConditionKind::Position}, {"pos4", ConditionKind::Position},
    {"pos5", ConditionKind::Position}, {"must", ConditionKind::Must},
    {"kill", ConditionKind::Kill},     {"sum", ConditionKind::Sum},
    {"span", ConditionKind::Span},     {"big", ConditionKind::Big},
    {"odd", ConditionKind::Odd},       {"prime", ConditionKind::Prime},
    {"road", ConditionKind::Road},     {"form", ConditionKind::Form},
    {"repeat", ConditionKind::Repeat}, {"consecutive", ConditionKind::Consecutive},
};

std::string option(const std::string& name) {
    return "--" + name;
}

unsigned parseDigitSet(const std::string& name, const std::string& text) {
    if (text.empty()) throw InputError(option(name) + " 需要至少一个数字，例如 0369");
    unsigned set = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            throw InputError(option(name) + " 只能由数字 0 到 9 组成，而不是“" + text + "”");
        }
        set |= 1u << (c - '0');
    }
    return set;
}

std::string digitSetText(unsigned set) {
    std::string out;
    for (int d = 0; d < 10; ++d) {
        if (set & (1u << d)) out += static_cast<char>('0' + d);
    }
    return out;
}

int parseCount(const std::string& name, const std::string& text) {
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw InputError(option(name) + " 需要不小于 0 的整数，而不是“" + text + "”");
    }
    return std::stoi(text);
}

// The largest value a range condition can take in the game.
int rangeMaximum(ConditionKind kind, int digits) {
    switch (kind) {
        case ConditionKind::Sum:
            return 9 * digits;
        case ConditionKind::Span:
            return 9;
        case ConditionKind::Consecutive:
            return digits - 1;
        default:  // Big, Odd, Prime, Repeat: how many of the digits
            return digits;
    }
}

void parseRange(FilterCondition& c, const std::string& text, Game game) {
    const auto colon = text.find(':');
    const std::string low = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string high = colon == std::string::npos ? text : text.substr(colon + 1);
    const auto bound = [&](const std::string& part) {
        if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), [](char ch) {
                return ch >= '0' && ch <= '9';
            })) {
            throw InputError(option(c.name) +
                             " 需要“起:止”形式的范围（两个不小于 0 的整数），而不是“" + text + "”");
        }
        return std::stoi(part);
    };
    c.low = bound(low);
    c.high = bound(high);
    if (c.low > c.high) {
        throw InputError(option(c.name) + " 的范围 " + text + " 起点大于终点");
    }
    const int most = rangeMaximum(c.kind, gameDigits(game));
    if (c.high > most) {
        throw InputError(option(c.name) + " 的范围 " + text + " 超出" + gameCaption(game) +
                         "可能的值 0 到 " + std::to_string(most));
    }
    c.value = std::to_string(c.low) + ":" + std::to_string(c.high);
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> parts;
    std::string current;
    const auto flush = [&] {
        parts.push_back(current);
        current.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',') {
            flush();
        } else if (text.compare(i, 3, "，") == 0) {  // the full-width comma a Chinese IME types
            flush();
            i += 2;
        } else if (text[i] != ' ') {
            current += text[i];
        }
    }
    flush();
    return parts;
}

void parseRoads(FilterCondition& c, const std::string& text, Game game) {
    const int digits = gameDigits(game);
    for (const std::string& part : splitList(text)) {
        int abc[3] = {};
        std::istringstream in(part);
        char colon1 = 0;
        char colon2 = 0;
        if (!(in >> abc[0] >> colon1 >> abc[1] >> colon2 >> abc[2]) || colon1 != ':' ||
            colon2 != ':' || in.peek() != EOF || abc[0] < 0 || abc[1] < 0 || abc[2] < 0) {
            throw InputError(option(c.name) +
                             " 需要“a:b:c”（除以 3 余 0、1、2 的数字各几个），而不是“" + part +
                             "”");
        }
        if (abc[0] + abc[1] + abc[2] != digits) {
            throw InputError(option(c.name) + " 的 " + part + " 三个数之和应为 " +
                             std::to_string(digits) + "（" + gameCaption(game) + "的数字个数）");
        }
        c.roads.push_back(abc[0] * 36 + abc[1] * 6 + abc[2]);
    }
    std::sort(c.roads.begin(), c.roads.end());
    c.roads.erase(std::unique(c.roads.begin(), c.roads.end()), c.roads.end());
    // Descending a, then b: "5:0:0" first, as the trend chart's 012路比 reads best.
    std::string out;
    for (auto it = c.roads.rbegin(); it != c.roads.rend(); ++it) {
        if (!out.empty()) out += ",";
        out += std::to_string(*it / 36) + ":" + std::to_string(*it / 6 % 6) + ":" +
               std::to_string(*it % 6);
    }
    c.value = out;
}

void parseForms(FilterCondition& c, const std::string& text, Game game) {
    const auto& names = formNames(game);
    for (const std::string& part : splitList(text)) {
        const auto at = std::find(names.begin(), names.end(), part);
        if (at == names.end()) {
            std::string known;
            for (const auto& n : names) known += (known.empty() ? "" : "、") + n;
            throw InputError(option(c.name) + " 的“" + part + "”不是" + gameCaption(game) +
                             "的形态（" + known + "）");
        }
        c.forms |= 1u << (at - names.begin());
    }
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (c.forms & (1u << i)) out += (out.empty() ? "" : ",") + names[i];
    }
    c.value = out;
}

}  // namespace

bool NumberFilter::needsPrevious() const {
    return std::any_of(conditions.begin(), conditions.end(),
                       [](const FilterCondition& c) { return c.kind == ConditionKind::Repeat; });
}

NumberFilter parseFilter(const std::string& game, const std::vector<ConditionInput>& inputs) {
    NumberFilter filter;
    filter.game = parseGame(game);
    const int digits = gameDigits(filter.game);
    const ConditionInput* mustCount = nullptr;
    for (const ConditionInput& in : inputs) {
        if (in.name == "must-count") mustCount = &in;
    }
    for (const ConditionRule& rule : kRules) {
        const auto given =
            std::find_if(inputs.begin(), inputs.end(),
                         [&](const ConditionInput& in) { return in.name == rule.name; });
        if (given == inputs.end()) continue;
        FilterCondition c;
        c.kind = rule.kind;
        c.name = rule.name;
        switch (rule.kind) {
            case ConditionKind::Position:
                c.position = rule.name[3] - '1';
                if (c.position >= digits) {
                    throw InputError(option(c.name) + " 不适用于" + gameCaption(filter.game) +
                                     "（只有 " + std::to_string(digits) + " 位）");
                }
                [[fallthrough]];
            case ConditionKind::Kill:
                c.digitSet = parseDigitSet(c.name, given->value);
                c.value = digitSetText(c.digitSet);
                break;
            case ConditionKind::Must: {
                c.digitSet = parseDigitSet(c.name, given->value);
                c.value = digitSetText(c.digitSet);
                const int size = std::popcount(c.digitSet);
                c.mustCount = size;
                if (mustCount) {
                    c.mustCount = parseCount("must-count", mustCount->value);
                    if (c.mustCount < 1 || c.mustCount > std::min(size, digits)) {
                        throw InputError("--must-count 应在 1 到 " +
                                         std::to_string(std::min(size, digits)) + " 之间（--must " +
                                         c.value + " 的数字个数，最多 " + std::to_string(digits) +
                                         "）");
                    }
                } else if (size > digits) {
                    throw InputError("--must " + c.value + " 有 " + std::to_string(size) +
                                     " 个数字，" + gameCaption(filter.game) +
                                     "的号码不可能全部含有；请用 --must-count");
                }
                break;
            }
            case ConditionKind::Road:
                parseRoads(c, given->value, filter.game);
                break;
            case ConditionKind::Form:
                parseForms(c, given->value, filter.game);
                break;
            default:
                parseRange(c, given->value, filter.game);
                break;
        }
        filter.conditions.push_back(std::move(c));
    }
    if (mustCount && std::none_of(inputs.begin(), inputs.end(),
                                  [](const ConditionInput& in) { return in.name == "must"; })) {
        throw InputError("--must-count 属于 --must：请同时给出 --must 的数字");
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (inputs[j].name == inputs[i].name) {
                throw InputError(option(inputs[i].name) + " 只能给一次");
            }
        }
    }
    for (const ConditionInput& in : inputs) {
        const bool known = in.name == "must-count" ||
                           std::any_of(std::begin(kRules), std::end(kRules),
                                       [&](const ConditionRule& r) { return in.name == r.name; });
        if (!known) throw InputError("没有 " + option(in.name) + " 这个条件");
    }
    return filter;
}

bool passes(const FilterCondition& c, const int* d, int count, const int* previous) {
    const auto inRange = [&c](int v) { return v >= c.low && v <= c.high; };
    unsigned set = 0;
    for (int i = 0; i < count; ++i) set |= 1u << d[i];
    switch (c.kind) {
        case ConditionKind::Position:
            return (c.digitSet >> d[c.position]) & 1u;
        case ConditionKind::Must:
            return std::popcount(set & c.digitSet) >= c.mustCount;
        case ConditionKind::Kill:
            return (set & c.digitSet) == 0;
        case ConditionKind::Sum: {
            int sum = 0;
            for (int i = 0; i < count; ++i) sum += d[i];
            return inRange(sum);
        }
        case ConditionKind::Span:
            return inRange(*std::max_element(d, d + count) - *std::min_element(d, d + count));
        case ConditionKind::Big:
            return inRange(
                static_cast<int>(std::count_if(d, d + count, [](int x) { return x >= 5; })));
        case ConditionKind::Odd:
            return inRange(
                static_cast<int>(std::count_if(d, d + count, [](int x) { return x % 2; })));
        case ConditionKind::Prime:
            return inRange(static_cast<int>(std::count_if(
                d, d + count, [](int x) { return x == 2 || x == 3 || x == 5 || x == 7; })));
        case ConditionKind::Road: {
            int r[3] = {};
            for (int i = 0; i < count; ++i) ++r[d[i] % 3];
            return std::binary_search(c.roads.begin(), c.roads.end(), r[0] * 36 + r[1] * 6 + r[2]);
        }
        case ConditionKind::Form:
            return (c.forms >> formOf(d, count)) & 1u;
        case ConditionKind::Repeat: {
            int same = 0;
            for (int i = 0; i < count; ++i) same += d[i] == previous[i];
            return inRange(same);
        }
        case ConditionKind::Consecutive:
            // Pairs d, d + 1 among the distinct digits; 9 and 0 are no pair.
            return inRange(std::popcount(set & (set >> 1)));
    }
    return false;
}

void digitsOf(int number, int count, int* out) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = number % 10;
        number /= 10;
    }
}

std::string numberText(int number, Game game) {
    std::string text(static_cast<std::size_t>(gameDigits(game)), '0');
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        *it = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return text;
}

FilterResult runFilter(const NumberFilter& filter, const HistorySnapshot& rows) {
    FilterResult result;
    result.game = filter.game;
    const int count = gameDigits(filter.game);
    const int total = gameNumbers(filter.game);
    int previous[5] = {};
    if (filter.needsPrevious()) {
        if (rows.empty()) throw InputError("--repeat 需要上一期的开奖号码，但历史号码是空的");
        for (int i = 0; i < count; ++i)
            previous[i] = rows.back().digits()[static_cast<std::size_t>(i)];
        result.previousIssue = rows.back().issue;
    }
    std::vector<int64_t> alone(filter.conditions.size(), 0);
    int d[5] = {};
    for (int n = 0; n < total; ++n) {
        digitsOf(n, count, d);
        bool all = true;
        for (std::size_t c = 0; c < filter.conditions.size(); ++c) {
            if (passes(filter.conditions[c], d, count, previous)) {
                ++alone[c];
            } else {
                all = false;
            }
        }
        if (all) result.numbers.push_back(n);
    }
    for (std::size_t c = 0; c < filter.conditions.size(); ++c) {
        const FilterCondition& fc = filter.conditions[c];
        result.conditions.push_back(
            {fc.name, fc.value, fc.mustCount, alone[c], static_cast<double>(alone[c]) / total});
    }
    result.count = static_cast<int64_t>(result.numbers.size());
    result.share = static_cast<double>(result.count) / total;
    return result;
}

}  // namespace arrange5
