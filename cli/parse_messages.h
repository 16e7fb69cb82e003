#pragma once

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

}  // namespace arrange5::cli
