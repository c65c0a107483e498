#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "catalogue/startup_image.h"
#include "link/frame_templates.h"
#include "link/frame_trace.h"
#include "link/serial_link.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx::cli {
namespace {

using testing::Board;
using testing::Kpx41;
using testing::Result;

// `kpx41 read --trace`: the file holds the read's frames, and a second command appends.
TEST(TraceCli, ReadWritesItsFramesToTheTraceFile) {
    testing::TempDir dir;
    // A pager as the program programs it: a blank one differs from its own file once the file
    // is opened as the window opens it (its tone code 0 goes as "Tone 1").
    sim::BoardOptions options;
    const PagerImage start = BuildStartupImage(DefaultProgramSettings());
    options.memory.emplace();
    std::copy(start.bytes().begin(), start.bytes().end(), options.memory->begin());
    const Board board(options);
    const std::string trace = dir.File("trace.txt");
    const Result read = Kpx41(
        {"read", "--port", board.path(), "-o", dir.File("p.tbl"), "--trace", trace, "--no-backup"});
    ASSERT_EQ(read.code, 0) << read.err;
    std::ifstream in(trace);
    std::string first;
    std::getline(in, first);
    EXPECT_NE(first.find(" # port " + board.path()), std::string::npos) << first;
    in.seekg(0);
    auto frames = DecodeTrace(in);
    ASSERT_EQ(frames.size(), 18u);
    EXPECT_EQ(frames[2].bytes, BuildReadCommand(0, 128));
    EXPECT_EQ(frames[3].bytes.size(), 143u);
    EXPECT_EQ(frames[17].direction, '<');

    const Result verified =
        Kpx41({"verify", "--port", board.path(), dir.File("p.tbl"), "--trace", trace});
    ASSERT_EQ(verified.code, 0) << verified.err;
    std::ifstream again(trace);
    EXPECT_EQ(DecodeTrace(again).size(), 34u);

    EXPECT_EQ(Kpx41({"read", "--port", board.path(), "-o", dir.File("q.tbl"), "--trace",
                     dir.File("no/such/folder/t.txt")})
                  .code,
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
    const Board board;
    const std::string trace = dir.File("trace.txt");
    const Result read =
        Kpx41({"read", "--port", board.path(), "-o", dir.File("p.tbl"), "--no-backup"});
    ASSERT_EQ(read.code, 0) << read.err;
    const std::vector<std::vector<std::string>> reads = {
        {"dump", "--port", board.path(), "--trace", trace},
        {"diff", dir.File("p.tbl"), "--port", board.path(), "--trace", trace},
        {"export", "--port", board.path(), "-o", dir.File("p.json"), "--trace", trace},
    };
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const Result r = Kpx41(reads[i]);
        ASSERT_EQ(r.code, 0) << reads[i][0] << r.err;
        std::ifstream in(trace);
        EXPECT_EQ(DecodeTrace(in).size(), 18u * (i + 1)) << reads[i][0];
        EXPECT_EQ(kept(), static_cast<int>(i + 1)) << reads[i][0];
    }
    ASSERT_EQ(Kpx41({"dump", "--port", board.path(), "--no-backup"}).code, 0);
    EXPECT_EQ(kept(), 3);
    // Without a pager there is nothing to trace.
    const Result usage = Kpx41({"dump", dir.File("p.tbl"), "--trace", trace});
    EXPECT_EQ(usage.code, 2);
    EXPECT_NE(usage.err.find("--trace and --no-backup go with a pager read"), std::string::npos)
        << usage.err;
}

}  // namespace
}  // namespace kpx::cli
