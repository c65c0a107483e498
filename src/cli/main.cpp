#include <iostream>
#include <string>
#include <vector>

#include "cli/transfer_commands.h"

int main(int argc, char** argv) {
    if (argc >= 2) {
        const std::vector<std::string> args(argv + 2, argv + argc);
        const int rc = kpx::cli::RunTransferCommand(argv[1], args, std::cout, std::cerr);
        if (rc >= 0) return rc;
    }
    std::cout << "kpx41: the KPX41 pager programmer's command-line tool\n";
    for (const auto& c : kpx::cli::TransferCommands()) std::cout << "  kpx41 " << c.usage << "\n";
    return argc >= 2 ? 2 : 0;
}
