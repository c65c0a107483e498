#include "link/bus_trace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/serial_transfers.h"
#include "parallel_rig.h"
#include "settings/bands.h"

namespace kpx::testing {
namespace {

using namespace std::chrono;
using sim::EepromFault;

// A parallel link whose port is traced into a string, with one time step per line.
struct TracedRig {
    explicit TracedRig(sim::EepromOptions options = ParallelRig::DefaultPager())
        : rig(options) {
        link.SetView(&rig.view);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(log.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::vector<MemoryAccess> Accesses() const {
        std::istringstream in(log.str());
        return MemoryAccesses(DecodeBusTrace(in));
    }

    ParallelRig rig;
    std::stringstream log;
    WallClock::time_point now = sys_days(year(2026) / 12 / 8) + hours(10);
    FrameTrace trace{log, [this] { return now += milliseconds(1); }};
    TracingPortIo traced{rig.port, &trace};
    ParallelLink link{traced, rig.clock, rig.pump, rig.dialogs};
    ParallelTransfers transfers{link, rig.host};
};

std::vector<MemoryAccess> Of(const std::vector<MemoryAccess>& all, bool write) {
    std::vector<MemoryAccess> picked;
    for (const MemoryAccess& a : all) {
        if (a.write == write) picked.push_back(a);
    }
    return picked;
}

// A whole read: the probe's look at the line, each random read of the identification, the page
// reads, the release; decoded, the reads carry exactly the pager's memory.
TEST(BusTrace, TraceOfAReadDecodesBackIntoTheBytesRead) {
    PagerImage pattern;
    for (int a = 0; a < kImageSize; ++a) pattern.set(a, static_cast<std::uint8_t>(a * 7 + 3));
    const PagerImage defaults = BuildDefaultImage();
    // The read checks that the signature and 0x3F0..0x3F7 come back as the image has them.
    for (int a : {0, 1, 2, 3}) pattern.set(a, defaults.at(a));
    for (int a = 0x3F0; a <= 0x3F7; ++a) pattern.set(a, defaults.at(a));
    for (int a = kIdentFirst; a <= kIdentLast; ++a) pattern.set(a, defaults.at(a));
    sim::EepromOptions options = ParallelRig::DefaultPager();
    options.memory = MemoryWith(pattern);
    TracedRig t(options);

    ASSERT_TRUE(t.transfers.Connect());
    t.transfers.readall(t.rig.image, 0, kImageLast);
    t.transfers.Release();
    ASSERT_FALSE(t.link.TransferFailed);
    ASSERT_EQ(t.rig.image, pattern);

    const auto lines = t.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "2026-12-08T10:00:00.001Z 0x378 # sda high");
    // The first identification byte: a select for writing with the address, then the read.
    char first[64];
    std::snprintf(first, sizeof first, "0x378 S >a%x+ >%02x+", (kIdentFirst >> 7) & 0x0E,
                  kIdentFirst & 0xFF);
    EXPECT_EQ(lines[1].substr(25), first);
    std::snprintf(first, sizeof first, "0x378 S >a%x+ <%02x- P", ((kIdentFirst >> 7) & 0x0E) + 1,
                  pattern.at(kIdentFirst));
    EXPECT_EQ(lines[2].substr(25), first);
    EXPECT_EQ(lines.back().substr(25), "0x378 # release");

    const auto reads = Of(t.Accesses(), false);
    const int ident = kIdentLast - kIdentFirst + 1;
    ASSERT_EQ(reads.size(), static_cast<std::size_t>(ident + kImageSize));
    for (int i = 0; i < ident + kImageSize; ++i) {
        const int address = i < ident ? kIdentFirst + i : i - ident;
        EXPECT_EQ(reads[i].address, address) << i;
        EXPECT_EQ(reads[i].value, pattern.at(address)) << i;
    }
}

// A write and its verify: the decoded writes are the image's bytes in address order, every
// page ended by a stop; the verify's one sequential read brings them back.
TEST(BusTrace, TraceOfAWriteAndVerifyHoldsEveryByte) {
    TracedRig t;
    t.rig.memory.SetWriteCycleMs(0);
    PagerImage image = BuildDefaultImage();
    image.set(0x105, 0x42);
    ASSERT_TRUE(t.transfers.Connect());
    t.transfers.writeall(image, 0, kImageLast);
    ASSERT_FALSE(t.link.TransferFailed);
    t.transfers.verify(image, 0, kImageLast);
    ASSERT_FALSE(t.link.TransferFailed);

    const auto all = t.Accesses();
    const auto writes = Of(all, true);
    ASSERT_EQ(writes.size(), static_cast<std::size_t>(kImageSize));
    for (int a = 0; a < kImageSize; ++a) {
        EXPECT_EQ(writes[a].address, a);
        EXPECT_EQ(writes[a].value, image.at(a)) << a;
    }
    const auto reads = Of(all, false);
    // The GP mark read before the write, then the verify.
    ASSERT_EQ(reads.size(), static_cast<std::size_t>(1 + kImageSize));
    EXPECT_EQ(reads[0].address, kGpMarkerAddress);
    for (int a = 0; a < kImageSize; ++a) EXPECT_EQ(reads[a + 1].value, image.at(a)) << a;
}

// What a fault report must show: unanswered selects, a data byte not taken (that page never
// programmed), and the bits of an aborted transfer.
TEST(BusTrace, FaultsShowAsUnansweredBytes) {
    {
        TracedRig t(ParallelRig::WithFault(EepromFault::NeverAck));
        EXPECT_FALSE(t.link.ReadByteAt(0x20));
        t.transfers.Release();
        const auto lines = t.Lines();
        ASSERT_EQ(lines.size(), 11u);
        for (int i = 0; i < 9; ++i) EXPECT_EQ(lines[i].substr(25), "0x378 S >a0-") << i;
        // The abort's clock pulse with the data line held low, then the release's stop.
        EXPECT_EQ(lines[9].substr(25), "0x378 S >a0- ?0 P");
        EXPECT_EQ(lines[10].substr(25), "0x378 # release");
        EXPECT_TRUE(t.Accesses().empty());
    }
    {
        TracedRig t(ParallelRig::WithFault(EepromFault::NoDataAck, 0x125));
        t.rig.memory.SetWriteCycleMs(0);
        PagerImage image = BuildDefaultImage();
        const std::uint8_t before = t.rig.memory.memory()[0x125];
        image.set(0x124, 0x5B);
        image.set(0x125, static_cast<std::uint8_t>(before ^ 0xFF));
        t.transfers.writeall(image, 0, kImageLast);
        ASSERT_TRUE(t.link.TransferFailed);
        t.transfers.Release();
        char refused[8];
        std::snprintf(refused, sizeof refused, ">%02x- P", image.at(0x125));
        const std::string log = t.log.str();
        const auto page = log.find("S >a2+ >20+");
        ASSERT_NE(page, std::string::npos);
        EXPECT_EQ(log.find(refused, page), log.find('\n', page) - 6);
        // The release's stop programs what the memory took of the broken page, as the memory
        // does; nothing after the refused byte.
        const auto writes = Of(t.Accesses(), true);
        ASSERT_EQ(writes.size(), 0x125u);
        EXPECT_EQ(writes.back().address, 0x124);
        EXPECT_EQ(t.rig.memory.memory()[0x124], 0x5B);
        EXPECT_EQ(t.rig.memory.memory()[0x125], before);
    }
}

// Hand-written lines: a write broken off by a start is not programmed, page addresses wrap,
// current-address reads run on, and lines of other kinds are passed over.
TEST(BusTrace, DecodingFollowsTheMemoryAcrossSegments) {
    std::stringstream log;
    log << "t 0x378 S >a2+ >0e+ >11+ >22+ >33+ P\n"  // 0x10E, 0x10F, then wraps to 0x100
           "t 0x378 S >a0+ >40+ >99+\n"               // broken off by the next start
           "t 0x378 S >a1+ <05+ <06- P\n"             // reads at 0x041, 0x042
           "t COM1 > 42 72 69\n"
           "t 0x378 # release\n"
           "t 0x378 S >a1+ <07- ?101 P\n"             // the counter ran on: 0x043
           "t 0x378 S >b0+ >00+ P\n"                  // not the memory's select
           "t 0x378 S >a0- P\n"
           "t 0x378 S >zz+ P\n"
           "garbage\n";
    const auto segments = [&] {
        std::stringstream copy(log.str());
        return DecodeBusTrace(copy);
    }();
    ASSERT_EQ(segments.size(), 6u);
    EXPECT_TRUE(segments[0].started);
    EXPECT_TRUE(segments[0].stopped);
    EXPECT_FALSE(segments[1].stopped);
    EXPECT_TRUE(segments[2].bytes[1].received);
    EXPECT_TRUE(segments[2].bytes[1].acked);
    EXPECT_FALSE(segments[2].bytes[2].acked);

    const auto a = MemoryAccesses(segments);
    const std::vector<std::tuple<int, int, bool>> expected = {
        {0x10E, 0x11, true}, {0x10F, 0x22, true}, {0x100, 0x33, true},
        {0x041, 0x05, false}, {0x042, 0x06, false}, {0x043, 0x07, false}};
    ASSERT_EQ(a.size(), expected.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(std::make_tuple(a[i].address, int{a[i].value}, a[i].write), expected[i]) << i;
    }
}

}  // namespace
}  // namespace kpx::testing
