// kpx41 ledger: what a shared PostgreSQL ledger of produce holds.
#include <iostream>
#include <optional>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "platform/pg/pg_ledger.h"
#include "production/ledger_report.h"
#include "production/ledger_url.h"

namespace kpx::cli {

namespace {

constexpr const char* kName = "ledger";

const char* StateName(LedgerHandout::State state) {
    switch (state) {
        case LedgerHandout::State::UnderWay:
            return "under way";
        case LedgerHandout::State::Unknown:
            return "unknown";
        case LedgerHandout::State::Returned:
            return "returned";
    }
    return "";
}

std::string StatusJson(const std::vector<LedgerSeries>& all) {
    using Json = nlohmann::ordered_json;
    Json list = Json::array();
    for (const LedgerSeries& s : all) {
        Json handouts = Json::array();
        for (const LedgerHandout& h : s.handouts) {
            handouts.push_back({{"capcodes", h.capcodes},
                                {"state", StateName(h.state)},
                                {"station", h.station},
                                {"port", h.port},
                                {"taken", h.taken}});
        }
        Json today = Json::array();
        for (const StationToday& t : s.today) {
            today.push_back({{"station", t.station}, {"pagers", t.pagers}, {"hours", t.hours}});
        }
        list.push_back({{"series", s.name},
                        {"auto_increase", AutoIncreaseText(s.autoIncrease)},
                        {"next", s.next},
                        {"ok", s.ok},
                        {"failed", s.failed},
                        {"handouts", handouts},
                        {"today", today}});
    }
    return list.dump(2) + "\n";
}

int CmdLedger(const std::vector<std::string>& args, CliIo& io) {
    const auto parsed = ParseCommand(kName, args, io);
    if (!parsed) return kExitUsage;
    std::string action;
    std::optional<std::string> url, series;
    bool json = false;
    for (const ParsedArg& a : *parsed) {
        const std::string_view option = a.option ? a.option->name : "";
        if (option == "--ledger") url = a.value;
        if (option == "--series") series = a.value;
        json = json || option == "--json";
        if (a.option) continue;
        if (!action.empty() || (a.text != "status" && a.text != "export")) {
            const std::string& t = a.text;
            return UsageError(kName, "unknown argument " + (IsLedgerUrl(t) ? RedactUrl(t) : t), io);
        }
        action = a.text;
    }
    if (action.empty()) return UsageError(kName, "needs status or export", io);
    if (!url) return UsageError(kName, "needs --ledger URL", io);
    if (!IsLedgerUrl(*url)) return UsageError(kName, "--ledger takes a postgresql:// URL", io);
    if (series && action != "export") return UsageError(kName, "--series goes with export", io);
    if (json && action != "status") return UsageError(kName, "--json goes with status", io);

    std::string error;
    const std::unique_ptr<PgLedger> ledger = PgLedger::Open(*url, &error);
    if (ledger && action == "status") {
        std::vector<LedgerSeries> all;
        if (ledger->Status(&all, &error)) {
            io.out << (json ? StatusJson(all) : FormatLedgerStatus(all));
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
    "unknown pagers and each station's pagers per hour today (status, --json for JSON), or its "
    "rows as CSV, oldest first (export)",
    CmdLedger,
    {kLedgerOption, {"--series", "", "NAME", "export only this series' rows"}, kJsonOption}};

}  // namespace kpx::cli
