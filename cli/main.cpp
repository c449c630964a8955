#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return plume::cli::runCli(args, std::cout, std::cerr);
}
