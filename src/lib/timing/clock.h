#pragma once

#include <cstdint>
#include <optional>

namespace kpx {

// The program's view of time. The real one sits on std::chrono::steady_clock (platform/);
// tests use a clock they control.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed start, 32-bit like the multimedia tick it stands for.
    virtual std::int32_t TickMs() = 0;
    // Ticks per second of the high-resolution counter, or nothing when there is none.
    virtual std::optional<std::int64_t> PerfFrequency() = 0;
    virtual std::int64_t PerfCounter() = 0;
    // Gives the processor away for about ms milliseconds.
    virtual void SleepMs(int ms) = 0;
};

// Milliseconds from start to now on the wrapping 32-bit tick. Unsigned subtraction keeps the
// difference right across a wrap for any span shorter than 24.8 days.
inline std::int32_t TickDifference(std::int32_t now, std::int32_t start) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                     static_cast<std::uint32_t>(start));
}

// Milliseconds of TickMs since start, right across the wrap.
inline std::int32_t TicksSince(Clock& clock, std::int32_t start) {
    return TickDifference(clock.TickMs(), start);
}

// Lets pending window events run during a long wait (a no-op outside the GUI).
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void ProcessEvents() = 0;
};

class NullEventPump final : public EventPump {
  public:
    void ProcessEvents() override {}
};

}  // namespace kpx
