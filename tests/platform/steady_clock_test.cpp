#include "platform/steady_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "testsupport/fakes.h"
#include "timing/timing.h"

namespace kpx {
namespace {

using Steady = std::chrono::steady_clock;

double MsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

TEST(SteadyClock, TicksInMillisecondsAndHasANanosecondCounter) {
    SteadyClock clock;
    ASSERT_TRUE(clock.PerfFrequency().has_value());
    EXPECT_GE(*clock.PerfFrequency(), 1'000'000);
    const std::int32_t tick = clock.TickMs();
    const std::int64_t counter = clock.PerfCounter();
    clock.SleepMs(20);
    EXPECT_GE(clock.TickMs() - tick, 19);
    EXPECT_GE(clock.PerfCounter() - counter, *clock.PerfFrequency() / 1000 * 19);
}

TEST(SteadyClock, DelayMsWaitsWithoutSpinningACore) {
    SteadyClock clock;
    testing::CountingPump pump;
    Timing timing(clock);
    const std::clock_t cpuStart = std::clock();
    const auto start = Steady::now();
    timing.DelayMs(200, pump);
    const double wallMs = MsSince(start);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    EXPECT_GE(wallMs, 199.0);
    EXPECT_LT(wallMs, 1000.0);
    EXPECT_LT(cpuMs, 0.25 * wallMs) << "cpu " << cpuMs << " ms of " << wallMs << " ms";
    EXPECT_GT(pump.calls, 20);  // events keep running while it waits
    RecordProperty("delay_cpu_ms", std::to_string(cpuMs));
}

TEST(SteadyClock, MicroTickWaitsOver25Microseconds) {
    SteadyClock clock;
    Timing timing(clock);
    // The calibration counts for more than 25 ms of real time, and at least one thousand
    // loops (one reading of the clock) went into what it found.
    const auto calibrationStart = Steady::now();
    timing.CalibrateLoop();
    EXPECT_GT(MsSince(calibrationStart), 25.0);
    EXPECT_GE(timing.spinIterations(), 1);
    const auto start = Steady::now();
    for (int i = 0; i < 100; ++i) timing.WaitMicroTick();
    EXPECT_GE(MsSince(start), 100 * 0.025);
    RecordProperty("spin_iterations", timing.spinIterations());

    // The calibrated fallback lasts about as long (loosely: machines under load vary).
    const auto spinStart = Steady::now();
    for (int i = 0; i < 100; ++i) timing.SpinLoop();
    const double spinUs = MsSince(spinStart) * 10.0;
    EXPECT_GT(spinUs, 2.5);
    RecordProperty("spin_loop_us", std::to_string(spinUs));
}

}  // namespace
}  // namespace kpx
