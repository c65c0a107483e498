#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    kpx::cli::CliIo io{std::cout, std::cerr};
    io.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return kpx::cli::RunCli(args, io);
}
