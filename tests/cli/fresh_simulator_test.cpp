// Every simulator starts from one memory: what writing the start-up image leaves on a pager,
// so that reading a simulated pager shows the window's own start and not zeros.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "link/fresh_pager.h"
#include "sim/board_core.h"
#include "sim/fresh_memory.h"
#include "sim/simulated_board.h"
#include "testsupport/child_process.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;
using testing::Board;
using testing::BoardSimProcess;
using testing::Kpx41;

bool StartsWithFreshPager(const std::uint8_t* memory) {
    const ImageBytes fresh = FreshPagerMemory();
    return std::equal(fresh.begin(), fresh.end(), memory);
}

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
        BoardSimProcess boardsim({"--dump", dir.File("m.bin")});
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
    BoardSimProcess boardsim({"--dump", dir.File("m.bin")});
    const auto read =
        Kpx41({"read", "--port", boardsim.path(), "-o", dir.File("read.tbl"), "--no-backup"});
    ASSERT_EQ(read.code, 0) << read.err;
    const auto diff = Kpx41({"diff", dir.File("start.tbl"), dir.File("read.tbl")});
    EXPECT_EQ(diff.code, 0) << diff.out;
    EXPECT_EQ(diff.out, "");
}

}  // namespace
}  // namespace kpx::cli
