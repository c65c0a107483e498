#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "link/frame_trace.h"
#include "link/port_io.h"

namespace kpx {

// A PortIo that hands every access to another one and logs the two-wire bus transactions the
// accesses make, one line per start condition, in the frame trace's format:
//   2026-12-08T12:53:00.123Z 0x378 S >a0+ >10+            (select for writing, address 0x10)
//   2026-12-08T12:53:00.124Z 0x378 S >a1+ <4b+ <50- P     (read select, two bytes in, stop)
//   2026-12-08T12:53:00.200Z 0x378 # release
// S is a start, P a stop; >xx a byte the PC sent, <xx one it received; + the byte was
// acknowledged (by the memory after a byte sent, by the PC after one received), - it was not.
// ?bits are clock pulses that made no whole byte before the next start or stop. "# sda high" or
// "# sda low" is a look at the data line outside any clock pulse (the port probe).
// Bits are told from the lines as the PC sees them: the data line read back while the clock is
// high, or else the level the PC drives. A write that moves both lines moves the data line while
// the clock is low, as the link means it.
class TracingPortIo : public PortIo {
  public:
    explicit TracingPortIo(PortIo& inner, FrameTrace* trace = nullptr)
        : inner_(inner), trace_(trace) {}
    void SetTrace(FrameTrace* trace) { trace_ = trace; }

    std::uint8_t In(std::uint16_t port) override;
    void Out(std::uint16_t port, std::uint8_t value) override;
    void Release() override;

  private:
    std::string PortName() const;
    void ClockFell();
    void Start();
    void Stop();
    void Flush();
    void StrayBits();

    PortIo& inner_;
    FrameTrace* trace_;

    std::uint16_t base_ = 0;
    bool sclHigh_ = true;
    bool sdaHigh_ = true;
    bool pulse_ = false;        // the clock rose since the last start: its fall ends a bit
    bool sampled_ = false;      // the data line was read during this clock pulse
    bool sampledHigh_ = false;  // and what it read
    std::vector<bool> bits_;    // line level of each pulse since the last byte
    bool received_ = false;     // the PC read the line in this byte's data bits
    std::string segment_;
};

// A bus trace read back: one segment per line, from its start (or the first byte after a port
// event) to the next start or the stop.
struct BusByte {
    std::uint8_t value;
    bool received;  // the PC read it from the memory
    bool acked;
};
struct BusSegment {
    std::string port;
    bool started = false;
    std::vector<BusByte> bytes;
    bool stopped = false;
};
std::vector<BusSegment> DecodeBusTrace(std::istream& in);

// What the segments did to a 24C16 memory, as it would have taken them: bytes read at their
// addresses, and the bytes of each write that a stop completed.
struct MemoryAccess {
    int address;
    std::uint8_t value;
    bool write;
};
std::vector<MemoryAccess> MemoryAccesses(const std::vector<BusSegment>& segments);

}  // namespace kpx
