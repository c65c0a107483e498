#include "platform/pg/open_ledger.h"

#include <unistd.h>

#include <ostream>

#include "platform/locked_log.h"
#include "platform/pg/pg_ledger.h"
#include "production/csv_log.h"
#include "production/ledger_report.h"
#include "production/production.h"
#include "support/file_message.h"

namespace kpx {

namespace {

// The log locked for the whole run and read under the lock: two runs on one log would hand
// out the same capcodes. Rows are appended only to a production log: a table file or notes
// named by mistake are left as they are.
std::unique_ptr<LockedLog> OpenLog(const std::string& path, std::string* content, std::ostream& err,
                                   bool* notALog) {
    std::string error;
    std::unique_ptr<LockedLog> log = LockedLog::Open(path, &error);
    if (!log || !log->ReadAll(content, &error)) {
        err << FileMessage(path, error) << "\n";
        return nullptr;
    }
    if (!IsProductionLog(*content)) {
        err << FileMessage(path, std::string("not a production log (its first line is not \"") +
                                     kLogHeader + "\"); it is left as it is")
            << "\n";
        if (notALog) *notALog = true;
        return nullptr;
    }
    return log;
}

}  // namespace

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

std::unique_ptr<CapcodeLedger> OpenLedger(const LedgerChoice& choice, const SeriesRequest& request,
                                          std::ostream& out, std::ostream& err, bool* notALog,
                                          const std::string& who) {
    if (!choice.ledger) {
        std::string content;
        std::unique_ptr<LockedLog> log = OpenLog(choice.log, &content, err, notALog);
        if (!log) return nullptr;
        return CsvLog::Start(choice.log, content, std::move(log), request, out, err);
    }
    std::string error;
    std::unique_ptr<PgLedger> ledger = PgLedger::Open(*choice.ledger, &error);
    if (!ledger) {
        err << who << error << "\n";
        return nullptr;
    }
    const std::string series =
        choice.series.value_or(DefaultSeriesName(request.fromFile, request.autoIncrease));
    CapcodePair next;
    if (!ledger->StartSeries(series, choice.station.value_or(HostName()), request, &next, &error)) {
        err << who << error << "\n";
        return nullptr;
    }
    out << "series \"" << series << "\" goes on at capcodes " << CapcodeDigits(next[0]) << " "
        << CapcodeDigits(next[1]) << "\n";
    if (choice.log.empty()) return ledger;

    std::string content;
    std::unique_ptr<LockedLog> copy = OpenLog(choice.log, &content, err, notALog);
    if (!copy) return nullptr;
    if (const std::string lead = LogLead(content); !lead.empty() && !copy->Append(lead, &error)) {
        err << FileMessage(choice.log, "cannot be written: " + error) << "\n";
        return nullptr;
    }
    return std::make_unique<CopiedLedger>(std::move(ledger), choice.log, std::move(copy));
}

}  // namespace kpx
