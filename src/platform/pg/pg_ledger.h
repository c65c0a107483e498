#pragma once

#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/pg/pg_conninfo.h"
#include "production/ledger.h"
#include "production/ledger_report.h"

namespace kpx {

// The client library's connection, kept out of this header.
struct PgConnection;

// The capcode ledger of several stations on a PostgreSQL server. Every hand-out and every row
// is its own committed transaction before the pager is written or the next one starts. The
// tables are created and upgraded by the program itself; their version is kept in the
// database.
class PgLedger : public CapcodeLedger {
  public:
    // The schema this program writes.
    static constexpr int kSchemaVersion = 1;

    // Connects and brings the schema up to date. Nothing, with the reason in *error, when the
    // server cannot be reached (within the connect_timeout) or the schema is newer than this
    // program. `url` is a postgresql:// URL or a key=value string; no message ever holds its
    // password.
    static std::unique_ptr<PgLedger> Open(const std::string& url, std::string* error);
    ~PgLedger() override;

    // Starts this run on a series: `name`, made from the request if it is new. The station is
    // marked as running for as long as the connection lasts, so that its capcodes under way
    // can be told from those of a station that went away. False with *error.
    bool StartSeries(const std::string& name, const std::string& station,
                     const SeriesRequest& request, CapcodePair* next, std::string* error);

    std::optional<CapcodePair> Take(const std::string& port, std::string* refusal,
                                    std::string* error) override;
    bool Finish(const LogRow& row, std::string* error) override;
    void Stop() override;
    void Halt() override;
    int done() const override;
    int failed() const override;
    bool Over() const override;

    // Every series with its counts and capcodes under way.
    bool Status(std::vector<LedgerSeries>* series, std::string* error);
    // The rows, oldest first, as CSV with a header; of one series when `series` is given.
    bool Export(const std::optional<std::string>& series, std::ostream& out, std::string* error);

  private:
    PgLedger(LedgerConninfo info, std::unique_ptr<PgConnection> connection);
    bool OverLocked() const;
    // The failure of a database call: never the password, and the station stops.
    std::string Failure(const std::exception& e);

    LedgerConninfo info_;
    std::unique_ptr<PgConnection> connection_;
    mutable std::mutex mutex_;
    bool broken_ = false;
    // This run.
    std::string series_;
    std::string station_;
    AutoIncrease autoIncrease_;
    long long run_ = 0;
    int count_ = 0;
    int taken_ = 0;
    int done_ = 0;
    int failed_ = 0;
    bool stopped_ = false;
    bool halted_ = false;
    bool exhausted_ = false;
};

}  // namespace kpx
