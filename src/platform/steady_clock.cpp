#include "platform/steady_clock.h"

#include <chrono>
#include <thread>

namespace kpx {

namespace {

using Steady = std::chrono::steady_clock;

Steady::time_point Epoch() {
    static const Steady::time_point epoch = Steady::now();
    return epoch;
}

}  // namespace

std::int32_t SteadyClock::TickMs() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - Epoch()).count();
    // Wraps like the 32-bit tick it stands for; the waits measure across a wrap.
    return static_cast<std::int32_t>(ms);
}

std::optional<std::int64_t> SteadyClock::PerfFrequency() {
    return static_cast<std::int64_t>(Steady::period::den / Steady::period::num);
}

std::int64_t SteadyClock::PerfCounter() {
    return static_cast<std::int64_t>(Steady::now().time_since_epoch().count());
}

void SteadyClock::SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kpx
