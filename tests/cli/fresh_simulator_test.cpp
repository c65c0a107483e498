// Every simulator starts from one memory: what writing the start-up image leaves on a pager,
// so that reading a simulated pager shows the window's own start and not zeros.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "link/fresh_pager.h"
#include "sim/board_core.h"
#include "sim/fresh_memory.h"
#include "sim/simulated_board.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;
using testing::Board;
using testing::Kpx41;

bool StartsWithFreshPager(const std::uint8_t* memory) {
    const ImageBytes fresh = FreshPagerMemory();
    return std::equal(fresh.begin(), fresh.end(), memory);
}

// kpx41-boardsim as a user starts it, stopped with SIGTERM; what it held goes to dump.
class BoardSimProcess {
  public:
    explicit BoardSimProcess(const std::string& dump) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            const std::string exe = std::string(KPX41_BIN_DIR) + "/kpx41-boardsim";
            execl(exe.c_str(), exe.c_str(), "--dump", dump.c_str(), nullptr);
            _exit(127);
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') path_ += c;
        close(fds[0]);
    }
    ~BoardSimProcess() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    const std::string& path() const { return path_; }

  private:
    pid_t pid_ = -1;
    std::string path_;
};

// The memory is defined by what the program's own write leaves on a blank pager.
TEST(FreshPager, IsWhatWritingTheStartupImageLeaves) {
    TempDir dir;
    ASSERT_EQ(Kpx41({"new", dir.File("start.tbl")}).code, 0);
    Board blank;
    const auto written =
        Kpx41({"write", "--port", blank.path(), dir.File("start.tbl"), "--no-backup"});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_TRUE(StartsWithFreshPager(blank.simulator.Memory().data()));
}

TEST(FreshPager, EverySimulatorStartsFromIt) {
    PortMap map;
    sim::SimulatedBoard window({}, map);  // the window's --simulate
    EXPECT_TRUE(StartsWithFreshPager(window.simulator().Memory().data()));

    const sim::EepromMemory eeprom = sim::FreshEepromMemory();  // the LPT build's --simulate
    EXPECT_TRUE(StartsWithFreshPager(eeprom.data()));
    EXPECT_TRUE(std::all_of(eeprom.begin() + kImageSize, eeprom.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));

    TempDir dir;
    {
        BoardSimProcess boardsim(dir.File("m.bin"));
        ASSERT_EQ(boardsim.path().rfind("/dev/pts/", 0), 0u) << boardsim.path();
    }
    const auto dump = sim::LoadMemoryFile(dir.File("m.bin"));
    ASSERT_TRUE(dump);
    EXPECT_TRUE(StartsWithFreshPager(dump->data()));
}

// What the user sees: a pager read from kpx41-boardsim is the image `new` writes.
TEST(FreshPager, ReadingTheBoardSimulatorGivesTheStartupImage) {
    TempDir dir;
    ASSERT_EQ(Kpx41({"new", dir.File("start.tbl")}).code, 0);
    BoardSimProcess boardsim(dir.File("m.bin"));
    const auto read =
        Kpx41({"read", "--port", boardsim.path(), "-o", dir.File("read.tbl"), "--no-backup"});
    ASSERT_EQ(read.code, 0) << read.err;
    const auto diff = Kpx41({"diff", dir.File("start.tbl"), dir.File("read.tbl")});
    EXPECT_EQ(diff.code, 0) << diff.out;
    EXPECT_EQ(diff.out, "");
}

}  // namespace
}  // namespace kpx::cli
