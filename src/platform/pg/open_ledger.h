#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "production/ledger.h"

namespace kpx {

// Where a production run (kpx41 produce, the window's station) counts its capcodes: the CSV
// log, or a shared ledger with the log as the station's local copy.
struct LedgerChoice {
    std::string log;                     // --log FILE
    std::optional<std::string> ledger;   // --ledger URL
    std::optional<std::string> series;   // --series NAME
    std::optional<std::string> station;  // --station NAME
};

// The ledger of the run, its series started; nothing, with the reason on `err`, when it
// cannot be opened. `notALog` is set when the log named is some other file, left untouched.
// A ledger's own messages begin with `who`.
std::unique_ptr<CapcodeLedger> OpenLedger(const LedgerChoice& choice, const SeriesRequest& request,
                                          std::ostream& out, std::ostream& err,
                                          bool* notALog = nullptr,
                                          const std::string& who = "kpx41 produce: ");

// This machine's name, the station a ledger row names by default.
std::string HostName();

}  // namespace kpx
