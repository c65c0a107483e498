#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "link/port_io.h"
#include "link/transfer_view.h"
#include "support/user_dialogs.h"
#include "timing/clock.h"
#include "timing/timing.h"

namespace kpx {

// Where a parallel port may sit, in the order they are tried.
inline constexpr std::array<std::uint16_t, 3> kLptBases = {0x378, 0x278, 0x3BC};

// Data register bits: writing 1 pulls the line low, 0 releases it. Bits 2-7 are always 1.
inline constexpr std::uint8_t kSclBit = 0x01;
inline constexpr std::uint8_t kSdaBit = 0x02;
// Status register bit 3 reads 1 while the data line is low.
inline constexpr std::uint8_t kStatusSdaLow = 0x08;
// Both lines released: the stopped, idle bus.
inline constexpr std::uint8_t kBusIdle = 0xFC;

inline constexpr int kProbeSettleMs = 50;
inline constexpr int kAbortMs = 100;
inline constexpr int kSelectAttempts = 10;

// The memory's device select byte for writing address a (0..2047): address bits 8-10 in select
// bits 1-3; one more is the select byte for reading.
std::uint8_t SelectByte(int address);
inline std::uint8_t AddressByte(int address) {
    return static_cast<std::uint8_t>(address & 0xFF);
}

// The pager memory driven as a two-wire EEPROM bus through the parallel port: port detection,
// the line primitives, byte transfer and the single-byte random read. Every line change writes
// the whole shadow to the data register and waits one bit time (the one busy wait of the
// program); the 50 and 100 ms waits sleep and let window events run.
class ParallelLink {
  public:
    ParallelLink(PortIo& io, Clock& clock, EventPump& pump, UserDialogs& dialogs);

    void SetView(TransferView* view) { view_ = view ? view : &nullView_; }
    TransferView& view() { return *view_; }

    // Link state.
    std::uint16_t LptDataPort = kLptBases[0];
    std::uint16_t LptStatusPort = kLptBases[0] + 1;
    std::uint8_t LptDataShadow = kBusIdle;
    bool TransferFailed = false;

    // Finds the base with the memory on it; tells the user when there is none.
    bool lpt_connect();

    void SdaRelease() { Put(LptDataShadow & ~kSdaBit); }
    void SdaLow() { Put(LptDataShadow | kSdaBit); }
    void SclHigh() { Put(LptDataShadow & ~kSclBit); }
    void SclLow() { Put(LptDataShadow | kSclBit); }
    void BusStart();
    // Also the release step after every transfer, and the idle state between them.
    void BusStop();
    void BusAbort();
    // Acknowledged: the memory held the data line low in the ninth clock.
    bool SendByte(std::uint8_t value);
    // last != 0 answers without an acknowledge (the last byte of a read), 0 with one.
    std::uint8_t ReceiveByte(int last);
    // Random read of one address; nothing (the user told, TransferFailed set) when the memory
    // does not answer.
    std::optional<std::uint8_t> ReadByteAt(int address);

    // Start and select for reading at address, sent up to ten times while not acknowledged;
    // only an answer to one of the first nine counts. Then the address and the repeated start
    // with the read select, so the next ReceiveByte delivers that address.
    bool AddressForReading(int address);

    // Waits that sleep: DelayMs lets window events run, Sleep does not.
    void DelayMs(int ms) { timing_.DelayMs(ms, pump_); }
    void Sleep(int ms) { clock_.SleepMs(ms); }
    void DoEvents() { pump_.ProcessEvents(); }
    Clock& clock() { return clock_; }
    UserDialogs& dialogs() { return dialogs_; }
    PortIo& io() { return io_; }

  private:
    void Put(int value);
    bool ProbeAt(std::uint16_t base);

    PortIo& io_;
    Clock& clock_;
    EventPump& pump_;
    UserDialogs& dialogs_;
    Timing timing_;
    NullTransferView nullView_;
    TransferView* view_ = &nullView_;
};

}  // namespace kpx
