// Reading a production log back, as a workshop's file may hold anything: rows of old runs, a
// row cut short by a kill, hand edits. Every row read must name a result the line knows, come
// back the same when written out again, and --resume must go past every capcode written.
#include <sstream>

#include "fuzz_support.h"
#include "production/production.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "production_log";

bool Same(const LogRow& a, const LogRow& b) {
    return a.time == b.time && a.port == b.port && a.capcodes == b.capcodes &&
           a.sha256 == b.sha256 && a.result == b.result && a.message == b.message;
}

// A field as it comes back from a row written out: line breaks become blanks.
std::string Written(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

int Fuzz_production_log(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::vector<std::string> warnings;
    const std::vector<LogRow> rows = ParseLog(in, &warnings);

    // A line gives a row (with a note if it is doubtful) or a note that it was skipped.
    std::size_t lines = 0, skipped = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    for (const std::string& w : warnings) skipped += w.ends_with("is skipped") ? 1 : 0;
    Check(rows.size() + skipped <= lines + 1, kName, "more rows and skipped lines than lines");

    std::string rendered = std::string(kLogHeader) + "\n";
    for (const LogRow& row : rows) {
        Check(row.result == kResultOk || row.result == kResultFailed, kName,
              "a row with a result other than ok or failed");
        for (std::int32_t c : row.capcodes) Check(c >= 0 && c <= 99999999, kName, "capcode range");
        rendered += FormatLogRow(row) + "\n";
    }
    std::istringstream again(rendered);
    std::vector<std::string> none;
    const std::vector<LogRow> back = ParseLog(again, &none);
    Check(none.empty(), kName, "a row written out reads back with a note");
    Check(back.size() == rows.size(), kName, "rows written out read back as other rows");
    for (std::size_t i = 0; i < rows.size() && i < back.size(); ++i) {
        LogRow expected = rows[i];
        expected.time = Written(expected.time);
        expected.port = Written(expected.port);
        expected.sha256 = Written(expected.sha256);
        expected.message = Written(expected.message);
        Check(Same(back[i], expected), kName, "a row does not survive being written out");
    }

    for (const AutoIncrease a :
         {AutoIncrease{true, false}, AutoIncrease{false, true}, AutoIncrease{true, true}}) {
        const CapcodePair next = ResumeCapcodes(rows, a, {0, 0});
        for (const LogRow& row : rows) {
            if (row.result != kResultOk) continue;
            for (int k = 0; k < 2; ++k) {
                if (a.counts(k))
                    Check(next[k] > row.capcodes[k], kName, "resume at a written capcode");
            }
        }
    }
    return 0;
}

}  // namespace kpx::fuzz
