#include "production/csv_log.h"

#include <ostream>
#include <sstream>

#include "link/programming_dialog.h"
#include "settings/capcode.h"

namespace kpx {

std::string LogLead(const std::string& content) {
    if (content.empty()) return std::string(kLogHeader) + "\n";
    return content.back() != '\n' ? "\n" : "";
}

CsvLog::CsvLog(std::string path, std::unique_ptr<AppendFile> file, CapcodePair start,
               const SeriesRequest& request, const std::vector<LogRow>& logged)
    : path_(std::move(path)),
      file_(std::move(file)),
      counter_(start, request.autoIncrease, request.count, logged) {}

std::unique_ptr<CsvLog> CsvLog::Start(const std::string& path, const std::string& content,
                                      std::unique_ptr<AppendFile> file,
                                      const SeriesRequest& request, std::ostream& out,
                                      std::ostream& err) {
    std::vector<std::string> warnings;
    std::istringstream text(content);
    const std::vector<LogRow> logged = ParseLog(text, &warnings);
    for (const std::string& w : warnings) err << path << ": " << w << "\n";

    CapcodePair start = request.fromFile;
    if (request.resume) start = ResumeCapcodes(logged, request.autoIncrease, start);
    for (int k = 0; k < 2; ++k) {
        if (request.autoIncrease.counts(k) && start[k] > kCapcodeMax) {
            err << CapcodeAtTopMessage(k) << "\n";
            return nullptr;
        }
    }
    auto log = std::make_unique<CsvLog>(path, std::move(file), start, request, logged);
    if (request.resume) {
        const auto retries = ResumeRetries(logged, request.autoIncrease, start);
        for (const CapcodePair& c : retries) {
            out << "capcodes " << CapcodeDigits(c[0]) << " " << CapcodeDigits(c[1])
                << " failed and were not written again: they go first\n";
        }
        log->counter_.GiveBack(retries);
    }
    std::string error;
    if (const std::string lead = LogLead(content);
        !lead.empty() && !log->file_->Append(lead, &error)) {
        err << path << ": cannot be written: " << error << "\n";
        return nullptr;
    }
    return log;
}

std::optional<CapcodePair> CsvLog::Take(const std::string&, std::string* refusal, std::string*) {
    std::string why;
    auto capcodes = counter_.Take(&why);
    if (!why.empty() && refusal) {
        *refusal = why + " " + path_ + "; --resume goes on after the last capcodes written";
    }
    return capcodes;
}

// Every row goes to the system at once, so a killed run keeps every row written so far. A row
// that cannot be written halts the series: without it the log no longer guards against
// programming those capcodes twice.
bool CsvLog::Finish(const LogRow& row, std::string* error) {
    counter_.Finish(row.capcodes, row.result == kResultOk);
    std::lock_guard lock(mutex_);
    std::string why;
    if (file_->Append(FormatLogRow(row) + "\n", &why)) return true;
    counter_.Halt();
    *error = path_ + ": cannot be written: " + why + "; capcodes " +
             CapcodeDigits(row.capcodes[0]) + " " + CapcodeDigits(row.capcodes[1]) + " (" +
             row.result + ") are missing from it or cut short; the series stops";
    return false;
}

bool CopiedLedger::Finish(const LogRow& row, std::string* error) {
    std::string why;
    bool copied;
    {
        std::lock_guard lock(mutex_);
        copied = file_->Append(FormatLogRow(row) + "\n", &why);
    }
    // The ledger gets the row either way: it is the record the other stations count on.
    const bool recorded = ledger_->Finish(row, error);
    if (copied || !recorded) return recorded;
    ledger_->Halt();
    *error = "cannot write the local copy " + path_ + ": " + why + "; capcodes " +
             CapcodeDigits(row.capcodes[0]) + " " + CapcodeDigits(row.capcodes[1]) + " (" +
             row.result + ") are in the ledger but missing from the copy; the series stops";
    return false;
}

}  // namespace kpx
