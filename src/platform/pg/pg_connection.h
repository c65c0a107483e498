#pragma once

#include <pqxx/pqxx>
#include <string>

namespace kpx {

// The client library's connection behind PgLedger.
struct PgConnection {
    explicit PgConnection(const std::string& url) : c(url) {}
    pqxx::connection c;
};

}  // namespace kpx
