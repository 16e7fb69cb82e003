#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace arrange5::cli {

void addUpdateCommand(CLI::App& /*app*/, CliContext& /*ctx*/) {}

}  // namespace arrange5::cli
