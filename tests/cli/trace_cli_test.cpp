#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/startup_image.h"
#include "cli/cli_app.h"
#include "link/frame_templates.h"
#include "link/frame_trace.h"
#include "link/serial_link.h"
#include "sim/board_simulator.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx::cli {
namespace {

// `kpx41 read --trace`: the file holds the read's frames, and a second command appends.
TEST(TraceCli, ReadWritesItsFramesToTheTraceFile) {
    testing::TempDir dir;
    // A pager as the program programs it: a blank one differs from its own file once the file
    // is opened as the window opens it (its tone code 0 goes as "Tone 1").
    sim::BoardOptions options;
    const PagerImage start = BuildStartupImage(DefaultProgramSettings());
    options.memory.emplace();
    std::copy(start.bytes().begin(), start.bytes().end(), options.memory->begin());
    sim::BoardSimulator board({options, false, ""});
    ASSERT_TRUE(board.Start());
    const std::string trace = dir.File("trace.txt");
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"read", "--port", board.SlavePath(), "-o", dir.File("p.tbl"), "--trace",
                      trace, "--no-backup"},
                     out, err),
              0)
        << err.str();
    std::ifstream in(trace);
    std::string first;
    std::getline(in, first);
    EXPECT_NE(first.find(" # port " + board.SlavePath()), std::string::npos) << first;
    in.seekg(0);
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

// The commands that read a pager only to show it trace and back up that read like `read`.
TEST(TraceCli, DumpDiffAndExportOfAPagerAreTracedAndBackedUp) {
    testing::TempDir dir;
    const testing::ScopedEnv dataHome("XDG_DATA_HOME", dir.path());
    const std::string backups = dir.File("kpx41/backups");
    auto kept = [&] {
        std::error_code ec;
        const auto it = std::filesystem::directory_iterator(backups, ec);
        return ec ? 0 : static_cast<int>(std::distance(it, std::filesystem::directory_iterator()));
    };
    sim::BoardSimulator board({{}, false, ""});
    ASSERT_TRUE(board.Start());
    const std::string trace = dir.File("trace.txt");
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"read", "--port", board.SlavePath(), "-o", dir.File("p.tbl"), "--no-backup"},
                     out, err),
              0)
        << err.str();
    const std::vector<std::vector<std::string>> reads = {
        {"dump", "--port", board.SlavePath(), "--trace", trace},
        {"diff", dir.File("p.tbl"), "--port", board.SlavePath(), "--trace", trace},
        {"export", "--port", board.SlavePath(), "-o", dir.File("p.json"), "--trace", trace},
    };
    for (std::size_t i = 0; i < reads.size(); ++i) {
        ASSERT_EQ(RunCli(reads[i], out, err), 0) << reads[i][0] << err.str();
        std::ifstream in(trace);
        EXPECT_EQ(DecodeTrace(in).size(), 18u * (i + 1)) << reads[i][0];
        EXPECT_EQ(kept(), static_cast<int>(i + 1)) << reads[i][0];
    }
    ASSERT_EQ(RunCli({"dump", "--port", board.SlavePath(), "--no-backup"}, out, err), 0);
    EXPECT_EQ(kept(), 3);
    // Without a pager there is nothing to trace.
    std::ostringstream usage;
    EXPECT_EQ(RunCli({"dump", dir.File("p.tbl"), "--trace", trace}, out, usage), 2);
    EXPECT_NE(usage.str().find("--trace and --no-backup go with a pager read"), std::string::npos)
        << usage.str();
}

}  // namespace
}  // namespace kpx::cli
