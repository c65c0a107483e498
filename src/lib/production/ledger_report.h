#pragma once

#include <string>
#include <vector>

#include "production/production.h"

namespace kpx {

// "1", "2" or "1,2", as --auto-increase takes it.
std::string AutoIncreaseText(AutoIncrease autoIncrease);
// The series of runs that start from the same file capcodes with the same auto-increase.
std::string DefaultSeriesName(const CapcodePair& fromFile, AutoIncrease autoIncrease);

// A row of a shared ledger: the CSV log's row, the station that wrote it and its series.
struct LedgerRow {
    LogRow row;
    std::string station;
    std::string series;
};
inline constexpr const char* kLedgerExportHeader =
    "time,port,capcode1,capcode2,sha256,result,message,station,series";
std::string FormatLedgerRow(const LedgerRow& row);

// Capcodes a ledger holds as handed out without a row yet.
struct LedgerHandout {
    enum class State {
        UnderWay,  // its station is still running
        Unknown,   // its station went away during the pager: it may hold them
        Returned,  // the pager failed: the next pager takes them
    };
    CapcodePair capcodes{};
    State state = State::UnderWay;
    std::string station;
    std::string port;
    std::string taken;  // ISO 8601, UTC
};

// One station's pagers of today (UTC).
struct StationToday {
    std::string station;
    int pagers = 0;      // written ok
    double hours = 0.0;  // from its first hand-out today to its last row
};

struct LedgerSeries {
    std::string name;
    AutoIncrease autoIncrease;
    CapcodePair next{};
    int ok = 0;
    int failed = 0;  // rows, retries included
    std::vector<LedgerHandout> handouts;
    std::vector<StationToday> today;
};

// What `kpx41 ledger status` prints: per series the next capcodes, the counts, the capcodes
// handed out without a row, and each station's pagers per hour today.
std::string FormatLedgerStatus(const std::vector<LedgerSeries>& series);

}  // namespace kpx
