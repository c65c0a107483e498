#pragma once

#include "timing/clock.h"

namespace kpx {

// The machine's monotonic clock. The millisecond tick counts from the first use in this
// process, so it stays clear of the 32-bit limit for over three weeks of running.
class SteadyClock final : public Clock {
public:
    std::int32_t TickMs() override;
    std::optional<std::int64_t> PerfFrequency() override;
    std::int64_t PerfCounter() override;
    void SleepMs(int ms) override;
};

}  // namespace kpx
