#pragma once

#include <pqxx/pqxx>
#include <string>

namespace kpx {

// Advisory lock keys: the schema step, the hand-outs, and the running stations.
constexpr int kLockKey = 0x6B707834;  // "kpx4"
constexpr int kSchemaLock = 0;
constexpr int kTakeLock = 1;
constexpr int kRunLockKey = kLockKey + 1;

// The client library's connection behind PgLedger.
struct PgConnection {
    explicit PgConnection(const std::string& conninfo) : c(conninfo) {}
    pqxx::connection c;
};

}  // namespace kpx
