// kpx41 ledger: what a shared PostgreSQL ledger of produce holds.
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "platform/pg/pg_ledger.h"
#include "production/ledger_report.h"
#include "production/ledger_url.h"

namespace kpx::cli {

namespace {

constexpr const char* kName = "ledger";

int CmdLedger(const std::vector<std::string>& args, CliIo& io) {
    std::string action;
    std::optional<std::string> url, series;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--ledger" || a == "--series") && i + 1 >= args.size()) {
            return UsageError(kName, a + " needs a value", io);
        }
        if (a == "--ledger") {
            url = args[++i];
        } else if (a == "--series") {
            series = args[++i];
        } else if (action.empty() && (a == "status" || a == "export")) {
            action = a;
        } else {
            return UsageError(kName, "unknown argument " + (IsLedgerUrl(a) ? RedactUrl(a) : a), io);
        }
    }
    if (action.empty()) return UsageError(kName, "needs status or export", io);
    if (!url) return UsageError(kName, "needs --ledger URL", io);
    if (!IsLedgerUrl(*url)) return UsageError(kName, "--ledger takes a postgresql:// URL", io);
    if (series && action != "export") return UsageError(kName, "--series goes with export", io);

    std::string error;
    const std::unique_ptr<PgLedger> ledger = PgLedger::Open(*url, &error);
    if (ledger && action == "status") {
        std::vector<LedgerSeries> all;
        if (ledger->Status(&all, &error)) {
            io.out << FormatLedgerStatus(all);
            return kExitOk;
        }
    } else if (ledger && ledger->Export(series, io.out, &error)) {
        return kExitOk;
    }
    io.err << "kpx41 ledger: " << error << "\n";
    return kExitFailure;
}

}  // namespace

const CliCommand kLedgerCommand = {
    "ledger", "ledger (status | export [--series NAME]) --ledger URL",
    "what a PostgreSQL ledger of produce holds: per series the next capcodes, the ok, failed and "
    "unknown pagers and each station's pagers per hour today (status), or its rows as CSV, "
    "oldest first (export)",
    CmdLedger};

}  // namespace kpx::cli
