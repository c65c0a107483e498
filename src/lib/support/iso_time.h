#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace kpx {

using WallClock = std::chrono::system_clock;

// "2026-12-08T12:53:00Z", or with milliseconds "2026-12-08T12:53:00.123Z" (UTC).
std::string IsoTime(WallClock::time_point t, bool millis = false);
// "20261208_125300" (UTC), for file names.
std::string CompactTime(WallClock::time_point t);
// The moment a CompactTime text stands for; nothing when the text is not one.
std::optional<WallClock::time_point> ParseCompactTime(const std::string& text);

}  // namespace kpx
