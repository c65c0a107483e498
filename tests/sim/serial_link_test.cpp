#include <gtest/gtest.h>

#include "link/frame_templates.h"
#include "link_rig.h"

namespace kpx::testing {
namespace {

std::vector<std::uint8_t> ProbeReply(std::uint8_t d0, std::uint8_t d1) {
    std::vector<std::uint8_t> r(kProbeReplyHeader.begin(), kProbeReplyHeader.end());
    r.insert(r.end(), {d0, d1, 0, 0});
    const auto sum = FrameChecksum(r);
    r[15] = static_cast<std::uint8_t>(sum >> 8);
    r[16] = static_cast<std::uint8_t>(sum & 0xFF);
    return r;
}

TEST(Frames, BlockSizesAndLayouts) {
    PagerImage image;
    for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(a));

    const auto one = BuildWriteCommand(image, 0x3F8, 1);
    EXPECT_EQ(one.size(), 18u);
    EXPECT_EQ(one[12], 3);
    EXPECT_EQ(one[13], 0x03);
    EXPECT_EQ(one[14], 0xF8);
    EXPECT_EQ(one[15], 0xF8);

    const auto full = BuildWriteCommand(image, 0x80, 128);
    EXPECT_EQ(full.size(), 145u);
    EXPECT_EQ(full[12], 130);
    EXPECT_TRUE(ReadReplyChecksumOk(full));

    const auto read = BuildReadCommand(0x3E1, 14);
    const std::vector<std::uint8_t> expected = {'B', 'r', 'i', 'g', 'h',  't',  'w', 'a',  'v',
                                                'e', '3', 'R', 3,   0x03, 0xE1, 14,  0x01, 0x7A};
    EXPECT_EQ(read, expected);

