#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpx {
class DeviceLister;
}

namespace kpx::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CliIo {
    std::ostream& out;
    std::ostream& err;
    std::istream* in = nullptr;  // the user's answers; standard input when not set
    // The cable ports looked through without --port; the machine's (sysfs) when not set.
    DeviceLister* lister = nullptr;
};

// One subcommand of kpx41. run gets the arguments after the command's name and returns the
// exit code; usage and summary feed --help.
struct CliCommand {
    std::string_view name;
    std::string_view usage;    // e.g. "new [--force] FILE"
    std::string_view summary;  // one line for the command list
    int (*run)(const std::vector<std::string>& args, CliIo& io);
};

// Every command, in the order --help lists them (defined in cli_app.cpp).
std::span<const CliCommand> Commands();

// Runs kpx41 with args = argv[1..]: 0 success, 1 failure, 2 usage error.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCli(const std::vector<std::string>& args, CliIo& io);

// For commands: report a usage error ("kpx41 <name>: why" and the usage line), returns 2.
int UsageError(std::string_view commandName, std::string_view why, CliIo& io);
// True when args ask for the command's own help ("-h" or "--help").
bool WantsHelp(const std::vector<std::string>& args);
// Prints "usage: kpx41 <usage>" and the summary of one command, returns 0.
int CommandHelp(std::string_view commandName, CliIo& io);

}  // namespace kpx::cli
