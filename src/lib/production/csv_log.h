#pragma once

#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "production/ledger.h"

namespace kpx {

// What goes before the first row appended to a log holding `content`: the header for a new
// log, a line end after a row cut short by a killed run, otherwise nothing.
std::string LogLead(const std::string& content);

// The ledger of one station: a CSV log file that the run holds for itself. The capcodes count
// in this process; the log keeps every pager's row and refuses capcodes it holds as written.
class CsvLog : public CapcodeLedger {
  public:
    CsvLog(std::string path, std::unique_ptr<AppendFile> file, CapcodePair start,
           const SeriesRequest& request, const std::vector<LogRow>& logged);

    // A series on the log at `path` whose text is `content`: its warnings on `err`, the
    // retries of a resumed series on `out`, and the header or a line end appended. Nothing,
    // with the reason on `err`, when the series cannot start.
    static std::unique_ptr<CsvLog> Start(const std::string& path, const std::string& content,
                                         std::unique_ptr<AppendFile> file,
                                         const SeriesRequest& request, std::ostream& out,
                                         std::ostream& err);

    std::optional<CapcodePair> Take(const std::string& port, std::string* refusal,
                                    std::string* error) override;
    bool Finish(const LogRow& row, std::string* error) override;
    void Stop() override { counter_.Stop(); }
    void Halt() override { counter_.Halt(); }
    int done() const override { return counter_.done(); }
    int failed() const override { return counter_.failed(); }
    bool Over() const override { return counter_.Over(); }
    std::optional<CapcodePair> NextCapcodes() const override { return counter_.Next(); }

    CapcodeCounter& counter() { return counter_; }

  private:
    std::string path_;
    std::unique_ptr<AppendFile> file_;
    CapcodeCounter counter_;
    std::mutex mutex_;
};

// A ledger whose rows also go to a local CSV log: the station's own copy of what it wrote.
// A row that cannot be copied stops the station as a row the ledger lost would.
class CopiedLedger : public CapcodeLedger {
  public:
    CopiedLedger(std::unique_ptr<CapcodeLedger> ledger, std::string path,
                 std::unique_ptr<AppendFile> file)
        : ledger_(std::move(ledger)), path_(std::move(path)), file_(std::move(file)) {}

    std::optional<CapcodePair> Take(const std::string& port, std::string* refusal,
                                    std::string* error) override {
        return ledger_->Take(port, refusal, error);
    }
    bool Finish(const LogRow& row, std::string* error) override;
    void Stop() override { ledger_->Stop(); }
    void Halt() override { ledger_->Halt(); }
    int done() const override { return ledger_->done(); }
    int failed() const override { return ledger_->failed(); }
    bool Over() const override { return ledger_->Over(); }
    std::optional<CapcodePair> NextCapcodes() const override { return ledger_->NextCapcodes(); }

  private:
    std::unique_ptr<CapcodeLedger> ledger_;
    std::string path_;
    std::unique_ptr<AppendFile> file_;
    std::mutex mutex_;
};

}  // namespace kpx
