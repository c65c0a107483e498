#include <gtest/gtest.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "link/serial_transfers.h"
#include "platform/port_map.h"
#include "platform/termios_port.h"
#include "sim/board_simulator.h"
#include "testsupport/child_process.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;

using testing::Board;
using testing::Kpx41;
using testing::Result;

// The German image with capcode 2 on, but without any function.
PagerImage GermanCapcode2On() {
    PagerImage image = testing::GermanImage();
    image.SetBits(0x363, 7, 1, 1);
    image.SetBits(0x38C, 0, 0, 4);
    return image;
}

TEST(TransferCli, WriteThenReadCarriesGermanTextsEncodedOnTheWire) {
    TempDir dir;
    const PagerImage image = GermanCapcode2On();
    ASSERT_EQ(SaveTableFile(dir.File("de.tbl"), image), "");
    Board board;

    const Result written = Kpx41({"write", "--port", board.path(), dir.File("de.tbl")});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(written.err, "Verify Success!\n");
    const auto memory = board.simulator.Memory();
    EXPECT_EQ(memory[0x105], 0x7B);
    EXPECT_EQ(memory[0x106], 0x7E);
    EXPECT_EQ(memory[0x3B2], 0x5D);
    EXPECT_EQ(memory[0x3E0], 1);
    EXPECT_EQ(memory[0x363] & 0x80, 0);  // written as disabled
    EXPECT_EQ(memory[0x363] & 0x7F, image.at(0x363) & 0x7F);

    const Result read = Kpx41({"read", "--port", board.path(), "-o", dir.File("back.tbl")});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.err, "Read success!\n");
    const TableFileLoad back = LoadTableFile(dir.File("back.tbl"));
    ASSERT_EQ(back.status, TableFileStatus::Ok);
    PagerImage expected = image;
    expected.set(0x3E0, 1);
    DisableCapcodesWithoutFunction(expected);
    EXPECT_EQ(PagerImage(back.bytes), expected);
}

TEST(TransferCli, FailedReadWritesNoFile) {
    TempDir dir;
    sim::BoardOptions options;
    options.fault = {sim::Fault::WrongReadChecksum, 2};
    Board board(options);
    const Result r = Kpx41({"read", "--port", board.path(), "-o", dir.File("out.tbl")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Read error!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.tbl")));

    Board other({{}, "KPX40V1.0V1.03", false, {}});
    const Result wrongModel = Kpx41({"read", "--port", other.path(), "-o", dir.File("out.tbl")});
    EXPECT_EQ(wrongModel.code, 1);
    EXPECT_EQ(wrongModel.err,
              "This pager is not KPX41 !\r\n\r\nIt is KPX40 ( PCB V1.0, Software V1.03 )\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.tbl")));
}

