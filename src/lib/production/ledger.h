#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "production/production.h"

namespace kpx {

// What a run is asked to do, whichever ledger it counts on.
struct SeriesRequest {
    CapcodePair fromFile{};  // the table file's capcodes 1 and 2
    AutoIncrease autoIncrease;
    int count = 0;        // pagers of this run
    bool resume = false;  // the CSV log: go on after its highest capcodes written
};

// Where a production run takes its capcodes from and where it records every pager: the CSV
// log of one station, or a ledger that several stations share. The boards of a station call
// it from their own threads.
class CapcodeLedger {
  public:
    virtual ~CapcodeLedger() = default;

    // The capcodes of the next pager, on record as handed out before they come back, so that
    // no other pager gets them. Nothing when the series is over; then *refusal says why when a
    // capcode was refused, and *error when the ledger failed (the station stops).
    virtual std::optional<CapcodePair> Take(const std::string& port, std::string* refusal,
                                            std::string* error) = 0;
    // The row of a pager that took row.capcodes, on record before this returns. A failed pager
    // gives its capcodes back: the next pager takes them first. False with *error when the row
    // could not be recorded: the station programs no more pagers.
    virtual bool Finish(const LogRow& row, std::string* error) = 0;
    // No new capcodes (a capcode at the top of the range); failed ones are still retried.
    virtual void Stop() = 0;
    // No pagers at all any more, not even the retries (a row could not be recorded).
    virtual void Halt() = 0;

    // This station's pagers of this run.
    virtual int done() const = 0;
    virtual int failed() const = 0;
    // Nothing more to hand out and no pager under way.
    virtual bool Over() const = 0;
    // The capcodes the next pager takes, when this ledger can tell without asking a server.
    virtual std::optional<CapcodePair> NextCapcodes() const { return std::nullopt; }
};

// A file rows are appended to; what Append wrote has reached the system when it returns.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    virtual bool Append(std::string_view text, std::string* error) = 0;
};

}  // namespace kpx
