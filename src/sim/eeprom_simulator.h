#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "link/port_io.h"
#include "timing/clock.h"

namespace kpx::sim {

inline constexpr int kEepromSize = 2048;
using EepromMemory = std::array<std::uint8_t, kEepromSize>;

// Faults the memory can be told to make.
enum class EepromFault {
    None,
    NeverAck,           // no select byte is ever acknowledged
    AckFromTenthStart,  // select bytes are acknowledged only from the tenth start condition on
    FlipBit,            // the byte at faultAddress reads with flipMask flipped
    NoDataAck,          // a data byte written to faultAddress is not acknowledged (nor stored)
};

struct EepromFaultPlan {
    EepromFault fault = EepromFault::None;
    int faultAddress = 0;
    std::uint8_t flipMask = 0x01;
};

struct EepromOptions {
    std::uint16_t base = 0x378;  // data register; the status register is base + 1
    // Memory at power-up; blank (0xFF) when not given.
    std::optional<EepromMemory> memory;
    EepromFaultPlan fault;
    int writeCycleMs = 5;  // after a STOP that ends a write, select bytes go unanswered this long
};

// A 24C16 serial EEPROM on the two-wire bus of a parallel port, at bit level. It sees the bus
// only through data-register writes (bit 0 clock, bit 1 data; 1 pulls the line low) and answers
// only through status bit 3 (1 while the data line is low). It holds 2 KB in eight blocks of 256
// chosen by select bits 1-3, writes through a 16-byte page buffer whose address wraps inside the
// page, programs the page on STOP, and serves random, current-address and sequential reads.
class EepromSimulator final : public PortIo {
  public:
    EepromSimulator(Clock& clock, EepromOptions options = {});

    std::uint8_t In(std::uint16_t port) override;
    void Out(std::uint16_t port, std::uint8_t value) override;
    void Release() override { ++releases_; }
    void SetFault(EepromFaultPlan fault) { options_.fault = fault; }
    void SetWriteCycleMs(int ms) { options_.writeCycleMs = ms; }

    const EepromMemory& memory() const { return memory_; }
    EepromMemory& memory() { return memory_; }

    long dataWrites() const { return dataWrites_; }
    int starts() const { return starts_; }
    int pagesWritten() const { return pagesWritten_; }
    int releases() const { return releases_; }

  private:
    enum class Phase { Idle, Receive, AckOut, Transmit, AckIn };

    bool SdaLine() const { return !masterSdaLow_ && !slaveSdaLow_; }
    void SdaChanged(bool wasHigh);
    void ClockRose();
    void ClockFell();
    void Start();
    void Stop();
    bool AcceptByte(std::uint8_t byte);
    bool Busy();
    void LoadBitOut();
    std::uint8_t ByteOut() const;

    Clock& clock_;
    EepromOptions options_;
    EepromMemory memory_{};

    bool masterSclLow_ = false;
    bool masterSdaLow_ = false;
    bool slaveSdaLow_ = false;
    std::uint8_t lastData_ = 0xFF;

    Phase phase_ = Phase::Idle;
    int bits_ = 0;
    std::uint8_t shift_ = 0;
    int bytesReceived_ = 0;
    bool masterAcked_ = false;
    bool reading_ = false;
    int block_ = 0;
    int address_ = 0;  // the 11-bit address counter
    std::map<int, std::uint8_t> page_;
    bool busy_ = false;
    std::int32_t busySince_ = 0;

    long dataWrites_ = 0;
    int starts_ = 0;
    int pagesWritten_ = 0;
    int releases_ = 0;
};

}  // namespace kpx::sim
