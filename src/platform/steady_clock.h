#pragma once

#include "timing/clock.h"

namespace kpx {

// The real clock: std::chrono::steady_clock, with its nanosecond count as the fine counter.
class SteadyClock : public Clock {
public:
    std::int32_t TickMs() override;
    std::optional<std::int64_t> PerfFrequency() override { return 1'000'000'000; }
    std::int64_t PerfCounter() override;
    void SleepMs(int ms) override;
};

}  // namespace kpx
