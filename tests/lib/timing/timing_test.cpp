#include "timing/timing.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

using testing::CountingPump;
using testing::FakeClock;

TEST(Timing, DelayMsOfZeroOrLessReturnsWithoutRunningEvents) {
    FakeClock clock;
    CountingPump pump;
    Timing timing(clock);
    for (double ms : {0.0, -1.0, -1000.0}) timing.DelayMs(ms, pump);
    EXPECT_EQ(pump.calls, 0);
    EXPECT_EQ(clock.sleeps(), 0);
}

TEST(Timing, DelayMsSleepsInMillisecondStepsAndRunsEventsBetween) {
    struct Case {
        std::int32_t startTick;
        double ms;
        int polls;
    };
    // Starting below zero crosses the tick's sign without harm.
    const Case cases[] = {{0, 5, 5}, {-3, 10, 10}, {1000, 0.5, 1}, {0, 2.5, 3}};
    for (const Case& c : cases) {
        FakeClock clock;
        clock.SetTick(c.startTick);
        CountingPump pump;
        Timing timing(clock);
        timing.DelayMs(c.ms, pump);
        EXPECT_EQ(pump.calls, c.polls) << c.ms;
        EXPECT_EQ(clock.sleeps(), c.polls) << c.ms;
        EXPECT_GE(TickDifference(clock.TickMs(), c.startTick), c.ms);
    }
}

// After 24.8 days of running the 32-bit tick wraps from its top to its bottom. No wait may
// throw there or end early.
TEST(Timing, WaitsRunRightAcrossTheTickWrap) {
    constexpr std::int32_t kTop = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t start : {kTop - 3, kTop, kTop - 9}) {
        SCOPED_TRACE(start);
        FakeClock clock;
        clock.SetTick(start);
        CountingPump pump;
        Timing timing(clock);
        ASSERT_NO_THROW(timing.DelayMs(10, pump));
        EXPECT_EQ(pump.calls, 10) << "one poll a millisecond, as away from the wrap";
        EXPECT_EQ(TickDifference(clock.TickMs(), start), 10);

        // The calibration reads the clock across the wrap too.
        clock.SetTick(start);
        clock.SetTickStep(1);
        ASSERT_NO_THROW(timing.CalibrateLoop());
        EXPECT_EQ(timing.spinIterations(), 26);
    }
}

TEST(Timing, CalibrationCountsThousandsOfIterationsIn25Ms) {
    FakeClock clock;
    clock.SetTickStep(1);  // every reading of the clock is one millisecond later
    Timing timing(clock);
    EXPECT_EQ(timing.spinIterations(), 25);
    timing.CalibrateLoop();
    // The clock is read every 1000 iterations; the 26th reading is the first past 25 ms.
    EXPECT_EQ(timing.spinIterations(), 26);
    EXPECT_EQ(timing.loopCounter(), 26000);

    clock.SetTickStep(30);  // a slow machine: past 25 ms at the first reading
    timing.CalibrateLoop();
    EXPECT_EQ(timing.spinIterations(), 1);
}

TEST(Timing, WaitMicroTickWithoutPerformanceCounterRunsTheSpinLoop) {
    FakeClock clock;
    clock.SetTickStep(1);
    Timing timing(clock);
    timing.WaitMicroTick();  // uncalibrated: the preset 25
    EXPECT_EQ(timing.loopCounter(), 26);

    timing.CalibrateLoop();
    const long readsBefore = clock.tickReads();
    timing.WaitMicroTick();
    EXPECT_EQ(timing.loopCounter(), timing.spinIterations() + 1);
    EXPECT_EQ(clock.tickReads() - readsBefore, 1);  // fewer than 1000 iterations: one reading
}

TEST(Timing, WaitMicroTickReturnsOnceMoreThan25MicrosecondsHavePassed) {
    struct Case {
        std::int64_t frequency;  // one tick per reading
        std::int64_t ticksFor25Us;
    };
    // At 2.28 MHz, 57 ticks are exactly 25 us, a value that rounding can push just above 25.
    const Case cases[] = {{2'000'000, 50}, {2'280'000, 57}, {4'520'000, 113}};
    for (const Case& c : cases) {
        FakeClock clock;
        clock.SetPerfCounter(c.frequency, 1);
        Timing timing(clock);
        timing.WaitMicroTick();
        // Start read at 1; 25 us are reached at 1 + ticksFor25Us and only the reading after
        // that is past them, so the next reading here is two further on.
        EXPECT_EQ(clock.PerfCounter(), 1 + c.ticksFor25Us + 2) << c.frequency;
        EXPECT_EQ(timing.loopCounter(), 0);  // the spin loop did not run
    }
}

}  // namespace
}  // namespace kpx
