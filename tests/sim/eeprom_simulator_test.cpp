#include <gtest/gtest.h>

#include "parallel_rig.h"

namespace kpx::testing {
namespace {

// Bus sequences driven with the link's own primitives.
struct Bus : ParallelRig {
    Bus() : ParallelRig(Blank()) {}
    static sim::EepromOptions Blank() {
        sim::EepromOptions o;
        o.writeCycleMs = 5;
        return o;
    }
    // Start, select for writing, address, the data bytes, stop; false at the first refusal.
    bool Write(int address, const std::vector<std::uint8_t>& data) {
        link.BusStart();
        bool ok = link.SendByte(SelectByte(address)) && link.SendByte(AddressByte(address));
        for (std::uint8_t b : data) ok = ok && link.SendByte(b);
        link.BusStop();
        return ok;
    }
    std::vector<std::uint8_t> Sequential(int address, int count) {
        std::vector<std::uint8_t> bytes;
        if (!link.AddressForReading(address)) return bytes;
        for (int i = 0; i < count; ++i) bytes.push_back(link.ReceiveByte(i + 1 == count ? 1 : 0));
        link.BusStop();
        return bytes;
    }
};

TEST(EepromSimulator, PagesWrapInsideThePageAndProgramOnStop) {
    Bus bus;
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 18; ++i) data.push_back(static_cast<std::uint8_t>(0x40 + i));
    ASSERT_TRUE(bus.Write(0x5F5, data));  // block 5, page 0x5F0
    const auto& m = bus.memory.memory();
    // 0x5F5..0x5FF take the first 11 bytes, 0x5F0.. the rest: the 17th and 18th overwrite.
    EXPECT_EQ(m[0x5F5], 0x40 + 16);
    EXPECT_EQ(m[0x5F6], 0x40 + 17);
    EXPECT_EQ(m[0x5F7], 0x40 + 2);
    EXPECT_EQ(m[0x5FF], 0x40 + 10);
    EXPECT_EQ(m[0x5F0], 0x40 + 11);
    EXPECT_EQ(m[0x600], 0xFF);
    EXPECT_EQ(bus.memory.pagesWritten(), 1);
}

TEST(EepromSimulator, SelectIsRefusedDuringTheWriteCycle) {
    Bus bus;
    ASSERT_TRUE(bus.Write(0x010, {0x11}));
    bus.link.BusStart();
    EXPECT_FALSE(bus.link.SendByte(0xA0));
    bus.clock.Advance(4);
    bus.link.BusStart();
    EXPECT_FALSE(bus.link.SendByte(0xA0));
    bus.clock.Advance(1);
    bus.link.BusStart();
    EXPECT_TRUE(bus.link.SendByte(0xA0));
    bus.link.BusStop();
    // A write broken off by a new start is not programmed.
    bus.link.BusStart();
    bus.link.SendByte(0xA0);
    bus.link.SendByte(0x20);
    bus.link.SendByte(0x99);
    bus.link.BusStart();
    bus.link.BusStop();
    EXPECT_EQ(bus.memory.memory()[0x020], 0xFF);
}

TEST(EepromSimulator, RandomCurrentAddressAndSequentialReads) {
    Bus bus;
    auto& m = bus.memory.memory();
    for (int a = 0; a < sim::kEepromSize; ++a) m[a] = static_cast<std::uint8_t>(a * 13 + a / 256);
    EXPECT_EQ(bus.link.ReadByteAt(0x2A7), m[0x2A7]);
    // A current-address read goes on after the last byte read.
    bus.link.BusStart();
    ASSERT_TRUE(bus.link.SendByte(0xA1));
    EXPECT_EQ(bus.link.ReceiveByte(1), m[0x2A8]);
    bus.link.BusStop();
    // A sequential read runs across pages and blocks.
    const auto bytes = bus.Sequential(0x0FE, 4);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{m[0x0FE], m[0x0FF], m[0x100], m[0x101]}));
    // Other devices on the bus are not answered.
    bus.link.BusStart();
    EXPECT_FALSE(bus.link.SendByte(0x50));
    bus.link.BusStop();
}

TEST(EepromSimulator, AnswersOnlyThroughStatusBitThreeAtItsBase) {
    Bus bus;
    EXPECT_EQ(bus.memory.In(0x379) & kStatusSdaLow, 0);  // released data line reads high
    bus.memory.Out(0x378, 0xFE);                         // data pulled low
    EXPECT_EQ(bus.memory.In(0x379) & kStatusSdaLow, kStatusSdaLow);
    EXPECT_EQ(bus.memory.In(0x378), 0xFE);
    EXPECT_EQ(bus.memory.In(0x279), 0xFF);  // nothing at another base
    bus.memory.Out(0x278, 0xFC);
    EXPECT_EQ(bus.memory.dataWrites(), 1);
}

}  // namespace
}  // namespace kpx::testing
