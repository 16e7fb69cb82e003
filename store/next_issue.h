#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace arrange5 {

// Where the calendar cannot be read, a year is taken to end after this sequence number.
inline constexpr int kIssuesPerYear = 358;

// The issue proposed for the draw after `lastIssue`. A year holds 351 to 359 draws, so the
// calendar decides: when `todayYear` is later than the last issue's year, the following
// year's 001; otherwise the last issue + 1. Only without a clock (no year) does the year end
// after sequence 358.
int32_t nextIssue(int32_t lastIssue, std::optional<int> todayYear);

// The proposal without a clock: the 358 roll-over. Generated histories count years with it.
inline int32_t nextIssueForDisplay(int32_t lastIssue) {
    return nextIssue(lastIssue, std::nullopt);
}

// The two issues a draw after `lastIssue` may be stored under: the last issue + 1 (the year
// goes on) and the following year's 001 (the year has ended). Throws InputError naming both
// for any other `chosen`.
void acceptChosenIssue(int32_t lastIssue, int64_t chosen);

// The issue typed into the next-issue field (blanks around it ignored). Without a last issue
// (empty history) any seven-digit issue with a sequence from 001; after one, only the two
// values acceptChosenIssue allows. Throws InputError naming the problem otherwise.
int32_t parseChosenIssue(std::string_view text, std::optional<int32_t> lastIssue);

// The calendar year of the local system date, or nothing when the clock cannot be read.
std::optional<int> systemYear();

// The year of a date written YYYY-MM-DD, or nothing when the text is not such a date.
std::optional<int> yearOfIsoDate(std::string_view text);

}  // namespace arrange5
