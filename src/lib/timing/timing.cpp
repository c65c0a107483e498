#include "timing/timing.h"

#include <limits>
#include <stdexcept>

namespace kpx {

namespace {

constexpr std::int32_t kClockReadInterval = 1000;

}  // namespace

std::int32_t Timing::ElapsedMs(std::int32_t start) {
    return TicksSince(clock_, start);
}

void Timing::CountLoop() {
    const std::int32_t count = loopCounter_;
    if (count == std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error("timing loop counter overflows");
    }
    loopCounter_ = count + 1;
}

void Timing::DelayMs(double ms, EventPump& pump) {
    if (!(ms > 0)) return;
    const std::int32_t start = clock_.TickMs();
    while (ElapsedMs(start) < ms) {
        pump.ProcessEvents();
        clock_.SleepMs(1);
    }
}

void Timing::WaitMicroTick() {
    const auto frequency = clock_.PerfFrequency();
    if (!frequency || *frequency <= 0) {
        SpinLoop();
        return;
    }
    // Ticks times a million over the frequency: dividing by a rounded ticks-per-microsecond
    // instead can put exactly 25 us a hair above 25 and end the wait one tick early.
    const double perSecond = static_cast<double>(*frequency);
    const std::int64_t start = clock_.PerfCounter();
    while (static_cast<double>(clock_.PerfCounter() - start) * 1'000'000.0 / perSecond <=
           kMicroTickUs) {
    }
}

void Timing::CalibrateLoop() {
    loopCounter_ = 0;
    spinIterations_ = kDefaultSpinIterations;
    const std::int32_t start = clock_.TickMs();
    for (;;) {
        CountLoop();
        if (loopCounter_ % kClockReadInterval == 0 && ElapsedMs(start) > spinIterations_) {
            spinIterations_ = loopCounter_ / kClockReadInterval;
            return;
        }
    }
}

void Timing::SpinLoop() {
    loopCounter_ = 0;
    clock_.TickMs();
    while (loopCounter_ <= spinIterations_) {
        CountLoop();
        // Read like the calibration loop does, so an iteration costs the same.
        if (loopCounter_ % kClockReadInterval == 0) clock_.TickMs();
    }
}

}  // namespace kpx
