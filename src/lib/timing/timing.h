#pragma once

// timing/: the clock and delay interfaces, their calibration and the power-of-two routines.
// It may use support/.

#include <cstdint>

#include "timing/clock.h"

namespace kpx {

// The program's waits: millisecond pauses that keep the window alive, and the short busy wait
// between edges of the parallel-port bus with its calibrated fallback.
class Timing {
  public:
    // Iterations of SpinLoop assumed for about 25 microseconds until CalibrateLoop has run.
    static constexpr std::int32_t kDefaultSpinIterations = 25;
    static constexpr double kMicroTickUs = 25.0;

    explicit Timing(Clock& clock) : clock_(clock) {}

    // Returns once at least ms milliseconds of TickMs have passed, letting pending events run
    // between polls; each poll sleeps about 1 ms so the wait never spins a core. ms <= 0 returns
    // at once without running events. The tick may wrap during the wait (after 24.8 days of
    // running): the elapsed time is the wrap-safe difference, so the wait neither throws nor
    // ends early.
    void DelayMs(double ms, EventPump& pump);

    // Busy-waits until more than 25 microseconds have passed on the performance counter; runs
    // SpinLoop when the clock has none.
    void WaitMicroTick();

    // Measures how many loop iterations take 25 ms and keeps a thousandth of it, that is the
    // iterations for about 25 microseconds. Takes a little over 25 ms.
    void CalibrateLoop();

    // A busy loop of spinIterations + 1 iterations.
    void SpinLoop();

    std::int32_t spinIterations() const { return spinIterations_; }
    std::int32_t loopCounter() const { return loopCounter_; }

  private:
    void CountLoop();
    std::int32_t ElapsedMs(std::int32_t start);

    Clock& clock_;
    // volatile: the loops exist to take time, the optimiser must not fold them away.
    volatile std::int32_t loopCounter_ = 0;
    std::int32_t spinIterations_ = kDefaultSpinIterations;
};

}  // namespace kpx
