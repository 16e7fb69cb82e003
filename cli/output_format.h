#pragma once

#include <string>

namespace CLI {
class App;
}

namespace arrange5::cli {

// --format json|text on one command: json (the default) keeps the command's fields, text is
// a readable summary. Kept apart so that a global option can take its place in one step.
void addFormatOption(CLI::App* command, std::string& format);

inline bool isTextFormat(const std::string& format) {
    return format == "text";
}

}  // namespace arrange5::cli
