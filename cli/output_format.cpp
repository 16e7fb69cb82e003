#include "cli/output_format.h"

#include <CLI/CLI.hpp>

namespace arrange5::cli {

void addFormatOption(CLI::App* command, std::string& format) {
    command->add_option("--format", format, "输出格式：json（默认）或 text")
        ->check(CLI::IsMember({"json", "text"}));
}

}  // namespace arrange5::cli
