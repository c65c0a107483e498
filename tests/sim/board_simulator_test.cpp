#include "sim/board_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "image/default_image.h"
#include "link/frame_templates.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "platform/platform_serial.h"
#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/sysfs_lister.h"
#include "platform/termios_port.h"
#include "sim/fresh_memory.h"
#include "sim/simulated_board.h"
#include "support/memory_registry.h"
#include "testsupport/child_process.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::testing {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(BoardCore, AnswersGoodFramesAndIgnoresDamagedOnes) {
    sim::BoardCore board({});
    PagerImage image;
    image.set(0x10, 0xAB);
    const auto write = BuildWriteCommand(image, 0x10, 1);
    const auto read = BuildReadCommand(0x3E1, 5);
    auto damaged = read;
    damaged[14] ^= 1;

    struct Case {
        const char* name;
        std::vector<std::uint8_t> input;
        std::size_t replies;
    } cases[] = {
        {"probe", {kProbeCommand.begin(), kProbeCommand.end()}, 1},
        {"damaged read", damaged, 0},
        {"garbage then read", Join(Bytes({0x00, 'B', 'r', 'X', 0x42}), read), 1},
        {"write", write, 1},
        {"unknown letters then read",
         Join(Bytes({'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '9', 'Q', 0}), read), 1},
        {"read past the memory", BuildReadCommand(0, 1) /* patched below */, 0},
    };
    cases[5].input[13] = 0x08;  // address 0x800: outside the 2 KB
    const auto sum = FrameChecksum(cases[5].input);
    cases[5].input[16] = static_cast<std::uint8_t>(sum >> 8);
    cases[5].input[17] = static_cast<std::uint8_t>(sum & 0xFF);

    for (const auto& c : cases) {
        const auto replies = board.Feed(c.input);
        EXPECT_EQ(replies.size(), c.replies) << c.name;
    }
    EXPECT_EQ(board.memory()[0x10], 0xAB);
    const auto reply = board.Feed(read);
    ASSERT_EQ(reply.size(), 1u);
    EXPECT_EQ(reply[0].bytes.size(), 20u);
    EXPECT_TRUE(ReadReplyChecksumOk(reply[0].bytes));
    EXPECT_EQ(std::string(reply[0].bytes.begin() + 13, reply[0].bytes.begin() + 18), "KPX41");

    // A command split over two deliveries is answered once it is complete.
    EXPECT_TRUE(board.Feed(std::span(read).first(7)).empty());
    EXPECT_EQ(board.Feed(std::span(read).subspan(7)).size(), 1u);
}

// Without a pager the board still answers its probe. The simulated operator takes a pager out
// a second after it was read back to its last byte, and puts a fresh one in a second later.
TEST(BoardCore, AnEmptySlotAndTheOperatorWhoSwapsVerifiedPagers) {
    sim::BoardCore board({});
    PagerImage image;
    image.set(0x10, 0xAB);
    const auto write = BuildWriteCommand(image, 0x10, 1);
    const auto verify = BuildReadCommand(0x380, 128);
    const std::vector<std::uint8_t> probe(kProbeCommand.begin(), kProbeCommand.end());
    EXPECT_EQ(board.Operate(0), -1);  // no operator unless asked for

    board.SetOperator(true);
    ASSERT_EQ(board.Feed(write).size(), 1u);
    EXPECT_EQ(board.Operate(5), -1);  // written, not yet verified
    ASSERT_EQ(board.Feed(verify).size(), 1u);
    EXPECT_EQ(board.verified(), 1);
    EXPECT_EQ(board.Operate(10), 1000);
    EXPECT_EQ(board.Operate(1009), 1);
    EXPECT_TRUE(board.PagerPresent());
    EXPECT_EQ(board.Operate(1010), 1000);
    EXPECT_FALSE(board.PagerPresent());
    EXPECT_EQ(board.Feed(probe).size(), 1u);
    EXPECT_TRUE(board.Feed(verify).empty());
    EXPECT_TRUE(board.Feed(write).empty());
    EXPECT_EQ(board.Operate(2010), -1);
    EXPECT_TRUE(board.PagerPresent());
    EXPECT_EQ(board.memory()[0x10], 0);  // a fresh pager
    EXPECT_EQ(board.Feed(verify).size(), 1u);
    EXPECT_EQ(board.verified(), 1);  // read without a write: not a verify
}

TEST(BoardCore, FaultPlans) {
    EXPECT_EQ(sim::ParseFault("no-ack@3")->fault, sim::Fault::NoAck);
    EXPECT_EQ(sim::ParseFault("no-ack@3")->at, 3);
    EXPECT_EQ(sim::ParseFault("hangup-read")->at, 0);
    EXPECT_FALSE(sim::ParseFault("bogus"));
    EXPECT_FALSE(sim::ParseFault("no-ack@"));
    EXPECT_FALSE(sim::ParseFault("no-ack@x"));
}

// The link on the real termios port, talking to the simulator through a pseudo-terminal.
struct PtyRig {
    explicit PtyRig(sim::BoardSimulator::Config config = {}) : simulator(std::move(config)) {
        std::string error;
        EXPECT_TRUE(simulator.Start(&error)) << error;
        com = map.Register(simulator.SlavePath());
        link.SetHost(&host);
        link.SetView(&view);
    }
    sim::BoardSimulator simulator;
    PortMap map;
    int com = -1;
    SteadyClock clock;
    CountingPump pump;
    RecordingDialogs dialogs;
    TermiosSerialPort port{map};
    SysfsDeviceLister lister{map, "/nonexistent-sysfs"};
    MemoryRegistry registryBackend;
    RegistryAccess registry{registryBackend};
    PagerImage image;
    RecordingHost host{image};
    RecordingDialogView view;
    SerialLink link{port, lister, registry, clock, pump, dialogs};
    SerialTransfers transfers{link, host};
};

TEST(BoardSimulatorOnPty, ProbeSkipsASilentPortAndFindsTheBoard) {
    PtyRig rig;
    // A pseudo-terminal with nobody answering, listed before the board.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    grantpt(master);
    unlockpt(master);
    PortMap& map = rig.map;
    map.Unregister(rig.simulator.SlavePath());
    const int deaf = map.Register(ptsname(master));
    rig.com = map.Register(rig.simulator.SlavePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_LT(deaf, rig.com);
    EXPECT_TRUE(rig.link.usb_probe());
    EXPECT_EQ(rig.link.boardPort, rig.com);
    EXPECT_EQ(rig.simulator.probes(), 1);
    EXPECT_GT(rig.pump.calls, 0);
    // The deaf port costs its 500 ms window, polled about once a millisecond.
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_GE(spent, std::chrono::milliseconds(500));
    EXPECT_LT(spent, std::chrono::milliseconds(900));
    EXPECT_LT(rig.pump.calls, 700);
    close(master);
}

TEST(BoardSimulatorOnPty, ShortTransfersAndAHangUp) {
    PtyRig rig;
    rig.link.boardPort = rig.com;
    PagerImage image;
    image.set(0x3F8, 0xAA);
    ASSERT_TRUE(rig.link.usb_write(image, 0x3F8, 0x3F8, 128));
    EXPECT_EQ(rig.simulator.Memory()[0x3F8], 0xAA);
    ASSERT_TRUE(rig.link.usb_read(0x3E1, 0x3EE, 128));
    EXPECT_EQ(IdentificationText(rig.link.ReadBuffer), "KPX41V1.0V1.03");

    rig.simulator.SetFault({sim::Fault::HangUpOnRead, 0});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(rig.link.usb_read(0x3E1, 0x3EE, 128));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Read error!"});
    EXPECT_EQ(rig.link.boardPort, -1);
    EXPECT_TRUE(rig.link.TransferFailed);
    EXPECT_EQ(rig.host.boardLine, "  The Programmed Board Disconnect !");
    EXPECT_FALSE(rig.host.pagerMenu);
    EXPECT_TRUE(rig.simulator.HungUp());
}

TEST(BoardSimulatorOnPty, StopHangsUpAndDumpsTheMemory) {
    TempDir dir;
    sim::BoardSimulator::Config config;
    config.dumpPath = dir.File("dump.bin");
    config.board.gpMarker = true;
    PtyRig rig(config);
    rig.link.boardPort = rig.com;
    ASSERT_EQ(rig.port.sio_open(rig.com), 0);
    rig.simulator.Stop();
    EXPECT_LT(rig.port.sio_iqueue(rig.com), 0);
    const auto dump = sim::LoadMemoryFile(config.dumpPath);
    ASSERT_TRUE(dump);
    EXPECT_EQ((*dump)[0x3F8], 0xAA);
    EXPECT_EQ((*dump)[0x3E1], 'K');
    EXPECT_EQ(std::filesystem::file_size(config.dumpPath), 2048u);
}

TEST(SimulatedBoard, ListedAsACablePortHoldingAFreshlyWrittenPager) {
    PortMap map;
    sim::SimulatedBoard board({}, map);
    ASSERT_TRUE(board.Start());
    PlatformSerial machine(map);
    // The map's ports without the machine's ttys: a real cable is never probed by a test.
    SysfsDeviceLister lister(map, "/nonexistent-sysfs");
    const auto listed = lister.GetDevInfo(kCableDescription);
    const std::string name =
        "Prolific USB-to-Serial Comm Port (COM" + std::to_string(board.com()) + ")\r\n";
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());
    EXPECT_GE(SerialPortCount(machine.registry), 1);

    NullEventPump pump;
    RecordingDialogs dialogs;
    SerialLink link(machine.port, lister, machine.registry, machine.clock, pump, dialogs);
    ASSERT_TRUE(link.usb_probe());
    EXPECT_EQ(link.boardPort, board.com());
    EXPECT_EQ(board.simulator().Memory(), sim::FreshBoardMemory());
    board.Stop();
    EXPECT_EQ(map.PathForCom(board.com()), std::nullopt);
    const auto after = lister.GetDevInfo(kCableDescription);
    EXPECT_EQ(std::find(after.begin(), after.end(), name), after.end());
}

TEST(BoardSimExecutable, PrintsItsSlavePathAndDumpsOnExit) {
    TempDir dir;
    BoardSimProcess boardsim({"--model", "KPX41V9.9V9.99", "--dump", dir.File("m.bin")});
    const std::string line = boardsim.path();
    EXPECT_EQ(line.rfind("/dev/pts/", 0), 0u) << line;
    EXPECT_TRUE(std::filesystem::exists(line));
    EXPECT_EQ(boardsim.Stop(), 0);
    const auto dump = sim::LoadMemoryFile(dir.File("m.bin"));
    ASSERT_TRUE(dump);
    EXPECT_EQ(std::string(dump->begin() + 0x3E1, dump->begin() + 0x3EF), "KPX41V9.9V9.99");
}

}  // namespace
}  // namespace kpx::testing
