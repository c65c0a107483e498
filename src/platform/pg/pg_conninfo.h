#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kpx {

// A ledger's connection string (a postgresql:// URL or key=value pairs) as libpq reads it.
struct LedgerConninfo {
    // For libpq: the user's settings, plus a connect_timeout, TCP keepalives and an
    // application_name where the user gave none, so that a server that went away stops a
    // station within about half a minute instead of never.
    std::string conninfo;
    // For messages: the string as written with every password masked.
    std::string shown;
    // Every text that may show a password: as written, decoded, and as libpq reads it.
    std::vector<std::string> secrets;
    // The user named the connection (application_name): it is left as it is.
    bool named = false;
};

// Seconds a connection attempt may take when the string does not say.
constexpr int kLedgerConnectTimeout = 10;

// Nothing, with libpq's reason in *error (its passwords masked), when libpq cannot read it.
std::optional<LedgerConninfo> ReadLedgerConninfo(const std::string& text,
                                                 const std::string& application,
                                                 std::string* error);

}  // namespace kpx
