#include "sim/eeprom_simulator.h"

namespace kpx::sim {

namespace {

constexpr int kPageMask = 0x0F;
constexpr int kAddressMask = kEepromSize - 1;
// Status bits other than the data line read as 1, so a reader must mask them off.
constexpr std::uint8_t kStatusOther = 0xF7;
constexpr std::uint8_t kStatusSdaLow = 0x08;

}  // namespace

EepromSimulator::EepromSimulator(Clock& clock, EepromOptions options)
    : clock_(clock), options_(options) {
    if (options_.memory) {
        memory_ = *options_.memory;
    } else {
        memory_.fill(0xFF);
    }
}

std::uint8_t EepromSimulator::In(std::uint16_t port) {
    if (port == options_.base) return lastData_;
    if (port == options_.base + 1) return kStatusOther | (SdaLine() ? 0 : kStatusSdaLow);
    return 0xFF;
}

void EepromSimulator::Out(std::uint16_t port, std::uint8_t value) {
    if (port != options_.base) return;
    ++dataWrites_;
    lastData_ = value;
    const bool sclLow = (value & 0x01) != 0;
    const bool sdaLow = (value & 0x02) != 0;
    // Edges that come in one write are taken so that the data line changes while the clock is
    // low: a write never makes a start or stop by moving both lines at once.
    if (sclLow && !masterSclLow_) {
        masterSclLow_ = true;
        ClockFell();
        masterSdaLow_ = sdaLow;
    } else if (!sclLow && masterSclLow_) {
        masterSdaLow_ = sdaLow;
        masterSclLow_ = false;
        ClockRose();
    } else {
        const bool wasHigh = SdaLine();
        masterSdaLow_ = sdaLow;
        if (!masterSclLow_ && wasHigh != SdaLine()) {
            if (SdaLine()) {
                Stop();
            } else {
                Start();
            }
        }
    }
}

bool EepromSimulator::Busy() {
    if (busy_ && TicksSince(clock_, busySince_) >= options_.writeCycleMs) busy_ = false;
    return busy_;
}

void EepromSimulator::Start() {
    ++starts_;
    // A write that a new start breaks off is not programmed.
    page_.clear();
    phase_ = Phase::Receive;
    bits_ = 0;
    shift_ = 0;
    bytesReceived_ = 0;
    slaveSdaLow_ = false;
}

void EepromSimulator::Stop() {
    if (!page_.empty()) {
        for (const auto& [address, value] : page_)
            memory_[static_cast<std::size_t>(address)] = value;
        page_.clear();
        ++pagesWritten_;
        busy_ = true;
        busySince_ = clock_.TickMs();
    }
    phase_ = Phase::Idle;
    slaveSdaLow_ = false;
}

bool EepromSimulator::AcceptByte(std::uint8_t byte) {
    const EepromFaultPlan& f = options_.fault;
    if (bytesReceived_ == 0) {
        if ((byte & 0xF0) != 0xA0 || Busy()) return false;
        if (f.fault == EepromFault::NeverAck) return false;
        if (f.fault == EepromFault::AckFromTenthStart && starts_ < 10) return false;
        block_ = byte >> 1 & 0x07;
        reading_ = (byte & 0x01) != 0;
        bytesReceived_ = 1;
        return true;
    }
    if (bytesReceived_ == 1) {
        address_ = block_ << 8 | byte;
        page_.clear();
        bytesReceived_ = 2;
        return true;
    }
    if (f.fault == EepromFault::NoDataAck && address_ == f.faultAddress) return false;
    page_[address_] = byte;
    address_ = (address_ & ~kPageMask) | ((address_ + 1) & kPageMask);
    ++bytesReceived_;
    return true;
}

std::uint8_t EepromSimulator::ByteOut() const {
    const EepromFaultPlan& f = options_.fault;
    const std::uint8_t b = memory_[static_cast<std::size_t>(address_)];
    if (f.fault == EepromFault::FlipBit && address_ == f.faultAddress) return b ^ f.flipMask;
    return b;
}

void EepromSimulator::LoadBitOut() {
    slaveSdaLow_ = (ByteOut() >> (7 - bits_) & 1) == 0;
}

void EepromSimulator::ClockRose() {
    switch (phase_) {
        case Phase::Receive:
            shift_ = static_cast<std::uint8_t>(shift_ << 1 | (SdaLine() ? 1 : 0));
            ++bits_;
            break;
        case Phase::Transmit:
            ++bits_;
            break;
        case Phase::AckIn:
            masterAcked_ = !SdaLine();
            break;
        case Phase::Idle:
        case Phase::AckOut:
            break;
    }
}

void EepromSimulator::ClockFell() {
    switch (phase_) {
        case Phase::Receive:
            if (bits_ < 8) break;
            if (AcceptByte(shift_)) {
                slaveSdaLow_ = true;
                phase_ = Phase::AckOut;
            } else {
                phase_ = Phase::Idle;
            }
            break;
        case Phase::AckOut:
            slaveSdaLow_ = false;
            bits_ = 0;
            shift_ = 0;
            if (reading_) {
                phase_ = Phase::Transmit;
                LoadBitOut();
            } else {
                phase_ = Phase::Receive;
            }
            break;
        case Phase::Transmit:
            if (bits_ < 8) {
                LoadBitOut();
            } else {
                slaveSdaLow_ = false;
                phase_ = Phase::AckIn;
            }
            break;
        case Phase::AckIn:
            address_ = (address_ + 1) & kAddressMask;
            bits_ = 0;
            if (masterAcked_) {
                phase_ = Phase::Transmit;
                LoadBitOut();
            } else {
                phase_ = Phase::Idle;
            }
            break;
        case Phase::Idle:
            break;
    }
}

}  // namespace kpx::sim
