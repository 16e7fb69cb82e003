#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/history_row.h"

namespace arrange5 {

// 缩水 / 大底: the numbers of a game that pass every condition the user set. The share of the
// set among all numbers of the game is exactly the chance that a fair draw falls in it; a
// filter chooses which numbers to buy, never how likely a bet is to win.

enum class Game { P5, P3 };  // 排列五 (five digits), 排列三 (the draw's first three digits)

int gameDigits(Game game);   // 5 or 3
int gameNumbers(Game game);  // 100,000 or 1,000
const char* gameKey(Game game);
const char* gameCaption(Game game);  // 排列五, 排列三
// "p5" or "p3"; throws InputError naming --game otherwise.
Game parseGame(const std::string& key);

// The forms of a number, as the trend chart names them: for p5 全不同 一对 两对 三条 三带二
// 四条 五同, for p3 组六 组三 豹子. The index of a number's form in formNames(game).
const std::vector<std::string>& formNames(Game game);
int formOf(const int* digits, int count);

// One condition as the user typed it: the option's name without dashes ("pos2", "must",
// "must-count", "sum", …) and its text ("0369", "10:20", "1:2:2,2:2:1", "一对,两对").
struct ConditionInput {
    std::string name;
    std::string value;
};

enum class ConditionKind {
    Position,
    Must,
    Kill,
    Sum,
    Span,
    Big,
    Odd,
    Prime,
    Road,
    Form,
    Repeat,
    Consecutive,
};

// A checked condition. `value` is its canonical text (digits sorted, forms in table order),
// which names it in the answer and in the study.
struct FilterCondition {
    ConditionKind kind = ConditionKind::Position;
    std::string name;
    std::string value;
    int position = 0;       // Position: 0-based
    unsigned digitSet = 0;  // Position, Must, Kill: bit d for digit d
    int mustCount = 0;      // Must: at least this many of its digits
    int low = 0;            // the ranges, inclusive
    int high = 0;
    std::vector<int> roads;  // Road: a * 36 + b * 6 + c for each allowed a:b:c
    unsigned forms = 0;      // Form: bit i for formNames(game)[i]
};

struct NumberFilter {
    Game game = Game::P5;
    std::vector<FilterCondition> conditions;  // in one fixed order, whatever order was typed

    bool needsPrevious() const;  // a --repeat condition
};

// Checks every condition against the game; throws InputError naming the condition ("--pos4",
// "--sum", …) for one that does not fit the game, an empty or non-digit set, a reversed or
// impossible range, an unknown form or a --must-count without --must.
NumberFilter parseFilter(const std::string& game, const std::vector<ConditionInput>& inputs);

// Whether the number with these digits (count = gameDigits) passes the condition;
// `previous` (the draw before, as many digits) is needed by Repeat only.
bool passes(const FilterCondition& condition, const int* digits, int count, const int* previous);

struct ConditionShare {
    std::string name;
    std::string value;
    int mustCount = 0;
    int64_t count = 0;  // numbers the condition alone lets through
    double share = 0;
};

struct FilterResult {
    Game game = Game::P5;
    std::vector<ConditionShare> conditions;
    int64_t count = 0;
    double share = 0;          // count / gameNumbers: the chance a fair draw falls in the set
    std::vector<int> numbers;  // ascending
    std::optional<int32_t> previousIssue;  // the draw --repeat compares with
};

// The numbers passing every condition; --repeat compares with the newest stored draw (the
// next issue's previous draw). Throws InputError for --repeat on an empty history.
FilterResult runFilter(const NumberFilter& filter, const HistorySnapshot& rows);

// The digits of `number` (0 .. gameNumbers − 1), `count` of them, leading zeros kept.
void digitsOf(int number, int count, int* out);

// "01234" for p5, "012" for p3.
std::string numberText(int number, Game game);

}  // namespace arrange5
