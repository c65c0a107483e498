#include "platform/pg/pg_conninfo.h"

#include <libpq-fe.h>

#include <map>
#include <utility>

#include "production/ledger_url.h"

namespace kpx {

namespace {

// A dead server is noticed by TCP: an idle connection after 10 + 3 * 5 s of unanswered
// keepalives, one with data unacknowledged after 25 s.
const std::pair<std::string, std::string> kDefaults[] = {
    {"connect_timeout", std::to_string(kLedgerConnectTimeout)},
    {"keepalives", "1"},
    {"keepalives_idle", "10"},
    {"keepalives_interval", "5"},
    {"keepalives_count", "3"},
    {"tcp_user_timeout", "25000"},
};

std::string Quoted(const std::string& value) {
    std::string q = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\') q += '\\';
        q += c;
    }
    return q + "'";
}

bool Shows(const std::string& text, const std::string& secret) {
    return !secret.empty() && (text.find(secret) != std::string::npos ||
                               PercentDecoded(text).find(secret) != std::string::npos);
}

}  // namespace

std::optional<LedgerConninfo> ReadLedgerConninfo(const std::string& text,
                                                 const std::string& application,
                                                 std::string* error) {
    LedgerConninfo info;
    info.secrets = UrlSecrets(text);
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.c_str(), &message);
    if (!options) {
        *error = LedgerMessage(message ? message : "out of memory", info.secrets);
        PQfreemem(message);
        return std::nullopt;
    }
    std::map<std::string, std::string> set;
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val) set[o->keyword] = o->val;
    }
    PQconninfoFree(options);

    const std::string password = set.count("password") ? set["password"] : "";
    if (!password.empty()) info.secrets.push_back(password);
    info.shown = RedactUrl(text);
    // Where this program's reading of the string and libpq's differ, the message names the
    // server without the string rather than risk the password.
    if (Shows(info.shown, password)) {
        std::string summary;
        for (const char* key : {"host", "hostaddr", "port", "dbname", "user"}) {
            if (!set.count(key)) continue;
            summary += std::string(summary.empty() ? "" : " ") + key + "=" + set[key];
        }
        info.shown = MaskSecrets(summary, info.secrets);
    }

    info.named = set.count("application_name") > 0;
    for (const auto& [key, value] : kDefaults) set.emplace(key, value);
    set.emplace("application_name", application);
    for (const auto& [key, value] : set) info.conninfo += key + "=" + Quoted(value) + " ";
    return info;
}

}  // namespace kpx