TEST(TransferCli, GpPagerIsOverwrittenOnlyWithYes) {
    TempDir dir;
    ASSERT_EQ(SaveTableFile(dir.File("plain.tbl"), BuildDefaultImage()), "");
    Board board({{}, "KPX41V1.0V1.03", true, {}});
    const Result r = Kpx41({"write", "--port", board.path(), dir.File("plain.tbl")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?\n", 0), 0u)
        << r.err;
    EXPECT_EQ(board.simulator.writes(), 0);
}

TEST(TransferCli, FileProblemsAndUsageErrors) {
    TempDir dir;
    const Result missing = Kpx41({"write", "--port", "/dev/null", dir.File("none.tbl")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, dir.File("none.tbl") + ": This file is not exit!\n");
    const Result noPort = Kpx41({"read", "--port", dir.File("ttyNone"), "-o", dir.File("o.tbl")});
    EXPECT_EQ(noPort.code, 1);
    EXPECT_EQ(noPort.err, dir.File("ttyNone") + ": no such port\n");

    struct Case {
        std::vector<std::string> args;
    } usage[] = {
        {{"read"}},
        {{"read", "--port"}},
        {{"read", "-o", "x.tbl", "extra"}},
        {{"read", "-o", "x.tbl", "--bogus"}},
        {{"write"}},
        {{"write", "a.tbl", "b.tbl"}},
        {{"verify"}},
        {{"probe", "x"}},
        {{"ports", "x"}},
    };
    for (const auto& c : usage) {
        const Result r = Kpx41(c.args);
        EXPECT_EQ(r.code, 2) << c.args[0] << " " << r.err;
        EXPECT_NE(r.err.find("usage: kpx41 " + c.args[0]), std::string::npos) << r.err;
    }
}

TEST(TransferCli, ProbeFindsTheBoardOnTheListedPorts) {
    Board board;
    const int com = PortMap::Default().Register(board.path());
    kpx::testing::ScriptedLister lister;
    lister.SetComs({com});
    const Result found = Kpx41({"probe"}, &lister);
    EXPECT_EQ(found.code, 0) << found.err;
    EXPECT_EQ(found.out, "board on COM" + std::to_string(com) + " (" + board.path() + ")\n");
    const Result ports = Kpx41({"ports"}, &lister);
    EXPECT_NE(ports.out.find("Prolific USB-to-Serial Comm Port (COM" + std::to_string(com) + ")\t" +
                             board.path()),
              std::string::npos)
        << ports.out;
    const Result json = Kpx41({"ports", "--json"}, &lister);
    EXPECT_NE(json.out.find("\"com\": " + std::to_string(com) + ",\n    \"name\": " +
                            "\"Prolific USB-to-Serial Comm Port (COM" + std::to_string(com) +
                            ")\",\n    \"path\": \"" + board.path() + "\""),
              std::string::npos)
        << json.out;
    // No cable: a script reading the list gets nothing; the user is told aside.
    const Result none = Kpx41({"ports"});
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "no Prolific USB-to-Serial Comm Port found\n");
    EXPECT_EQ(Kpx41({"ports", "--json"}).out, "[]\n");
    PortMap::Default().Unregister(board.path());
    board.simulator.Stop();
}

// Without --port every transfer looks for the board on the listed ports, past one that cannot
// be opened; with no board listed it says so, fails and writes no file.
TEST(TransferCli, WithoutAPortTheBoardIsFoundAmongTheListedPorts) {
    TempDir dir;
    sim::BoardOptions options;
    options.memory.emplace();
    const PagerImage pager = GermanCapcode2On();
    std::copy(pager.bytes().begin(), pager.bytes().end(), options.memory->begin());
    Board board(options);
    const int dead = PortMap::Default().Register(dir.File("ttyUnplugged"));
    const int com = PortMap::Default().Register(board.path());
    kpx::testing::ScriptedLister lister;
    lister.SetComs({dead, com});

    const Result read = Kpx41({"read", "-o", dir.File("read.tbl"), "--no-backup"}, &lister);
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.err, "Read success!\n");
    const TableFileLoad got = LoadTableFile(dir.File("read.tbl"));
    ASSERT_EQ(got.status, TableFileStatus::Ok);
    EXPECT_EQ(got.bytes[0x3A], pager.at(0x3A));
    const int readsBefore = board.simulator.reads();
    ASSERT_EQ(SaveTableFile(dir.File("w.tbl"), BuildDefaultImage()), "");
    const Result write = Kpx41({"write", dir.File("w.tbl"), "--no-backup"}, &lister);
    ASSERT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(write.err, "Verify Success!\n");
    EXPECT_EQ(board.simulator.writes(), 8);
    const Result verify = Kpx41({"verify", dir.File("w.tbl")}, &lister);
    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_GT(board.simulator.reads(), readsBefore);

    for (const std::vector<int>& listed : {std::vector<int>{}, std::vector<int>{dead}}) {
        lister.SetComs(listed);
        const Result none = Kpx41({"read", "-o", dir.File("none.tbl")}, &lister);
        EXPECT_EQ(none.code, 1);
        EXPECT_EQ(none.err, "The Programmed Board is not responding!\n");
        EXPECT_FALSE(std::filesystem::exists(dir.File("none.tbl")));
        const Result noWrite = Kpx41({"write", dir.File("w.tbl")}, &lister);
        EXPECT_EQ(noWrite.code, 1);
        EXPECT_EQ(noWrite.err, "The Programmed Board is not responding!\n");
    }
    EXPECT_EQ(board.simulator.writes(), 8);
    PortMap::Default().Unregister(board.path());
    PortMap::Default().Unregister(dir.File("ttyUnplugged"));
}

// A port another program holds is refused before a byte goes to the board; given back, it
// serves the next command.
TEST(TransferCli, APortHeldByAnotherProgramIsRefusedBeforeAnyByte) {
    TempDir dir;
    ASSERT_EQ(SaveTableFile(dir.File("w.tbl"), BuildDefaultImage()), "");
    Board board;
    PortMap map;
    const int com = map.Register(board.path());
    const std::vector<std::string> commands[] = {
        {"write", "--port", board.path(), dir.File("w.tbl"), "--no-backup"},
        {"read", "--port", board.path(), "-o", dir.File("r.tbl"), "--no-backup"},
        {"verify", "--port", board.path(), dir.File("w.tbl")},
        {"dump", "--port", board.path(), "--no-backup"},
    };
    {
        TermiosSerialPort other(map);
        ASSERT_EQ(other.Keep(com), 0);
        for (const auto& args : commands) {
            const Result r = Kpx41(args);
            EXPECT_EQ(r.code, 1) << args[0];
            EXPECT_EQ(r.err, board.path() + " is in use by another program\n") << args[0];
        }
        TermiosSerialPort third(map);
        EXPECT_EQ(third.sio_open(com), TermiosSerialPort::kInUse);
        // The holder's own opens share its hold.
        EXPECT_EQ(other.sio_open(com), 0);
        EXPECT_EQ(other.sio_close(com), 0);
        EXPECT_EQ(third.sio_open(com), TermiosSerialPort::kInUse);
    }
    EXPECT_EQ(board.simulator.probes() + board.simulator.reads() + board.simulator.writes(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.tbl")));
    const Result free = Kpx41(commands[0]);
    EXPECT_EQ(free.code, 0) << free.err;
    EXPECT_EQ(board.simulator.writes(), 8);
}

// What kpx41 prints on a terminal as its standard error: the exit code and the screen's text.
struct TerminalRun {
    int code = -1;
    std::string screen;
};

TerminalRun RunOnTerminal(const std::vector<std::string>& args) {
    TerminalRun run;
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
    const std::string exe = std::string(KPX41_BIN_DIR) + "/kpx41";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(slave);
    // Read while it runs: a full terminal would stop it.
    char chunk[4096];
    ssize_t n;
    while ((n = read(master, chunk, sizeof chunk)) > 0) run.screen.append(chunk, n);
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A paced transfer moves a bar on a terminal, and is silent with --quiet; elsewhere (a file, a
// pipe) it prints only its messages, as the executables' test below sees.
TEST(TransferCli, TransfersDrawAProgressBarOnATerminalOnly) {
    TempDir dir;
    ASSERT_EQ(SaveTableFile(dir.File("w.tbl"), BuildDefaultImage()), "");
    Board board;
    const TerminalRun write =
        RunOnTerminal({"write", "--port", board.path(), dir.File("w.tbl"), "--no-backup"});
    EXPECT_EQ(write.code, 0) << write.screen;
    for (const char* seen : {"\rWriting   [", "\rVerifying [", "] 100%", "Verify Success!"}) {
        EXPECT_NE(write.screen.find(seen), std::string::npos) << seen << " in " << write.screen;
    }
    // The message stands on a line of its own, below the finished bar.
    EXPECT_NE(write.screen.find("100%\r\nVerify Success!"), std::string::npos) << write.screen;

    const TerminalRun quiet =
        RunOnTerminal({"verify", "--quiet", "--port", board.path(), dir.File("w.tbl")});
    EXPECT_EQ(quiet.code, 0) << quiet.screen;
    EXPECT_EQ(quiet.screen, "");
    EXPECT_EQ(board.simulator.writes(), 8);
}

// The two executables, as a script would run them.
TEST(TransferCli, ExecutablesVerifyAgainstTheBoardSimulator) {
    TempDir dir;
    ASSERT_EQ(SaveTableFile(dir.File("p.tbl"), BuildDefaultImage()), "");
    const std::string memory = dir.File("p.tbl");
    const testing::BoardSimProcess boardsim({"--memory", memory});
    const std::string cmd = testing::Kpx41Exe() + " verify --port " + boardsim.path() + " " +
                            memory + " 2>" + dir.File("err.txt");
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testing::ReadFile(dir.File("err.txt")), "Verify Success!\n");
}

}  // namespace
}  // namespace kpx::cli
