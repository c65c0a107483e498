#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"

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
    bool errIsTerminal = false;  // err is a terminal: transfers draw a progress bar on it
    bool quiet = false;          // --quiet: nothing but errors
};

// One subcommand of kpx41. run gets the arguments after the command's name and returns the
// exit code; usage, summary and options feed --help, and options the parsing and the completion.
struct CliCommand {
    std::string_view name;
    std::string_view usage;    // e.g. "new [--force] FILE"
    std::string_view summary;  // one line for the command list
    int (*run)(const std::vector<std::string>& args, CliIo& io);
    std::vector<CliOption> options;  // every option it takes but --help
};

// The stream "-" reads: io.in, or standard input.
std::istream& Input(CliIo& io);

// Every command, in the order --help lists them (defined in cli_app.cpp).
std::span<const CliCommand> Commands();

// Runs kpx41 with args = argv[1..]: 0 success, 1 failure, 2 usage error.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCli(const std::vector<std::string>& args, CliIo& io);

// For commands: report a usage error ("kpx41 <name>: why" and the usage line), returns 2.
int UsageError(std::string_view commandName, std::string_view why, CliIo& io);
// True when args ask for the command's own help ("-h" or "--help" before any "--").
bool WantsHelp(const std::vector<std::string>& args);
// Prints "usage: kpx41 <usage>", the summary of one command and a line for each option,
// returns 0.
int CommandHelp(std::string_view commandName, CliIo& io);
// Parses args by the command's option table; on a usage error it is told (exit 2 is the
// caller's) and nothing is returned.
std::optional<std::vector<ParsedArg>> ParseCommand(std::string_view commandName,
                                                    const std::vector<std::string>& args,
                                                    CliIo& io);

}  // namespace kpx::cli
