#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpx::cli {

// One option of a command: what parses it, what --help says of it and what the completion
// offers, all from this one entry.
struct CliOption {
    std::string_view name;   // "--port"
    std::string_view alias;  // "-o", or empty
    // The value it takes ("PATH"), "" for a flag. In brackets ("[PATH]") the value is optional:
    // --opt=VALUE, or a next argument that is a /dev/ path.
    std::string_view value;
    std::string_view help;  // one line
    bool TakesValue() const { return !value.empty(); }
    bool ValueOptional() const { return !value.empty() && value.front() == '['; }
};

// The options more than one command takes, worded once.
inline constexpr CliOption kPortOption{"--port", "", "PATH",
                                       "the board's serial port (without it the cable's ports are "
                                       "searched)"};
inline constexpr CliOption kLptOption{
    "--lpt", "", "[PATH]",
    "drive the pager's memory through the parallel port (PATH: its device, else probed)"};
inline constexpr CliOption kTraceOption{"--trace", "", "FILE",
                                        "append every frame to and from the board to FILE"};
inline constexpr CliOption kNoBackupOption{"--no-backup", "", "",
                                           "keep no backup of the image read or written"};
inline constexpr CliOption kOutputOption{"--output", "-o", "FILE", "the file to write"};
inline constexpr CliOption kForceOption{"--force", "-f", "", "replace an existing output file"};
inline constexpr CliOption kYesOption{"--yes", "-y", "",
                                      "answer yes to the GP(RoHS) question, which only asks"};
inline constexpr CliOption kQuietOption{"--quiet", "-q", "",
                                        "print nothing but errors (no progress, no summary)"};
inline constexpr CliOption kJsonOption{"--json", "", "", "print JSON instead of text"};
inline constexpr CliOption kLedgerOption{"--ledger", "", "URL",
                                         "the PostgreSQL ledger (postgresql://...)"};
inline constexpr CliOption kSeriesOption{"--series", "", "NAME", "the ledger's series"};

// One argument as parsed: an option (with its value, if any) or an operand.
struct ParsedArg {
    const CliOption* option = nullptr;  // null for an operand
    std::optional<std::string> value;
    std::string text;  // an operand, or the option as the user named it
};

// Parses args by a command's table: "--opt VALUE", "--opt=VALUE", short aliases, "-" as an
// operand, and everything after "--" as operands. Empty (with problem set) on a usage error:
// "unexpected argument X" for another command's option, "unknown option X" (with the nearest
// of the table when one is close), "X needs a value", "X takes no value".
std::optional<std::vector<ParsedArg>> ParseOptions(std::span<const CliOption> table,
                                                    const std::vector<std::string>& args,
                                                    std::string& problem);

// The nearest of `names` to `typed`, when it is close enough to be a slip of the fingers.
std::optional<std::string> Nearest(std::string_view typed, const std::vector<std::string>& names);

// The table's lines for --help: "  -o, --output FILE   the file to write".
std::string OptionLines(std::span<const CliOption> table);

}  // namespace kpx::cli
