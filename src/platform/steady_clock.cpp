#include "platform/steady_clock.h"

#include <chrono>
#include <thread>

namespace kpx {

std::int32_t SteadyClock::TickMs() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    // A 32-bit tick that wraps, like the multimedia clock.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms & 0xFFFFFFFF));
}

std::int64_t SteadyClock::PerfCounter() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kpx
