#pragma once

#include <cstdint>
#include <string>

namespace CLI {
class ParseError;
class Validator;
}  // namespace CLI

namespace arrange5::cli {

// A command line the parser refused, in Chinese first; the parser's own English words
// follow in parentheses, since they name the option or argument concerned.
std::string describeParseError(const CLI::ParseError& e);

// Refuses an empty data-folder argument: an unset shell variable must not mean "the
// program's own folder".
CLI::Validator nonEmptyFolder();

// Refuses an empty --url: an unset shell variable must not mean "the default address".
CLI::Validator nonEmptyAddress();

// The largest number an issue option takes: seven digits.
inline constexpr int64_t kLargestIssue = 9999999;

// An integer option or argument written in decimal digits only, within [least, most]:
// "010" is 10, while "0x6", "+3", "-3" (unless `least` is negative), " 3" and "1e1" are
// refused with the option's name. Added with transform(), not check(): the value handed on is the
// plain decimal number, so that the parser's own base detection (which reads "010" as 8) never sees
// a leading zero.
CLI::Validator decimalNumber(int64_t least, int64_t most);

// A range of issues "A:B" whose ends may be left out ("A:", ":B"), each end in decimal digits
// only: a sign, a blank or 0x in an end is refused with the option's name, as decimalNumber does.
CLI::Validator decimalIssueRange();

}  // namespace arrange5::cli
