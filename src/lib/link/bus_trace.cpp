#include "link/bus_trace.h"

#include <cstdio>
#include <istream>
#include <sstream>

#include "link/parallel_link.h"
#include "support/gcc_string_warnings.h"
#include "support/hex.h"

namespace kpx {

namespace {

// ">a0+" or "<4b-"; false for anything else.
bool ParseByte(const std::string& token, BusByte& out) {
    if (token.size() != 4 || (token[0] != '>' && token[0] != '<')) return false;
    if (token[3] != '+' && token[3] != '-') return false;
    const int high = HexDigitValue(token[1]);
    const int low = HexDigitValue(token[2]);
    if (high < 0 || low < 0) return false;
    out = {static_cast<std::uint8_t>(high << 4 | low), token[0] == '<', token[3] == '+'};
    return true;
}

// The tokens after the port, as a bus segment; false when the line is not one.
bool ParseSegment(std::istringstream& fields, BusSegment& segment) {
    std::string token;
    bool any = false;
    while (fields >> token) {
        BusByte b;
        if (token == "S" && !any) {
            segment.started = true;
        } else if (token == "P" && !segment.stopped) {
            segment.stopped = true;
        } else if (token[0] == '?' && !segment.stopped) {
            // Stray clock pulses: nothing the memory took.
            continue;
        } else if (!segment.stopped && ParseByte(token, b)) {
            segment.bytes.push_back(b);
        } else {
            return false;
        }
        any = true;
    }
    return any;
}

}  // namespace

std::uint8_t TracingPortIo::In(std::uint16_t port) {
    const std::uint8_t value = inner_.In(port);
    if (!trace_ || base_ == 0 || port != base_ + 1) return value;
    const bool high = (value & kStatusSdaLow) == 0;
    if (sclHigh_) {
        sampled_ = true;
        sampledHigh_ = high;
    } else {
        Flush();
        trace_->Line(PortName(), high ? "# sda high" : "# sda low");
    }
    return value;
}

void TracingPortIo::Out(std::uint16_t port, std::uint8_t value) {
    inner_.Out(port, value);
    if (!trace_) return;
    if (port != base_) {
        // Another port: its lines start idle.
        StrayBits();
        Flush();
        base_ = port;
        sclHigh_ = sdaHigh_ = true;
        pulse_ = sampled_ = false;
    }
    const bool scl = (value & kSclBit) == 0;
    const bool sda = (value & kSdaBit) == 0;
    if (sclHigh_ && !scl) {
        ClockFell();
        sclHigh_ = false;
        sdaHigh_ = sda;
    } else if (!sclHigh_ && scl) {
        sdaHigh_ = sda;
        sclHigh_ = true;
        pulse_ = true;
        sampled_ = false;
    } else if (sclHigh_ && sda != sdaHigh_) {
        sdaHigh_ = sda;
        if (sda) {
            Stop();
        } else {
            Start();
        }
    } else {
        sdaHigh_ = sda;
    }
}

void TracingPortIo::Release() {
    inner_.Release();
    if (!trace_) return;
    StrayBits();
    Flush();
    trace_->Note(PortName(), "release");
}

std::string TracingPortIo::PortName() const {
    if (base_ == 0) return "lpt";
    char name[8];
    std::snprintf(name, sizeof name, "0x%03x", base_);
    return name;
}

void TracingPortIo::ClockFell() {
    // The fall that follows a start holds the bus; only a whole pulse carries a bit.
    if (!pulse_) return;
    pulse_ = false;
    if (sampled_ && bits_.size() < 8) received_ = true;
    bits_.push_back(sampled_ ? sampledHigh_ : sdaHigh_);
    sampled_ = false;
    if (bits_.size() < 9) return;
    int value = 0;
    for (int i = 0; i < 8; ++i) value = value << 1 | (bits_[static_cast<std::size_t>(i)] ? 1 : 0);
    if (!segment_.empty()) segment_ += ' ';
    segment_ += received_ ? '<' : '>';
    const std::uint8_t byte = static_cast<std::uint8_t>(value);
    segment_ += HexBytes({&byte, 1}, "", HexCase::Lower);
    segment_ += bits_[8] ? '-' : '+';  // a low ninth bit is the acknowledge
    bits_.clear();
    received_ = false;
}

void TracingPortIo::Start() {
    pulse_ = false;
    StrayBits();
    Flush();
    KPX_GCC_STRING_FALSE_POSITIVE_BEGIN
    segment_ = "S";
    KPX_GCC_STRING_FALSE_POSITIVE_END
}

void TracingPortIo::Stop() {
    pulse_ = false;
    StrayBits();
    if (segment_.empty()) return;  // the idle bus stopped again: nothing happened on it
    segment_ += " P";
    Flush();
}

void TracingPortIo::StrayBits() {
    // Clock pulses outside a transaction are the port being set up, not bus traffic.
    if (!bits_.empty() && !segment_.empty()) {
        segment_ += " ?";
        for (bool b : bits_) segment_ += b ? '1' : '0';
    }
    bits_.clear();
    received_ = false;
}

void TracingPortIo::Flush() {
    if (!segment_.empty()) trace_->Line(PortName(), segment_);
    segment_.clear();
}

std::vector<BusSegment> DecodeBusTrace(std::istream& in) {
    std::vector<BusSegment> segments;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string stamp;
        BusSegment segment;
        if (!(fields >> stamp >> segment.port)) continue;
        if (ParseSegment(fields, segment)) segments.push_back(std::move(segment));
    }
    return segments;
}

std::vector<MemoryAccess> MemoryAccesses(const std::vector<BusSegment>& segments) {
    constexpr int kAddressMask = 0x7FF;
    constexpr int kPageMask = 0x0F;
    std::vector<MemoryAccess> done;
    std::vector<MemoryAccess> page;  // written, programmed at the stop
    int address = 0;
    for (const BusSegment& s : segments) {
        // A new start breaks off a write that no stop ended.
        if (s.started) page.clear();
        if (s.started && !s.bytes.empty()) {
            const BusByte& select = s.bytes[0];
            const bool selected = !select.received && select.acked && (select.value & 0xF0) == 0xA0;
            const int block = select.value >> 1 & 0x07;
            const bool reading = (select.value & 0x01) != 0;
            for (std::size_t i = 1; selected && i < s.bytes.size(); ++i) {
                const BusByte& b = s.bytes[i];
                if (reading) {
                    if (!b.received) break;
                    done.push_back({address, b.value, false});
                    address = (address + 1) & kAddressMask;
                    if (!b.acked) break;
                } else {
                    if (b.received || !b.acked) break;  // not taken, and the memory lets go
                    if (i == 1) {
                        address = block << 8 | b.value;
                    } else {
                        page.push_back({address, b.value, true});
                        address = (address & ~kPageMask) | ((address + 1) & kPageMask);
                    }
                }
            }
        }
        if (s.stopped) {
            done.insert(done.end(), page.begin(), page.end());
            page.clear();
        }
    }
    return done;
}

}  // namespace kpx
