#pragma once

#include <optional>
#include <string>
#include <vector>

#include "production/production.h"

namespace kpx::gui {

// What the station's series part holds; all of it but the URL's password is kept for the next
// time.
struct SeriesChoice {
    AutoIncrease autoIncrease{true, false};
    int count = 0;  // 0: no end
    bool useLedger = false;
    std::string log;  // empty: the table file's name with .csv
    std::string url;  // never with a password in it
    std::string series;
    std::string station;
    bool resume = false;  // a CSV log: go on after the last written capcode
    bool swapDetection = true;
};

// kpx41-programmer --production FILE [--port PATH]... --auto-increase 1|2|1,2 [--count N]
//                  (--log FILE | --ledger URL [--series NAME] [--station NAME]) [--start]
struct ProductionStart {
    std::string file;
    std::vector<std::string> ports;  // empty: every cable found
    SeriesChoice series;
    std::string password;  // taken out of --ledger's URL; used, never kept
    bool start = false;    // start at once, the GP question answered Yes
};

// The programmer's command line.
struct ProgrammerArgs {
    int simulate = 0;  // simulated boards to plug in
    std::string screenshotDir;
    bool help = false;
    bool version = false;
    std::optional<ProductionStart> production;
};

inline constexpr int kMaxSimulatedBoards = 32;
inline constexpr const char* kProgrammerUsage =
    "usage: kpx41-programmer [--simulate [N]] [--screenshot DIR]\n"
    "       kpx41-programmer [--simulate [N]] --production FILE [--port PATH]... --auto-increase "
    "1|2|1,2\n"
    "                        [--count N] (--log FILE | --ledger URL [--series NAME] "
    "[--station NAME]) [--start]\n"
    "       kpx41-programmer --help | --version\n";

// Options the programmer does not know (Qt's own, such as -platform) are left to Qt; a
// mistake in --simulate or in the production options is a usage error, with *problem set.
std::optional<ProgrammerArgs> ParseProgrammerArgs(const std::vector<std::string>& args,
                                                  std::string* problem);

// The URL without its password, and the password (empty when it has none).
struct SplitUrl {
    std::string url;
    std::string password;
};
SplitUrl SplitLedgerPassword(const std::string& url);
// The URL with the password put back in, to connect with.
std::string WithLedgerPassword(const std::string& url, const std::string& password);

// The CSV log a series takes by default: the table file's name with .csv.
std::string DefaultLogPath(const std::string& tablePath);

}  // namespace kpx::gui
