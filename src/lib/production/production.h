#pragma once

// production/: a production series: the capcode counter, its CSV log and the backups of what
// was programmed. It may use link/ and every layer below; nothing in the library uses it.

#include <array>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "link/link_host.h"
#include "settings/capcode.h"

namespace kpx {

// The production line: a series of pagers programmed with the programming dialog's
// auto-increase, on one or several boards, with a log of every pager.

// The capcodes that count up: "1", "2" or "1,2".
struct AutoIncrease {
    bool first = false;
    bool second = false;
    bool counts(int index) const { return index == 0 ? first : second; }
};
std::optional<AutoIncrease> ParseAutoIncrease(const std::string& text);

// Capcode 1 and capcode 2 of one pager.
using CapcodePair = std::array<std::int32_t, 2>;

// One row of the log.
struct LogRow {
    std::string time;  // ISO 8601, UTC
    std::string port;
    CapcodePair capcodes{};
    std::string sha256;
    std::string result;  // "ok" or "failed"
    std::string message;
};
inline constexpr const char* kLogHeader = "time,port,capcode1,capcode2,sha256,result,message";
// Whether a file's content may take the rows of a series: empty, or beginning with the header
// line. Rows appended to any other file (a table file, notes) would damage it.
bool IsProductionLog(const std::string& content);
inline constexpr const char* kResultOk = "ok";
inline constexpr const char* kResultFailed = "failed";
// A CSV field: quoted when it holds a comma or a quote; line breaks become blanks.
std::string CsvField(std::string text);
// One CSV line without the line end; fields with commas or quotes are quoted, line breaks in
// a message become blanks so that every pager keeps one line.
std::string FormatLogRow(const LogRow& row);
// The rows of a log. The header and blank lines are skipped; so are other lines that name no
// capcodes, each with a note in *warnings. A row cut short or with a result other than "ok" or
// "failed" (a run killed while writing it, a hand edit) comes back as "ok", with a note: its
// pager may hold those capcodes, and taking them again could make two pagers alike.
std::vector<LogRow> ParseLog(std::istream& in, std::vector<std::string>* warnings = nullptr);

// Where a series goes on from after the log's successful pagers: each counted capcode one past
// the highest one written; the others as in the file.
CapcodePair ResumeCapcodes(const std::vector<LogRow>& rows, AutoIncrease autoIncrease,
                           CapcodePair fromFile);

// The capcodes the log holds as failed and never as written, below where a resumed series goes
// on: a run stopped before their retry. Lowest first.
std::vector<CapcodePair> ResumeRetries(const std::vector<LogRow>& rows, AutoIncrease autoIncrease,
                                       CapcodePair resumeAt);

// The one capcode counter of a series that several boards share. Each pager takes the next
// capcodes; a pager that failed gives them back and the next pager takes them again, so every
// capcode is written once, lowest first. Capcodes the log already holds as written are refused.
class CapcodeCounter {
  public:
    // A count of 0 has no end.
    CapcodeCounter(CapcodePair start, AutoIncrease autoIncrease, int count,
                   const std::vector<LogRow>& logged);

    // The capcodes of the next pager; nothing when the series is over (the count reached, the
    // series stopped, or the capcodes refused: then *refusal says why).
    std::optional<CapcodePair> Take(std::string* refusal = nullptr);
    // The outcome of a pager that took `capcodes`.
    void Finish(const CapcodePair& capcodes, bool ok);
    // Capcodes to hand out again before any new ones (a resumed series' unfinished pagers).
    void GiveBack(const std::vector<CapcodePair>& capcodes);
    // No new capcodes (a capcode at the top of the range); failed ones are still retried.
    void Stop();
    // No pagers at all any more, not even the retries (the log cannot be written).
    void Halt();

    int done() const;
    int failed() const;
    bool Over() const;
    // The capcodes the next pager takes: a failed pager's first.
    CapcodePair Next() const;

  private:
    int Key(const CapcodePair& c) const { return autoIncrease_.first ? c[0] : c[1]; }
    bool OverLocked() const;
    std::vector<CapcodePair>::const_iterator LowestReturned() const;

    mutable std::mutex mutex_;
    CapcodePair next_;
    AutoIncrease autoIncrease_;
    int count_;
    std::array<std::set<std::int32_t>, 2> written_;
    std::vector<CapcodePair> returned_;
    int taken_ = 0;  // pagers under way
    int done_ = 0;
    int failed_ = 0;
    bool stopped_ = false;
    bool halted_ = false;
};

// The main window as one board of the line sees it: the band from the file, the capcode boxes
// read from the image, and a note of each capcode the dialog advanced.
class LineHost : public LinkHost {
  public:
    LineHost(PagerImage& image, int bandRow) : image_(image), bandRow_(bandRow) {}
    void SetBoardLine(const std::string&, std::uint32_t) override {}
    void SetPagerMenuEnabled(bool) override {}
    void StopWatchTimer() override {}
    void StartWatchTimer() override {}
    int BandRow() const override { return bandRow_; }
    bool ModifyModeSelected() const override { return false; }
    void RefreshControls() override {}
    void ImageReplacedByRead() override {}
    std::string CapcodeText(int index) const override;
    void SetCapcodeText(int index, const std::string&) override { advanced[index] = true; }
    void ReadCapcodes() override {}

    std::array<bool, 2> advanced{};

  private:
    PagerImage& image_;
    int bandRow_;
};

}  // namespace kpx
