#include "support/iso_time.h"

#include <cctype>
#include <cstdio>

namespace kpx {

namespace {

struct Civil {
    int year;
    unsigned month, day;
    long hours, minutes, seconds, millis;
};

Civil Split(WallClock::time_point t) {
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(t);
    const auto day = floor<days>(ms);
    const year_month_day ymd{day};
    const hh_mm_ss hms{ms - day};
    return {static_cast<int>(ymd.year()),
            static_cast<unsigned>(ymd.month()),
            static_cast<unsigned>(ymd.day()),
            static_cast<long>(hms.hours().count()),
            static_cast<long>(hms.minutes().count()),
            static_cast<long>(hms.seconds().count()),
            static_cast<long>(hms.subseconds().count())};
}

}  // namespace

std::string IsoTime(WallClock::time_point t, bool millis) {
    const Civil c = Split(t);
    char text[40];
    if (millis) {
        std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%03ldZ", c.year, c.month,
                      c.day, c.hours, c.minutes, c.seconds, c.millis);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02ldZ", c.year, c.month,
                      c.day, c.hours, c.minutes, c.seconds);
    }
    return text;
}

std::string CompactTime(WallClock::time_point t) {
    const Civil c = Split(t);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02u%02u_%02ld%02ld%02ld", c.year, c.month, c.day,
                  c.hours, c.minutes, c.seconds);
    return text;
}

std::optional<WallClock::time_point> ParseCompactTime(const std::string& text) {
    if (text.size() != 15 || text[8] != '_') return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 8 && !std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    }
    auto num = [&](std::size_t at, std::size_t n) { return std::stoi(text.substr(at, n)); };
    using namespace std::chrono;
    const year_month_day ymd{year(num(0, 4)), month(static_cast<unsigned>(num(4, 2))),
                             day(static_cast<unsigned>(num(6, 2)))};
    const int h = num(9, 2), m = num(11, 2), s = num(13, 2);
    if (!ymd.ok() || h > 23 || m > 59 || s > 59) return std::nullopt;
    return sys_days(ymd) + hours(h) + minutes(m) + seconds(s);
}

}  // namespace kpx
