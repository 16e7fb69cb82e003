#include <iostream>

#include "cli/cli_context.h"

int main(int argc, char** argv) {
    return arrange5::cli::runCli(argc, argv, std::cout, std::cerr);
}