    EXPECT_THROW(BuildReadCommand(1020, 8), std::out_of_range);
    EXPECT_THROW(BuildWriteCommand(image, 0, 129), std::out_of_range);
}

TEST(Frames, BlockSplitting) {
    struct Case {
        int start, end, chunk, expected;
    } cases[] = {{0, 1023, 128, 128},
                 {896, 1023, 128, 128},
                 {0x3F8, 0x3F8, 128, 1},
                 {0x3E1, 0x3EE, 128, 14},
                 {1000, 1023, 128, 24}};
    for (const auto& c : cases) {
        EXPECT_EQ(BlockLength(c.start, c.end, c.chunk), c.expected) << c.start << ".." << c.end;
    }
}

TEST(Frames, ProbeReplyCheck) {
    EXPECT_TRUE(ProbeReplyOk(ProbeReply(0x01, 0x00)));
    EXPECT_TRUE(ProbeReplyOk(ProbeReply(0xEE, 0x77)));  // data bytes are not interpreted
    auto bad = ProbeReply(1, 0);
    bad[16] ^= 1;
    EXPECT_FALSE(ProbeReplyOk(bad));
    auto otherHeader = ProbeReply(1, 0);
    otherHeader[12] = 3;
    otherHeader[16] = static_cast<std::uint8_t>(otherHeader[16] + 1);
    EXPECT_FALSE(ProbeReplyOk(otherHeader));
}

TEST(Probe, FindsBoardAndClosesPort) {
    LinkRig rig;
    rig.link.boardPort = -1;
    EXPECT_TRUE(rig.link.usb_probe());
    EXPECT_EQ(rig.link.boardPort, 5);
    EXPECT_FALSE(rig.port.IsOpen(5));
    EXPECT_TRUE(rig.dialogs.Texts().empty());
}

TEST(Probe, OddDataBytesAndLeadingGarbageAccepted) {
    LinkRig rig;
    rig.port.AttachResponder(7, [](const std::vector<std::uint8_t>&) {
        std::vector<std::uint8_t> r = {0x00, 'x', 0xFF, 'r'};
        const auto reply = ProbeReply(0x5A, 0xC3);
        r.insert(r.end(), reply.begin(), reply.end());
        return r;
    });
    rig.lister.SetComs({7});
    EXPECT_TRUE(rig.link.usb_probe());
    EXPECT_EQ(rig.link.boardPort, 7);
}

TEST(Probe, SilentPortIsSkippedAfterItsWindow) {
    LinkRig rig;
    rig.port.AttachSilent(3);
    rig.lister.SetComs({3, 5});
    const auto before = rig.clock.TickMs();
    EXPECT_TRUE(rig.link.usb_probe());
    EXPECT_EQ(rig.link.boardPort, 5);
    const auto spent = rig.clock.TickMs() - before;
    EXPECT_GE(spent, 500);
    EXPECT_LT(spent, 600);
    EXPECT_FALSE(rig.port.IsOpen(3));
}

TEST(Probe, NoBoardAtStartupTellsTheUserAndRestartsTheTimer) {
    LinkRig rig;
    rig.port.AttachSilent(3);
    rig.port.AttachResponder(4, [](const std::vector<std::uint8_t>&) {
        auto r = ProbeReply(1, 0);
        r[16] ^= 0x40;  // bad checksum
        return r;
    });
    rig.lister.SetComs({3, 4});
    rig.lister.devices.push_back("Prolific USB-to-Serial Comm Port\r\n");  // no number: skipped
    rig.link.StartupProbe = true;
    EXPECT_FALSE(rig.link.usb_probe());
    EXPECT_EQ(rig.link.boardPort, -1);
    EXPECT_EQ(rig.link.boardDeviceCount, 3);
    ASSERT_EQ(rig.dialogs.shown().size(), 1u);
    EXPECT_EQ(rig.dialogs.shown()[0].text, "The Programmed Board is not responding!");
    EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
    EXPECT_EQ(rig.host.timerStops, 1);
    EXPECT_TRUE(rig.host.timerRunning);

    // From the watch, the same failure says nothing.
    rig.link.StartupProbe = false;
    rig.dialogs.Clear();
    EXPECT_FALSE(rig.link.usb_probe());
    EXPECT_TRUE(rig.dialogs.Texts().empty());
}

// The window asks whether the link is talking to the board before Space starts a write.
TEST(SerialLink, IsBusyExactlyWhileItTalksToTheBoard) {
    LinkRig rig;
    std::vector<bool> busyWhileSending;
    rig.port.AttachResponder(7, [&](const std::vector<std::uint8_t>& frame) {
        busyWhileSending.push_back(rig.link.Busy());
        std::vector<std::uint8_t> reply;
        if (frame[10] == '5') return ProbeReply(1, 0);
        if (frame[11] == 'S') return std::vector<std::uint8_t>(kWriteAck.begin(), kWriteAck.end());
        reply.assign(kFrameMagic.begin(), kFrameMagic.end());
        reply.insert(reply.end(), {'3', 'R', 0x03, 0x42, 0, 0});
        const auto sum = FrameChecksum(reply);
        reply[14] = static_cast<std::uint8_t>(sum >> 8);
        reply[15] = static_cast<std::uint8_t>(sum & 0xFF);
        return reply;
    });
    rig.lister.SetComs({7});
    EXPECT_FALSE(rig.link.Busy());
    ASSERT_TRUE(rig.link.usb_probe());
    EXPECT_FALSE(rig.link.Busy());
    ASSERT_TRUE(rig.link.usb_write(rig.image, 0, 0, kBlockSize));
    EXPECT_FALSE(rig.link.Busy());
    ASSERT_TRUE(rig.link.usb_read(0, 0, kBlockSize));
    EXPECT_EQ(rig.link.ReadBuffer[0], 0x42);
    EXPECT_FALSE(rig.link.Busy());
    EXPECT_EQ(busyWhileSending, (std::vector<bool>{true, true, true}));
}

TEST(SerialRead, WholeMemoryInBlocks) {
    LinkRig rig(LinkRig::PatternBoard());
    ASSERT_TRUE(rig.link.usb_read(0, kImageLast, 128));
    EXPECT_FALSE(rig.link.TransferFailed);
    ASSERT_EQ(rig.link.ReadBuffer.size(), 1024u);
    const auto memory = rig.board.memory();
    EXPECT_TRUE(std::equal(rig.link.ReadBuffer.begin(), rig.link.ReadBuffer.end(), memory.begin()));
    EXPECT_EQ(rig.board.reads(), 8);
    // The bar advances block by block and never passes its maximum.
    EXPECT_EQ(rig.view.positions, (std::vector<int>{128, 256, 384, 512, 640, 768, 896, 1007}));
    EXPECT_FALSE(rig.port.IsOpen(5));
    // Each block waits its 300 ms; nothing spins.
    EXPECT_GE(rig.clock.TickMs(), 8 * 300);
    EXPECT_LT(rig.clock.TickMs(), 8 * 400);
}

TEST(SerialRead, ShortReadsLeaveTheBarAlone) {
    LinkRig rig(LinkRig::PatternBoard());
    ASSERT_TRUE(rig.link.usb_read(0x3F8, 0x3F8, 128));
    EXPECT_EQ(rig.link.ReadBuffer.size(), 0x3F9u);
    EXPECT_TRUE(rig.view.positions.empty());
}

TEST(SerialWrite, WritesEveryBlockAndIsAcknowledged) {
    LinkRig rig;
    for (int a = 0; a < kImageSize; ++a) rig.image.set(a, static_cast<std::uint8_t>(a ^ 0x5A));
    ASSERT_TRUE(rig.link.usb_write(rig.image, 0, kImageLast, 128));
    const auto memory = rig.board.memory();
    EXPECT_TRUE(std::equal(rig.image.bytes().begin(), rig.image.bytes().end(), memory.begin()));
    EXPECT_EQ(rig.board.writes(), 8);
    EXPECT_EQ(rig.view.statuses.back(), "Writing Now.......");
    EXPECT_EQ(rig.view.colour, ProgressColour::Highlight);
    EXPECT_EQ(rig.view.progressMax, 1007);
    EXPECT_FALSE(rig.port.IsOpen(5));
}

struct FaultCase {
    const char* name;
    sim::Fault fault;
    bool writing;
    const char* message;
    bool disconnects;
};

class LinkFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LinkFaults, EndTheTransferWithTheirMessage) {
    const FaultCase& c = GetParam();
    sim::BoardOptions options = LinkRig::PatternBoard();
    options.fault = {c.fault, 3};
    LinkRig rig(options);
    const auto start = rig.clock.TickMs();
    const bool ok = c.writing ? rig.link.usb_write(rig.image, 0, kImageLast, 128)
                              : rig.link.usb_read(0, kImageLast, 128);
    EXPECT_FALSE(ok);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{c.message});
    if (!c.writing) EXPECT_TRUE(rig.link.TransferFailed);
    // A live port is closed again; a dead one cannot be.
    if (!c.disconnects) EXPECT_FALSE(rig.port.IsOpen(5));
    // Nothing runs past its time-outs: two blocks done, the third at most 300 + 2000 ms.
    EXPECT_LT(rig.clock.TickMs() - start, 2 * 400 + 2400);
    // The first failure ends it: no further block was asked for.
    EXPECT_EQ(c.writing ? rig.board.writes() : rig.board.reads(), 3);
    if (c.disconnects) {
        EXPECT_EQ(rig.link.boardPort, -1);
        EXPECT_EQ(rig.link.boardDeviceCount, 3);  // the serial ports the registry lists
        EXPECT_EQ(rig.host.boardLine, "  The Programmed Board Disconnect !");
        EXPECT_EQ(rig.host.boardColour, 255u);
        EXPECT_FALSE(rig.host.pagerMenu);
    } else {
        EXPECT_EQ(rig.link.boardPort, 5);
        EXPECT_TRUE(rig.host.lines.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, LinkFaults,
    ::testing::Values(
        FaultCase{"WrongChecksum", sim::Fault::WrongReadChecksum, false, "Read error!", false},
        FaultCase{"ShortReply", sim::Fault::ShortReply, false, "Read Time Out!", false},
        FaultCase{"NoReply", sim::Fault::NoReply, false, "Read Time Out!", false},
        FaultCase{"HangUpOnRead", sim::Fault::HangUpOnRead, false, "Read error!", true},
        FaultCase{"NoAck", sim::Fault::NoAck, true, "Write error!", false},
        FaultCase{"WrongAck", sim::Fault::WrongAck, true, "Write error!", false},
        FaultCase{"HangUpOnWrite", sim::Fault::HangUpOnWrite, true, "Write error!", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SerialLink, NoPortAtAllIsALostPort) {
    LinkRig rig;
    rig.link.boardPort = 9;  // nothing there
    EXPECT_FALSE(rig.link.usb_read(0, 15, 128));
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Read error!"});
    EXPECT_EQ(rig.link.boardPort, -1);
    EXPECT_TRUE(rig.link.TransferFailed);
}

TEST(SerialLink, RegistryKeyMissingCountsAsNoPorts) {
    LinkRig rig;
    rig.registry.KillKey(kSerialCommKey);
    rig.port.Unplug(5);
    EXPECT_FALSE(rig.link.usb_write(rig.image, 0, 0, 128));
    EXPECT_EQ(rig.link.boardDeviceCount, 0);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Write error!"});
}

}  // namespace
}  // namespace kpx::testing
