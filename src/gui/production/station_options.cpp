#include "gui/production/station_options.h"

#include <algorithm>

#include "production/ledger_url.h"

namespace kpx::gui {

namespace {

bool AllDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The production options once --production was seen; false with *problem on a mistake.
bool TakeProductionOption(const std::vector<std::string>& args, std::size_t& i, ProductionStart& p,
                          bool& haveAuto, std::string* problem) {
    const std::string& a = args[i];
    const bool takesValue = a == "--port" || a == "--auto-increase" || a == "--count" ||
                            a == "--log" || a == "--ledger" || a == "--series" || a == "--station";
    if (!takesValue) {
        if (a != "--start") return *problem = "unknown option " + a, false;
        p.start = true;
        return true;
    }
    if (i + 1 >= args.size()) return *problem = a + " needs a value", false;
    const std::string& v = args[++i];
    if (a == "--port") {
        p.ports.push_back(v);
    } else if (a == "--auto-increase") {
        const auto parsed = ParseAutoIncrease(v);
        if (!parsed) return *problem = "--auto-increase takes 1, 2 or 1,2", false;
        p.series.autoIncrease = *parsed;
        haveAuto = true;
    } else if (a == "--count") {
        if (!AllDigits(v) || v.size() > 7 || std::stoi(v) < 1)
            return *problem = "--count takes a number of pagers from 1 to 9999999", false;
        p.series.count = std::stoi(v);
    } else if (a == "--log") {
        p.series.log = v;
    } else if (a == "--ledger") {
        // Never the URL in a message: it may hold a password.
        if (!IsLedgerUrl(v)) return *problem = "--ledger takes a postgresql:// URL", false;
        const SplitUrl split = SplitLedgerPassword(v);
        p.series.url = split.url;
        p.password = split.password;
        p.series.useLedger = true;
    } else if (a == "--series") {
        p.series.series = v;
    } else {
        p.series.station = v;
    }
    return true;
}

std::string CheckProduction(const ProductionStart& p, bool haveAuto) {
    if (p.file.empty()) return "--production needs a table FILE";
    if (!haveAuto) return "needs --auto-increase 1, 2 or 1,2";
    if (p.series.log.empty() && !p.series.useLedger) return "needs --log FILE or --ledger URL";
    if (!p.series.log.empty() && p.series.useLedger) return "--log and --ledger name two ledgers";
    if (!p.series.useLedger && (!p.series.series.empty() || !p.series.station.empty()))
        return "--series and --station name a series in a --ledger";
    return "";
}

}  // namespace

std::optional<ProgrammerArgs> ParseProgrammerArgs(const std::vector<std::string>& args,
                                                  std::string* problem) {
    ProgrammerArgs r;
    ProductionStart production;
    bool inProduction = false;
    bool haveAuto = false;
    problem->clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--simulate") {
            r.simulate = 1;
            if (i + 1 < args.size() && AllDigits(args[i + 1])) {
                const std::string& n = args[++i];
                if (n.size() > 2 || std::stoi(n) < 1 || std::stoi(n) > kMaxSimulatedBoards) {
                    *problem = "--simulate takes a number of boards from 1 to " +
                               std::to_string(kMaxSimulatedBoards);
                    return std::nullopt;
                }
                r.simulate = std::stoi(n);
            }
        } else if (a == "--screenshot" && i + 1 < args.size()) {
            r.screenshotDir = args[++i];
        } else if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--version") {
            r.version = true;
        } else if (a == "--production") {
            if (inProduction) return *problem = "--production names one FILE", std::nullopt;
            inProduction = true;
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) production.file = args[++i];
        } else if (inProduction && a.rfind("--", 0) == 0) {
            if (!TakeProductionOption(args, i, production, haveAuto, problem)) return std::nullopt;
        } else if (inProduction && a.rfind("-", 0) != 0) {
            *problem = "unexpected argument " + a + " (one FILE only)";
            return std::nullopt;
        }
    }
    if (inProduction) {
        *problem = CheckProduction(production, haveAuto);
        if (!problem->empty()) return std::nullopt;
        r.production = production;
    }
    return r;
}

SplitUrl SplitLedgerPassword(const std::string& url) {
    SplitUrl out{url, ""};
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return out;
    const std::size_t from = scheme + 3;
    const std::size_t authorityEnd = std::min(url.find('/', from), url.find('?', from));
    const std::size_t at =
        url.rfind('@', authorityEnd == std::string::npos ? url.size() - 1 : authorityEnd);
    if (at != std::string::npos && at >= from) {
        const std::size_t colon = url.find(':', from);
        if (colon != std::string::npos && colon < at) {
            out.password = url.substr(colon + 1, at - colon - 1);
            out.url = url.substr(0, colon) + url.substr(at);
        }
    }
    // ?password=... or &password=...: the parameter goes, its neighbours stay.
    const std::size_t query = out.url.find('?');
    if (query == std::string::npos) return out;
    std::string rest = out.url.substr(query + 1);
    std::string kept;
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find('&', start), rest.size());
        const std::string param = rest.substr(start, end - start);
        if (param.rfind("password=", 0) == 0) {
            out.password = param.substr(9);
        } else if (!param.empty()) {
            kept += (kept.empty() ? "" : "&") + param;
        }
        start = end + 1;
    }
    out.url = out.url.substr(0, query) + (kept.empty() ? "" : "?" + kept);
    return out;
}

std::string WithLedgerPassword(const std::string& url, const std::string& password) {
    if (password.empty()) return url;
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "password=" + password;
}

std::string DefaultLogPath(const std::string& tablePath) {
    if (tablePath.empty()) return "";
    const std::size_t slash = tablePath.find_last_of('/');
    const std::size_t dot = tablePath.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? tablePath.substr(0, dot) : tablePath) + ".csv";
}

}  // namespace kpx::gui
