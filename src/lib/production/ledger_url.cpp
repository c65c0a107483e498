#include "production/ledger_url.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "support/hex.h"

namespace kpx {

namespace {

constexpr std::string_view kMask = "***";

std::size_t SchemeEnd(const std::string& url) {
    for (std::string_view scheme : {"postgresql://", "postgres://"}) {
        if (url.compare(0, scheme.size(), scheme) == 0) return scheme.size();
    }
    return std::string::npos;
}

// Where the password of the user part starts and ends, if there is one.
bool UserPassword(const std::string& url, std::size_t* from, std::size_t* to) {
    const std::size_t start = SchemeEnd(url);
    if (start == std::string::npos) return false;
    const std::size_t authorityEnd = url.find_first_of("/?#", start);
    const std::size_t at =
        url.rfind('@', authorityEnd == std::string::npos ? url.size() - 1 : authorityEnd - 1);
    if (at == std::string::npos || at < start) return false;
    const std::size_t colon = url.find(':', start);
    if (colon == std::string::npos || colon > at) return false;
    *from = colon + 1;
    *to = at;
    return true;
}

// The value ranges of every password= in the query.
std::vector<std::pair<std::size_t, std::size_t>> QueryPasswords(const std::string& url) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const std::size_t query = url.find('?');
    if (query == std::string::npos) return ranges;
    std::size_t at = query + 1;
    while (at <= url.size()) {
        std::size_t end = url.find_first_of("&#", at);
        if (end == std::string::npos) end = url.size();
        constexpr std::string_view key = "password=";
        if (url.compare(at, key.size(), key) == 0) ranges.emplace_back(at + key.size(), end);
        if (end >= url.size() || url[end] == '#') break;
        at = end + 1;
    }
    return ranges;
}

// One key=value pair of a connection string, with where its value's text stands.
struct KeyValue {
    std::string key;
    std::string value;  // with the quotes and backslashes undone
    std::size_t from;   // the value as written, quotes included
    std::size_t to;
};

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The pairs of "host=db1 dbname='my db' password=se\ cret", read as libpq reads them;
// nothing when the text is no such string.
std::optional<std::vector<KeyValue>> KeyValues(const std::string& text) {
    std::vector<KeyValue> pairs;
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < text.size() && Blank(text[at])) ++at;
    };
    for (skipBlanks(); at < text.size(); skipBlanks()) {
        KeyValue kv;
        while (at < text.size() && !Blank(text[at]) && text[at] != '=') kv.key += text[at++];
        skipBlanks();
        if (kv.key.empty() || at >= text.size() || text[at] != '=') return std::nullopt;
        ++at;
        skipBlanks();
        kv.from = at;
        const bool quoted = at < text.size() && text[at] == '\'';
        if (quoted) ++at;
        bool closed = !quoted;
        for (; at < text.size(); ++at) {
            if (!quoted && Blank(text[at])) break;
            if (quoted && text[at] == '\'') {
                ++at;
                closed = true;
                break;
            }
            if (text[at] == '\\' && at + 1 < text.size()) ++at;
            kv.value += text[at];
        }
        if (!closed) return std::nullopt;
        kv.to = at;
        pairs.push_back(std::move(kv));
    }
    if (pairs.empty()) return std::nullopt;
    return pairs;
}

}  // namespace

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = HexDigitValue(text[i + 1]);
            const int lo = HexDigitValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

namespace {

// Where the passwords of a URL or a key=value string are written.
std::vector<std::pair<std::size_t, std::size_t>> PasswordRanges(const std::string& url) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    if (SchemeEnd(url) == std::string::npos) {
        if (const auto pairs = KeyValues(url)) {
            for (const KeyValue& kv : *pairs) {
                if (kv.key == "password") ranges.emplace_back(kv.from, kv.to);
            }
        }
        return ranges;
    }
    ranges = QueryPasswords(url);
    std::size_t from, to;
    if (UserPassword(url, &from, &to)) ranges.insert(ranges.begin(), {from, to});
    return ranges;
}

}  // namespace

bool IsLedgerUrl(const std::string& url) {
    return SchemeEnd(url) != std::string::npos || KeyValues(url).has_value();
}

std::string RedactUrl(const std::string& url) {
    const std::vector<std::pair<std::size_t, std::size_t>> ranges = PasswordRanges(url);
    std::string out;
    std::size_t at = 0;
    for (const auto& [f, t] : ranges) {
        out.append(url, at, f - at);
        out += kMask;
        at = t;
    }
    out.append(url, at, std::string::npos);
    return out;
}

std::vector<std::string> UrlSecrets(const std::string& url) {
    std::vector<std::string> secrets;
    auto add = [&secrets](const std::string& s) {
        if (s.empty()) return;
        for (const std::string& known : secrets) {
            if (known == s) return;
        }
        secrets.push_back(s);
    };
    if (SchemeEnd(url) == std::string::npos) {
        if (const auto pairs = KeyValues(url)) {
            for (const KeyValue& kv : *pairs) {
                if (kv.key != "password") continue;
                add(url.substr(kv.from, kv.to - kv.from));
                add(kv.value);
            }
        }
        return secrets;
    }
    std::vector<std::pair<std::size_t, std::size_t>> ranges = QueryPasswords(url);
    std::size_t from, to;
    if (UserPassword(url, &from, &to)) ranges.emplace_back(from, to);
    for (const auto& [f, t] : ranges) {
        const std::string raw = url.substr(f, t - f);
        add(raw);
        add(PercentDecoded(raw));
    }
    return secrets;
}

std::string ScrubSecrets(std::string text, const std::string& url) {
    return MaskSecrets(std::move(text), UrlSecrets(url));
}

std::string MaskSecrets(std::string text, std::vector<std::string> secrets) {
    // The longest first, so that a password holding another is masked whole.
    std::sort(secrets.begin(), secrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& s : secrets) {
        for (std::size_t at = text.find(s); at != std::string::npos;
             at = text.find(s, at + kMask.size())) {
            text.replace(at, s.size(), kMask);
        }
    }
    return text;
}

std::string LedgerMessage(const std::string& what, const std::string& url) {
    return LedgerMessage(what, UrlSecrets(url));
}

std::string LedgerMessage(const std::string& what, const std::vector<std::string>& secrets) {
    std::string line;
    for (char c : what) {
        if (c == '\n' || c == '\t' || c == '\r') c = ' ';
        if (c == ' ' && (line.empty() || line.back() == ' ')) continue;
        line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return MaskSecrets(line, secrets);
}

}  // namespace kpx
