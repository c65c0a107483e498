#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_app.h"
#include "link/frame_templates.h"
#include "link/frame_trace.h"
#include "link/serial_link.h"
#include "sim/board_simulator.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

// `kpx41 read --trace`: the file holds the read's frames, and a second command appends.
TEST(TraceCli, ReadWritesItsFramesToTheTraceFile) {
    testing::TempDir dir;
    sim::BoardSimulator board({{}, false, ""});
    ASSERT_TRUE(board.Start());
    const std::string trace = dir.File("trace.txt");
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"read", "--port", board.SlavePath(), "-o", dir.File("p.tbl"), "--trace",
                      trace, "--no-backup"},
                     out, err),
              0)
        << err.str();
    std::ifstream in(trace);
    auto frames = DecodeTrace(in);
    ASSERT_EQ(frames.size(), 18u);
    EXPECT_EQ(frames[2].bytes, BuildReadCommand(0, 128));
    EXPECT_EQ(frames[3].bytes.size(), 143u);
    EXPECT_EQ(frames[17].direction, '<');

    ASSERT_EQ(RunCli({"verify", "--port", board.SlavePath(), dir.File("p.tbl"), "--trace", trace},
                     out, err),
              0)
        << err.str();
    std::ifstream again(trace);
    EXPECT_EQ(DecodeTrace(again).size(), 34u);

    EXPECT_EQ(RunCli({"read", "--port", board.SlavePath(), "-o", dir.File("q.tbl"), "--trace",
                      dir.File("no/such/folder/t.txt")},
                     out, err),
              1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("q.tbl")));
}

}  // namespace
}  // namespace kpx::cli
