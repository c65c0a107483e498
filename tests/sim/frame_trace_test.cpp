#include "link/frame_trace.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link_rig.h"

namespace kpx::testing {
namespace {

using namespace std::chrono;

// A whole-image read through the tracing port: the trace decodes into exactly the frames that
// went over the line, in order, and the replies carry the pager's memory.
TEST(FrameTrace, TraceOfAReadDecodesBackIntoItsFrames) {
    LinkRig rig(LinkRig::PatternBoard());
    std::stringstream log;
    WallClock::time_point now = sys_days(year(2026) / 12 / 8) + hours(10);
    FrameTrace trace(log, [&] { return now += milliseconds(5); });
    TracingSerialPort traced(rig.port, &trace);
    SerialLink link(traced, rig.lister, rig.registry, rig.clock, rig.pump, rig.dialogs);
    link.boardPort = 5;
    SerialTransfers transfers(link, rig.host);
    transfers.usb_readall(rig.image, 0, kImageLast);
    ASSERT_FALSE(link.TransferFailed);

    EXPECT_EQ(log.str().substr(0, 38), "2026-12-08T10:00:00.005Z COM5 # open 0");
    const auto frames = DecodeTrace(log);
    // The identification read, then eight blocks of 128 bytes: command and reply each.
    ASSERT_EQ(frames.size(), 18u);
    const auto memory = rig.board.memory();
    for (std::size_t i = 0; i < frames.size(); i += 2) {
        const int address = i == 0 ? kIdentFirst : static_cast<int>(i / 2 - 1) * 128;
        const int n = i == 0 ? kIdentLast - kIdentFirst + 1 : 128;
        EXPECT_EQ(frames[i].port, "COM5");
        EXPECT_EQ(frames[i].direction, '>');
        EXPECT_EQ(frames[i].bytes, BuildReadCommand(address, n)) << i;
        const auto& reply = frames[i + 1];
        EXPECT_EQ(reply.direction, '<');
        ASSERT_EQ(reply.bytes.size(), static_cast<std::size_t>(n + 15)) << i;
        EXPECT_TRUE(ReadReplyChecksumOk(reply.bytes));
        EXPECT_TRUE(
            std::equal(reply.bytes.begin() + 13, reply.bytes.end() - 2, memory.begin() + address));
    }
}

// Bytes that arrive one call at a time (the probe's synchronisation) join into one frame; an
// event line ends a run; the noise before a magic stays a piece of its own.
TEST(FrameTrace, DecodingJoinsPiecesAndCutsAtTheMagic) {
    std::stringstream log;
    log << "t COM1 > 42 72 69 67 68 74 77 61 76 65 35 52\n"
           "t COM1 > 03 00\n"
           "t COM1 < 00 ff\n"
           "t COM1 < 42 72 69 67 68 74 77 61 76 65 01 42 72 69 67 68 74 77 61 76 65 02\n"
           "t COM1 # close 0\n"
           "t COM2 < 42 72 69 67 68 74 77 61 76 65 03\n"
           "t COM1 < 42 72 69 67 68 74 77 61 76 65 04\n"
           "not a trace line\n";
    const auto frames = DecodeTrace(log);
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0].bytes.size(), 14u);
    EXPECT_EQ(frames[1].bytes, (std::vector<std::uint8_t>{0x00, 0xff}));
    EXPECT_EQ(frames[2].bytes.back(), 0x01);
    EXPECT_EQ(frames[3].bytes.back(), 0x02);
    EXPECT_EQ(frames[4].port, "COM2");
    EXPECT_EQ(frames[5].bytes.back(), 0x04);
}

}  // namespace
}  // namespace kpx::testing
