#include "production/production.h"

#include <algorithm>
#include <istream>

#include "settings/capcode.h"

namespace kpx {

std::optional<AutoIncrease> ParseAutoIncrease(const std::string& text) {
    if (text == "1") return AutoIncrease{true, false};
    if (text == "2") return AutoIncrease{false, true};
    if (text == "1,2" || text == "2,1") return AutoIncrease{true, true};
    return std::nullopt;
}

std::string CsvField(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::optional<std::int32_t> CapcodeField(const std::string& text) {
    if (text.empty() || text.size() > 8 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(std::stol(text));
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string FormatLogRow(const LogRow& row) {
    return CsvField(row.time) + "," + CsvField(row.port) + "," + CapcodeDigits(row.capcodes[0]) +
           "," + CapcodeDigits(row.capcodes[1]) + "," + CsvField(row.sha256) + "," +
           CsvField(row.result) + "," + CsvField(row.message);
}

bool IsProductionLog(const std::string& content) {
    if (content.empty()) return true;
    std::string first = content.substr(0, content.find('\n'));
    if (!first.empty() && first.back() == '\r') first.pop_back();
    return first == kLogHeader;
}

std::vector<LogRow> ParseLog(std::istream& in, std::vector<std::string>* warnings) {
    std::vector<LogRow> rows;
    std::string line;
    auto warn = [warnings](int number, const std::string& text) {
        if (warnings) warnings->push_back("line " + std::to_string(number) + " " + text);
    };
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line == kLogHeader) continue;
        auto f = SplitCsv(line);
        const auto c1 = f.size() >= 4 ? CapcodeField(Trimmed(f[2])) : std::nullopt;
        const auto c2 = f.size() >= 4 ? CapcodeField(Trimmed(f[3])) : std::nullopt;
        if (!c1 || !c2) {
            warn(number, "names no capcodes and is skipped");
            continue;
        }
        f.resize(std::max<std::size_t>(f.size(), 7));
        std::string result = Trimmed(f[5]);
        if (result != kResultOk && result != kResultFailed) {
            warn(number, "has no result ok or failed; capcodes " + CapcodeDigits(*c1) + " " +
                             CapcodeDigits(*c2) + " count as written");
            result = kResultOk;
        }
        rows.push_back({f[0], f[1], {*c1, *c2}, f[4], result, f[6]});
    }
    return rows;
}

CapcodePair ResumeCapcodes(const std::vector<LogRow>& rows, AutoIncrease autoIncrease,
                           CapcodePair fromFile) {
    CapcodePair next = fromFile;
    std::array<bool, 2> seen{};
    for (const LogRow& row : rows) {
        if (row.result != kResultOk) continue;
        for (int k = 0; k < 2; ++k) {
            if (!autoIncrease.counts(k)) continue;
            if (!seen[k] || row.capcodes[k] + 1 > next[k]) next[k] = row.capcodes[k] + 1;
            seen[k] = true;
        }
    }
    return next;
}

std::vector<CapcodePair> ResumeRetries(const std::vector<LogRow>& rows, AutoIncrease autoIncrease,
                                       CapcodePair resumeAt) {
    const int key = autoIncrease.first ? 0 : 1;
    if (!autoIncrease.counts(key)) return {};
    std::set<std::int32_t> written;
    for (const LogRow& row : rows) {
        if (row.result == kResultOk) written.insert(row.capcodes[key]);
    }
    std::vector<CapcodePair> retries;
    for (const LogRow& row : rows) {
        const std::int32_t c = row.capcodes[key];
        if (row.result == kResultOk || c >= resumeAt[key] || written.count(c)) continue;
        written.insert(c);  // once each
        retries.push_back(row.capcodes);
    }
    std::sort(retries.begin(), retries.end(),
              [key](const CapcodePair& a, const CapcodePair& b) { return a[key] < b[key]; });
    return retries;
}

CapcodeCounter::CapcodeCounter(CapcodePair start, AutoIncrease autoIncrease, int count,
                               const std::vector<LogRow>& logged)
    : next_(start), autoIncrease_(autoIncrease), count_(count) {
    for (const LogRow& row : logged) {
        if (row.result != kResultOk) continue;
        for (int k = 0; k < 2; ++k) written_[k].insert(row.capcodes[k]);
    }
}

bool CapcodeCounter::OverLocked() const {
    // Once no new capcodes are left, the failed ones still get their retry.
    return halted_ || (stopped_ && returned_.empty()) || (count_ > 0 && done_ + taken_ >= count_);
}

bool CapcodeCounter::Over() const {
    std::lock_guard lock(mutex_);
    return OverLocked() && taken_ == 0;
}

std::vector<CapcodePair>::const_iterator CapcodeCounter::LowestReturned() const {
    return std::min_element(
        returned_.begin(), returned_.end(),
        [this](const CapcodePair& a, const CapcodePair& b) { return Key(a) < Key(b); });
}

CapcodePair CapcodeCounter::Next() const {
    std::lock_guard lock(mutex_);
    return returned_.empty() ? next_ : *LowestReturned();
}

std::optional<CapcodePair> CapcodeCounter::Take(std::string* refusal) {
    std::lock_guard lock(mutex_);
    if (OverLocked()) return std::nullopt;
    CapcodePair c;
    if (!returned_.empty()) {
        const auto lowest = LowestReturned();
        c = *lowest;
        returned_.erase(lowest);
    } else {
        c = next_;
        for (int k = 0; k < 2; ++k) {
            if (!autoIncrease_.counts(k)) continue;
            // Past the top of the range there is nothing left to hand out.
            if (c[k] > kCapcodeMax) {
                stopped_ = true;
                return std::nullopt;
            }
            if (written_[k].count(c[k])) {
                stopped_ = true;
                if (refusal) {
                    *refusal = "capcode " + std::to_string(k + 1) + " = " + CapcodeDigits(c[k]) +
                               " is already written in the log";
                }
                return std::nullopt;
            }
        }
        for (int k = 0; k < 2; ++k) {
            if (autoIncrease_.counts(k)) ++next_[k];
        }
    }
    ++taken_;
    return c;
}

void CapcodeCounter::Finish(const CapcodePair& capcodes, bool ok) {
    std::lock_guard lock(mutex_);
    --taken_;
    if (ok) {
        ++done_;
        for (int k = 0; k < 2; ++k) {
            if (autoIncrease_.counts(k)) written_[k].insert(capcodes[k]);
        }
    } else {
        ++failed_;
        returned_.push_back(capcodes);
    }
}

void CapcodeCounter::GiveBack(const std::vector<CapcodePair>& capcodes) {
    std::lock_guard lock(mutex_);
    returned_.insert(returned_.end(), capcodes.begin(), capcodes.end());
}

void CapcodeCounter::Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
}

void CapcodeCounter::Halt() {
    std::lock_guard lock(mutex_);
    halted_ = true;
}

int CapcodeCounter::done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

int CapcodeCounter::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

std::string LineHost::CapcodeText(int index) const {
    return kpx::CapcodeText(image_, index);
}

}  // namespace kpx
