#include "link/parallel_link.h"

#include <stdexcept>

#include "link/serial_link.h"

namespace kpx {

std::uint8_t SelectByte(int address) {
    if (address < 0 || address > 0x7FF) throw std::out_of_range("address outside the memory");
    return static_cast<std::uint8_t>(0xA0 | (address & 0x700) >> 7);
}

ParallelLink::ParallelLink(PortIo& io, Clock& clock, EventPump& pump, UserDialogs& dialogs)
    : io_(io), clock_(clock), pump_(pump), dialogs_(dialogs), timing_(clock) {}

void ParallelLink::Put(int value) {
    LptDataShadow = static_cast<std::uint8_t>(value);
    io_.Out(LptDataPort, LptDataShadow);
    timing_.WaitMicroTick();
}

void ParallelLink::BusStart() {
    Put(0xFC);
    Put(0xFE);
    Put(0xFF);
}

void ParallelLink::BusStop() {
    Put(0xFF);
    Put(0xFE);
    Put(0xFC);
}

void ParallelLink::BusAbort() {
    DelayMs(kAbortMs);
    Put(0xFE);
}

bool ParallelLink::SendByte(std::uint8_t value) {
    for (int bit = 7; bit >= 0; --bit) {
        if (value >> bit & 1) {
            SdaRelease();
        } else {
            SdaLow();
        }
        SclHigh();
        SclLow();
    }
    SdaRelease();
    SclHigh();
    const bool acknowledged = (io_.In(LptStatusPort) & kStatusSdaLow) != 0;
    SclLow();
    return acknowledged;
}

std::uint8_t ParallelLink::ReceiveByte(int last) {
    SdaRelease();
    int value = 0;
    for (int i = 0; i < 8; ++i) {
        value <<= 1;
        SclHigh();
        if ((io_.In(LptStatusPort) & kStatusSdaLow) == 0) value |= 1;
        SclLow();
    }
    if (last != 0) {
        SdaRelease();
    } else {
        SdaLow();
    }
    SclHigh();
    SclLow();
    return static_cast<std::uint8_t>(value);
}

bool ParallelLink::AddressForReading(int address) {
    const std::uint8_t select = SelectByte(address);
    bool answered = false;
    for (int attempt = 1; attempt <= kSelectAttempts; ++attempt) {
        BusStart();
        if (SendByte(select)) {
            // An answer to the last attempt comes too late to count.
            answered = attempt < kSelectAttempts;
            break;
        }
    }
    if (!answered) return false;
    SendByte(AddressByte(address));
    BusStart();
    SendByte(select + 1);
    return true;
}

std::optional<std::uint8_t> ParallelLink::ReadByteAt(int address) {
    if (!AddressForReading(address)) {
        BusAbort();
        dialogs_.Inform(kReadError);
        TransferFailed = true;
        return std::nullopt;
    }
    const std::uint8_t value = ReceiveByte(255);
    BusStop();
    return value;
}

bool ParallelLink::ProbeAt(std::uint16_t base) {
    LptDataPort = base;
    LptStatusPort = static_cast<std::uint16_t>(base + 1);
    BusStop();
    DelayMs(kProbeSettleMs);
    BusStop();
    DelayMs(kProbeSettleMs);
    SclLow();
    LptDataShadow = static_cast<std::uint8_t>(io_.In(LptDataPort) | kSdaBit);
    io_.Out(LptDataPort, LptDataShadow);
    DelayMs(kProbeSettleMs);
    LptDataShadow = static_cast<std::uint8_t>(io_.In(LptDataPort) & ~kSdaBit);
    io_.Out(LptDataPort, LptDataShadow);
    DelayMs(kProbeSettleMs);
    // The released data line reads high only where something pulls it up.
    const bool found = (io_.In(LptStatusPort) & kStatusSdaLow) == 0;
    BusStop();
    return found;
}

bool ParallelLink::lpt_connect() {
    LptDataShadow = kBusIdle;
    for (const std::uint16_t base : kLptBases) {
        if (ProbeAt(base)) return true;
    }
    dialogs_.Warn(kBoardNotResponding);
    return false;
}

}  // namespace kpx
