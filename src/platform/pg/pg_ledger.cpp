#include "platform/pg/pg_ledger.h"

#include "link/programming_dialog.h"
#include "platform/pg/pg_connection.h"
#include "production/ledger_url.h"
#include "settings/capcode.h"
#include "support/iso_time.h"

namespace kpx {

namespace {

// Each step brings the schema from its index to the next version.
const char* const kMigrations[] = {
    // 0 -> 1
    "CREATE TABLE kpx41_series ("
    "  name text PRIMARY KEY,"
    "  auto_increase text NOT NULL,"
    "  next1 integer NOT NULL,"
    "  next2 integer NOT NULL,"
    "  created timestamptz NOT NULL DEFAULT now());"
    "CREATE TABLE kpx41_handout ("
    "  series text NOT NULL REFERENCES kpx41_series (name),"
    "  capcode1 integer NOT NULL,"
    "  capcode2 integer NOT NULL,"
    "  state text NOT NULL CHECK (state IN ('taken', 'returned')),"
    "  station text NOT NULL,"
    "  port text NOT NULL,"
    "  run bigint NOT NULL,"
    "  taken timestamptz NOT NULL,"
    "  PRIMARY KEY (series, capcode1, capcode2));"
    "CREATE INDEX kpx41_handout_capcode1 ON kpx41_handout (capcode1);"
    "CREATE INDEX kpx41_handout_capcode2 ON kpx41_handout (capcode2);"
    "CREATE TABLE kpx41_row ("
    "  id bigserial PRIMARY KEY,"
    "  time timestamptz NOT NULL,"
    "  taken timestamptz,"
    "  port text NOT NULL,"
    "  capcode1 integer NOT NULL,"
    "  capcode2 integer NOT NULL,"
    "  sha256 text NOT NULL,"
    "  result text NOT NULL CHECK (result IN ('ok', 'failed')),"
    "  message text NOT NULL,"
    "  station text NOT NULL,"
    "  series text NOT NULL REFERENCES kpx41_series (name));"
    "CREATE INDEX kpx41_row_ok1 ON kpx41_row (capcode1) WHERE result = 'ok';"
    "CREATE INDEX kpx41_row_ok2 ON kpx41_row (capcode2) WHERE result = 'ok';"
    "CREATE INDEX kpx41_row_series ON kpx41_row (series, time);"
    "CREATE SEQUENCE kpx41_run;",
};
static_assert(std::size(kMigrations) == PgLedger::kSchemaVersion);

std::string Pair(const CapcodePair& c) {
    return CapcodeDigits(c[0]) + " " + CapcodeDigits(c[1]);
}

std::string Now() {
    return IsoTime(WallClock::now(), true);
}

}  // namespace

PgLedger::PgLedger(std::string url, std::unique_ptr<PgConnection> connection)
    : url_(std::move(url)), connection_(std::move(connection)) {}

PgLedger::~PgLedger() = default;

std::unique_ptr<PgLedger> PgLedger::Open(const std::string& url, std::string* error) {
    if (!IsLedgerUrl(url)) {
        *error = "the ledger " + RedactUrl(url) + " is no postgresql:// URL";
        return nullptr;
    }
    std::unique_ptr<PgConnection> c;
    try {
        c = std::make_unique<PgConnection>(url);
    } catch (const std::exception& e) {
        *error = "cannot reach the ledger " + RedactUrl(url) + ": " + LedgerMessage(e.what(), url);
        return nullptr;
    }
    std::unique_ptr<PgLedger> ledger(new PgLedger(url, std::move(c)));
    try {
        // One station at a time: two starting at once must not both create the tables.
        pqxx::work w(ledger->connection_->c);
        w.exec_params("SELECT pg_advisory_xact_lock($1, $2)", kLockKey, kSchemaLock);
        w.exec("CREATE TABLE IF NOT EXISTS kpx41_schema (version integer NOT NULL)");
        const pqxx::result r = w.exec("SELECT version FROM kpx41_schema");
        const int version = r.empty() ? 0 : r[0][0].as<int>();
        if (version > kSchemaVersion) {
            *error = "the ledger " + RedactUrl(url) + " has tables of version " +
                     std::to_string(version) + "; this program knows version " +
                     std::to_string(kSchemaVersion) + " and older";
            return nullptr;
        }
        for (int v = version; v < kSchemaVersion; ++v) w.exec(kMigrations[v]);
        if (version < kSchemaVersion) {
            w.exec("DELETE FROM kpx41_schema");
            w.exec_params("INSERT INTO kpx41_schema (version) VALUES ($1)", kSchemaVersion);
        }
        w.commit();
    } catch (const std::exception& e) {
        *error = "the ledger " + RedactUrl(url) +
                 ": cannot set up its tables: " + LedgerMessage(e.what(), url);
        return nullptr;
    }
    return ledger;
}

std::string PgLedger::Failure(const std::exception& e) {
    // A connection that broke once is not used again: a new one would not hold this run's
    // mark, and the capcodes it has under way would look like those of a running station.
    broken_ = true;
    halted_ = true;
    return LedgerMessage(e.what(), url_);
}

bool PgLedger::StartSeries(const std::string& name, const std::string& station,
                           const SeriesRequest& request, CapcodePair* next, std::string* error) {
    std::lock_guard lock(mutex_);
    series_ = name;
    station_ = station;
    autoIncrease_ = request.autoIncrease;
    count_ = request.count;
    const std::string autoText = AutoIncreaseText(request.autoIncrease);
    try {
        pqxx::work w(connection_->c);
        run_ = w.exec1("SELECT nextval('kpx41_run')")[0].as<long long>();
        w.exec_params(
            "INSERT INTO kpx41_series (name, auto_increase, next1, next2) VALUES ($1, $2, $3, $4)"
            " ON CONFLICT (name) DO NOTHING",
            name, autoText, request.fromFile[0], request.fromFile[1]);
        const pqxx::row r = w.exec_params1(
            "SELECT auto_increase, next1, next2 FROM kpx41_series WHERE name = $1", name);
        w.commit();
        if (r[0].as<std::string>() != autoText) {
            *error = "the series \"" + name + "\" counts capcodes " + r[0].as<std::string>() +
                     ", not --auto-increase " + autoText;
            return false;
        }
        *next = {r[1].as<std::int32_t>(), r[2].as<std::int32_t>()};
        // Held for the life of the connection: it goes with the process however that ends.
        pqxx::nontransaction n(connection_->c);
        n.exec_params("SELECT pg_advisory_lock($1, $2)", kRunLockKey,
                      static_cast<int>(run_ % 2147483647));
    } catch (const std::exception& e) {
        *error = "the ledger: " + Failure(e);
        return false;
    }
    for (int k = 0; k < 2; ++k) {
        if (request.autoIncrease.counts(k) && (*next)[k] > kCapcodeMax) {
            *error = CapcodeAtTopMessage(k);
            return false;
        }
    }
    return true;
}

bool PgLedger::OverLocked() const {
    return halted_ || exhausted_ || (count_ > 0 && done_ + taken_ >= count_);
}

std::optional<CapcodePair> PgLedger::Take(const std::string& port, std::string* refusal,
                                          std::string* error) {
    std::lock_guard lock(mutex_);
    if (OverLocked() || broken_) return std::nullopt;
    const int key = autoIncrease_.first ? 1 : 2;
    const std::string keyColumn = "capcode" + std::to_string(key);
    try {
        pqxx::work w(connection_->c);
        // One hand-out at a time across all stations and series, so that the check below
        // and the hand-out are one step.
        w.exec_params("SELECT pg_advisory_xact_lock($1, $2)", kLockKey, kTakeLock);
        const std::string now = Now();
        // A failed pager's capcodes go first, lowest first, on whichever station.
        const pqxx::result back = w.exec_params(
            "SELECT capcode1, capcode2 FROM kpx41_handout WHERE series = $1 AND state = "
            "'returned' ORDER BY " +
                keyColumn + " LIMIT 1",
            series_);
        CapcodePair c;
        if (!back.empty()) {
            c = {back[0][0].as<std::int32_t>(), back[0][1].as<std::int32_t>()};
            w.exec_params(
                "UPDATE kpx41_handout SET state = 'taken', station = $4, port = $5, run = $6,"
                " taken = $7::timestamptz WHERE series = $1 AND capcode1 = $2 AND capcode2 = $3",
                series_, c[0], c[1], station_, port, run_, now);
        } else {
            if (stopped_) {
                exhausted_ = true;
                return std::nullopt;
            }
            const pqxx::row next =
                w.exec_params1("SELECT next1, next2 FROM kpx41_series WHERE name = $1", series_);
            c = {next[0].as<std::int32_t>(), next[1].as<std::int32_t>()};
            for (int k = 0; k < 2; ++k) {
                if (!autoIncrease_.counts(k)) continue;
                // Past the top of the range there is nothing left to hand out.
                if (c[k] > kCapcodeMax) {
                    exhausted_ = true;
                    return std::nullopt;
                }
                const std::string column = "capcode" + std::to_string(k + 1);
                const pqxx::result seen =
                    w.exec_params("SELECT 1 FROM kpx41_row WHERE result = 'ok' AND " + column +
                                      " = $1 UNION ALL SELECT 1 FROM kpx41_handout WHERE " +
                                      column + " = $1 LIMIT 1",
                                  c[k]);
                if (!seen.empty()) {
                    exhausted_ = true;
                    *refusal = "capcode " + std::to_string(k + 1) + " = " + CapcodeDigits(c[k]) +
                               " is already written in the ledger";
                    return std::nullopt;
                }
            }
            w.exec_params(
                "INSERT INTO kpx41_handout (series, capcode1, capcode2, state, station, port,"
                " run, taken) VALUES ($1, $2, $3, 'taken', $4, $5, $6, $7::timestamptz)",
                series_, c[0], c[1], station_, port, run_, now);
            w.exec_params(
                "UPDATE kpx41_series SET next1 = next1 + $2, next2 = next2 + $3 WHERE name = $1",
                series_, autoIncrease_.first ? 1 : 0, autoIncrease_.second ? 1 : 0);
        }
        w.commit();
        ++taken_;
        return c;
    } catch (const std::exception& e) {
        *error = "the ledger cannot hand out capcodes: " + Failure(e) +
                 "; no pager was started; the series stops";
        return std::nullopt;
    }
}

bool PgLedger::Finish(const LogRow& row, std::string* error) {
    std::lock_guard lock(mutex_);
    --taken_;
    const bool ok = row.result == kResultOk;
    ok ? ++done_ : ++failed_;
    const std::string lost = "; capcodes " + Pair(row.capcodes) + " (" + row.result +
                             ") are handed out in the ledger without a row: their state is "
                             "unknown; the series stops";
    if (broken_) {
        *error = "the ledger is not reachable" + lost;
        return false;
    }
    try {
        pqxx::work w(connection_->c);
        // The hand-out ends with the row: a pager written ok is gone from it, a failed
        // pager's capcodes wait there for the next pager.
        const std::string handout =
            ok ? "DELETE FROM kpx41_handout" : "UPDATE kpx41_handout SET state = 'returned'";
        w.exec_params("WITH h AS (" + handout +
                          " WHERE series = $9 AND capcode1 = $3 AND capcode2 = $4"
                          " RETURNING taken)"
                          " INSERT INTO kpx41_row (time, taken, port, capcode1, capcode2, sha256,"
                          " result, message, station, series) VALUES ($1::timestamptz,"
                          " (SELECT taken FROM h), $2, $3, $4, $5, $6, $7, $8, $9)",
                      row.time, row.port, row.capcodes[0], row.capcodes[1], row.sha256, row.result,
                      row.message, station_, series_);
        w.commit();
        return true;
    } catch (const std::exception& e) {
        *error = "cannot write the row to the ledger: " + Failure(e) + lost;
        return false;
    }
}

void PgLedger::Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
}

void PgLedger::Halt() {
    std::lock_guard lock(mutex_);
    halted_ = true;
}

int PgLedger::done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

int PgLedger::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

bool PgLedger::Over() const {
    std::lock_guard lock(mutex_);
    return OverLocked() && taken_ == 0;
}

}  // namespace kpx
