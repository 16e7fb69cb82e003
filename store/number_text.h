#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace arrange5 {

// Numbers the user types as text (input boxes, fields, command-line arguments), read the same
// way by the window and the CLI.

// A number typed as text: rounded to the nearest whole number, halves to even; nothing when
// the text is empty or not a decimal number.
std::optional<int64_t> parseWholeNumber(const std::string& text);

// The number typed in the deletion input boxes: rounded to the nearest whole number, halves
// to even; empty or not a number counts as 0.
int64_t inputBoxNumber(const std::string& text);

// Reads an issue typed in a field; throws InputError naming `fieldName` when the text is not
// a whole number.
int32_t parseIssueField(const std::string& text, const std::string& fieldName);

// Whether `issue` reads as a seven-digit issue: a four-digit year and a sequence from 001.
bool isValidIssue(int64_t issue);

// A bound of the search range (起, 止, --from, --to): parseIssueField, and then a seven-digit
// issue, a year 1000..9999 and a sequence 1..999; a bound like "12" or "-5" would silently
// search nothing or everything.
int32_t parseIssueBound(const std::string& text, const std::string& fieldName);

// A whole number given as a command-line argument (rounded as parseWholeNumber does); throws
// InputError “text”不是数字（what） when it is not a number.
int64_t parseNumberArgument(const std::string& text, const std::string& what);

}  // namespace arrange5
