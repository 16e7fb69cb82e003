#include <iostream>

#include "cli/cli_context.h"

int main(int argc, char** argv) {
    // Nothing here writes through C stdio; unsynchronised streams buffer the searches' large
    // JSON instead of locking stdout for every piece of it.
    std::ios::sync_with_stdio(false);
    return arrange5::cli::runCli(argc, argv, std::cout, std::cerr);
}
