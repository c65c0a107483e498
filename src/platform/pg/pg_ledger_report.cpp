// What `kpx41 ledger` reads from the PostgreSQL ledger: the series' state and the rows.
#include <ostream>

#include "platform/pg/pg_connection.h"
#include "platform/pg/pg_ledger.h"
#include "production/ledger_url.h"

namespace kpx {

namespace {

constexpr const char* kIsoUtc = "'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'";

std::string IsoColumn(const std::string& column) {
    return "to_char(" + column + " AT TIME ZONE 'UTC', " + kIsoUtc + ")";
}

}  // namespace

bool PgLedger::Status(std::vector<LedgerSeries>* all, std::string* error) {
    std::lock_guard lock(mutex_);
    all->clear();
    try {
        pqxx::read_transaction t(connection_->c);
        const pqxx::result series = t.exec(
            "SELECT s.name, s.auto_increase, s.next1, s.next2,"
            " (SELECT count(*) FROM kpx41_row r WHERE r.series = s.name AND r.result = 'ok'),"
            " (SELECT count(*) FROM kpx41_row r WHERE r.series = s.name AND r.result = 'failed')"
            " FROM kpx41_series s ORDER BY s.created, s.name");
        for (const pqxx::row& r : series) {
            LedgerSeries s;
            s.name = r[0].as<std::string>();
            s.autoIncrease = ParseAutoIncrease(r[1].as<std::string>()).value_or(AutoIncrease{});
            s.next = {r[2].as<std::int32_t>(), r[3].as<std::int32_t>()};
            s.ok = r[4].as<int>();
            s.failed = r[5].as<int>();
            const std::string key = s.autoIncrease.first ? "capcode1" : "capcode2";
            // A station that is running holds its run's lock; one that went away does not.
            const pqxx::result handouts = t.exec_params(
                "SELECT h.capcode1, h.capcode2, h.state, h.station, h.port, " +
                    IsoColumn("h.taken") +
                    ", EXISTS (SELECT 1 FROM pg_locks l WHERE l.locktype = 'advisory'"
                    " AND l.granted AND l.database = (SELECT oid FROM pg_database WHERE"
                    " datname = current_database()) AND l.classid = $2::int::oid"
                    " AND l.objid = (h.run % 2147483647)::int::oid AND l.objsubid = 2)"
                    " FROM kpx41_handout h WHERE h.series = $1 ORDER BY h." +
                    key,
                s.name, kRunLockKey);
            for (const pqxx::row& h : handouts) {
                LedgerHandout out;
                out.capcodes = {h[0].as<std::int32_t>(), h[1].as<std::int32_t>()};
                out.state = h[2].as<std::string>() == "returned" ? LedgerHandout::State::Returned
                            : h[6].as<bool>()                    ? LedgerHandout::State::UnderWay
                                                                 : LedgerHandout::State::Unknown;
                out.station = h[3].as<std::string>();
                out.port = h[4].as<std::string>();
                out.taken = h[5].as<std::string>();
                s.handouts.push_back(out);
            }
            const pqxx::result today = t.exec_params(
                "SELECT station, count(*) FILTER (WHERE result = 'ok'),"
                " EXTRACT(EPOCH FROM max(time) - min(coalesce(taken, time)))::float8 / 3600"
                " FROM kpx41_row WHERE series = $1 AND time >= date_trunc('day', now() AT TIME"
                " ZONE 'UTC') AT TIME ZONE 'UTC' GROUP BY station ORDER BY station",
                s.name);
            for (const pqxx::row& d : today) {
                s.today.push_back({d[0].as<std::string>(), d[1].as<int>(), d[2].as<double>()});
            }
            all->push_back(std::move(s));
        }
        t.commit();
        return true;
    } catch (const std::exception& e) {
        *error = "the ledger: " + LedgerMessage(e.what(), info_.secrets);
        return false;
    }
}

bool PgLedger::Export(const std::optional<std::string>& series, std::ostream& out,
                      std::string* error) {
    std::lock_guard lock(mutex_);
    try {
        pqxx::read_transaction t(connection_->c);
        const std::string query =
            "SELECT " + IsoColumn("time") +
            ", port, capcode1, capcode2, sha256, result, message, station, series"
            " FROM kpx41_row" +
            (series ? " WHERE series = $1" : "") + " ORDER BY time, id";
        const pqxx::result rows = series ? t.exec_params(query, *series) : t.exec(query);
        out << kLedgerExportHeader << "\n";
        for (const pqxx::row& r : rows) {
            LedgerRow row;
            row.row = {r[0].as<std::string>(),
                       r[1].as<std::string>(),
                       {r[2].as<std::int32_t>(), r[3].as<std::int32_t>()},
                       r[4].as<std::string>(),
                       r[5].as<std::string>(),
                       r[6].as<std::string>()};
            row.station = r[7].as<std::string>();
            row.series = r[8].as<std::string>();
            out << FormatLedgerRow(row) << "\n";
        }
        t.commit();
        return true;
    } catch (const std::exception& e) {
        *error = "the ledger: " + LedgerMessage(e.what(), info_.secrets);
        return false;
    }
}

}  // namespace kpx
