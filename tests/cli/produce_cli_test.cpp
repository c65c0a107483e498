#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "cli/cli_app.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "link/frame_trace.h"
#include "link/serial_transfers.h"
#include "platform/locked_log.h"
#include "production/production.h"
#include "settings/capcode.h"
#include "sim/board_simulator.h"
#include "support/sha256.h"
#include "testsupport/child_process.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;
using kpx::testing::TempDir;

using testing::Kpx41;
using testing::Result;

// The shared board, with what these tests read back from its memory.
struct Board : testing::Board {
    using testing::Board::Board;
    CapcodePair Capcodes() const {
        const auto m = simulator.Memory();
        PagerImage image;
        std::copy_n(m.begin(), kImageSize, image.bytes().begin());
        return {CapcodeValue(image, 0), CapcodeValue(image, 1)};
    }
    std::string MemorySha() const { return ShaWith(Capcodes()); }
    // The SHA-256 of what a pager of this board holds with other capcodes: its memory with the
    // capcode bytes changed, each keeping its enable flag.
    std::string ShaWith(const CapcodePair& c) const {
        auto m = simulator.Memory();
        for (int k = 0; k < 2; ++k) {
            const std::size_t at = 0x360 + 3 * static_cast<std::size_t>(k);
            m[at] = static_cast<std::uint8_t>((m[at] & 0x80) | (c[k] >> 16));
            m[at + 1] = static_cast<std::uint8_t>(c[k] >> 8);
            m[at + 2] = static_cast<std::uint8_t>(c[k]);
        }
        return Sha256Hex(std::span<const std::uint8_t>(m.data(), kImageSize));
    }
};

// A table file of the default image with capcodes 1 and 2 as given; capcode 2 gets a function
// so that it is written enabled.
struct Series {
    Series(std::int32_t c1, std::int32_t c2) {
        image = BuildDefaultImage();
        StoreCapcode(image, 0, c1);
        StoreCapcode(image, 1, c2);
        EXPECT_EQ(SaveTableFile(file(), image), "");
    }
    std::string file() const { return dir.File("series.tbl"); }
    std::string log() const { return dir.File("runs.csv"); }
    std::vector<LogRow> Rows() const {
        std::ifstream in(log());
        return ParseLog(in);
    }
    std::vector<std::string> Produce(std::vector<std::string> ports, const std::string& autoInc,
                                     int count, std::vector<std::string> extra = {}) const {
        extra.insert(extra.begin(), {"--log", log(), "--no-wait"});
        return kpx::testing::ProduceArgs(file(), ports, autoInc, count, extra);
    }
    TempDir dir;
    PagerImage image;
};

TEST(Produce, ThreePagersOnOneBoardWithTheirLogRowsAndBackups) {
    Series series(1234567, 42);
    TempDir data;
    const kpx::testing::ScopedEnv dataHome("XDG_DATA_HOME", data.path());
    Board board;
    const Result r = Kpx41(series.Produce({board.path()}, "1", 3));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("done 3, failed 0, "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" pagers per hour\n"), std::string::npos) << r.out;

    std::ifstream in(series.log());
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header, kLogHeader);
    const auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 3u);
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    for (int i = 0; i < 3; ++i) {
        const CapcodePair expected{1234567 + i, 42};
        EXPECT_TRUE(std::regex_match(rows[i].time, iso)) << rows[i].time;
        EXPECT_EQ(rows[i].port, board.path());
        EXPECT_EQ(rows[i].capcodes, expected);
        EXPECT_EQ(rows[i].sha256, board.ShaWith(expected)) << i;
        EXPECT_EQ(rows[i].result, "ok");
        EXPECT_EQ(rows[i].message, "Verify Success!");
    }
    // The pager on the board now holds the last image the log names.
    EXPECT_EQ(board.Capcodes(), (CapcodePair{1234569, 42}));
    EXPECT_EQ(board.MemorySha(), rows[2].sha256);
    EXPECT_EQ(board.simulator.writes(), 24);

    std::vector<std::string> backups;
    for (const auto& e : fs::directory_iterator(data.path() + "/kpx41/backups")) {
        backups.push_back(e.path().filename().string().substr(16));
    }
    std::sort(backups.begin(), backups.end());
    EXPECT_EQ(backups, (std::vector<std::string>{"write_1234567.tbl", "write_1234568.tbl",
                                                 "write_1234569.tbl"}));
}

// A backups folder that cannot be made costs a warning on the board's own lines, not the pager.
TEST(Produce, AnUnwritableBackupsFolderOnlyWarns) {
    Series series(600, 42);
    TempDir data;
    std::ofstream(data.File("kpx41")) << "a file where the folder should be";
    const kpx::testing::ScopedEnv dataHome("XDG_DATA_HOME", data.path());
    Board boards[2];
    const Result r = Kpx41(series.Produce({boards[0].path(), boards[1].path()}, "1", 2));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("done 2, failed 0, "), std::string::npos) << r.out;
    for (const Board& b : boards) {
        EXPECT_NE(r.err.find(b.path() + ": kpx41: no backup kept: "), std::string::npos) << r.err;
    }
}

TEST(Produce, SixPagersOnThreeBoardsGetDistinctCapcodesInOrder) {
    Series series(500, 9000);
    Board boards[3];
    const Result r = Kpx41(series.Produce({boards[0].path(), boards[1].path(), boards[2].path()},
                                          "1,2", 6, {"--no-backup"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("done 6, failed 0, "), std::string::npos) << r.out;
    auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 6u);
    std::map<std::string, CapcodePair> lastOnBoard;
    std::vector<std::int32_t> firsts;
    for (const LogRow& row : rows) {
        EXPECT_EQ(row.result, "ok");
        EXPECT_EQ(row.capcodes[1] - row.capcodes[0], 8500);  // both count, in step
        lastOnBoard[row.port] = row.capcodes;
        firsts.push_back(row.capcodes[0]);
    }
    std::sort(firsts.begin(), firsts.end());
    EXPECT_EQ(firsts, (std::vector<std::int32_t>{500, 501, 502, 503, 504, 505}));
    // Two rounds: the first three capcodes, then the next three, one on each board.
    for (const LogRow& row : rows) {
        for (const Board& b : boards) {
            if (b.path() == row.port) EXPECT_EQ(row.sha256, b.ShaWith(row.capcodes));
        }
    }
    for (const Board& b : boards) {
        ASSERT_TRUE(lastOnBoard.count(b.path())) << b.path();
        EXPECT_EQ(b.Capcodes(), lastOnBoard[b.path()]);
        EXPECT_GE(b.Capcodes()[0], 503);
        EXPECT_EQ(b.simulator.writes(), 16);
    }
}

// One board of two fails every pager: each failed pager's capcodes go to the next pager on the
// other board, its row says failed, no capcode is logged ok twice, and after three failures in
// a row that board alone stops.
TEST(Produce, AFailingBoardHandsItsCapcodesOnAndStopsAlone) {
    Series series(100, 42);
    Board good;
    sim::BoardOptions broken;
    broken.fault = {sim::Fault::WrongAck, 0};
    Board bad(broken);
    const Result r = Kpx41(series.Produce({good.path(), bad.path()}, "1", 5, {"--no-backup"}));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("done 5, failed 3, "), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(bad.path() + ": 3 pagers failed in a row; it takes no more pagers\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find(good.path() + ": 3 pagers failed"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(good.path() + ": Write error!"), std::string::npos) << r.err;

    const auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 8u);
    std::map<std::int32_t, int> okTimes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LogRow& row = rows[i];
        EXPECT_EQ(row.capcodes[1], 42);
        if (row.result == "ok") {
            EXPECT_EQ(row.port, good.path()) << i;
            EXPECT_EQ(row.sha256, good.ShaWith(row.capcodes)) << i;
            ++okTimes[row.capcodes[0]];
            continue;
        }
        EXPECT_EQ(row.result, "failed") << i;
        EXPECT_EQ(row.port, bad.path()) << i;
        EXPECT_EQ(row.message, "Write error!") << i;
        // The capcodes of a failed pager are written, later, on the other board.
        bool takenOver = false;
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            takenOver |= rows[j].result == "ok" && rows[j].capcodes == row.capcodes;
        }
        EXPECT_TRUE(takenOver) << "capcode " << row.capcodes[0] << " of row " << i;
    }
    EXPECT_EQ(okTimes,
              (std::map<std::int32_t, int>{{100, 1}, {101, 1}, {102, 1}, {103, 1}, {104, 1}}));
    EXPECT_EQ(good.Capcodes()[0], 104);
}

// A GP(RoHS) pager on a board for a file of another band: only --yes writes it. Without, each
// pager stops before a byte is written, and three such pagers take the board out.
TEST(Produce, AGpRohsPagerIsWrittenOnlyWithYes) {
    sim::BoardOptions gp;
    gp.gpMarker = true;
    {
        Series series(200, 42);
        Board board(gp);
        const Result r = Kpx41(series.Produce({board.path()}, "1", 2, {"--no-backup"}));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(board.path() + ": The Pager is GP(RoHS) ! \r\n" + board.path() +
                             ": Are you sure overwrite it?\n" + board.path() +
                             ": (answered No; --yes answers Yes)\n"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.out.find("done 0, failed 3, "), std::string::npos) << r.out;
        EXPECT_EQ(board.simulator.writes(), 0);
        const auto rows = series.Rows();
        ASSERT_EQ(rows.size(), 3u);
        for (const LogRow& row : rows) {
            EXPECT_EQ(row.result, "failed");
            EXPECT_EQ(row.capcodes, (CapcodePair{200, 42}));
        }
    }
    Series series(300, 42);
    Board board(gp);
    const Result r = Kpx41(series.Produce({board.path()}, "1", 2, {"--no-backup", "--yes"}));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find(board.path() + ": (answered Yes: --yes)\n"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("done 2, failed 0, "), std::string::npos) << r.out;
    EXPECT_EQ(board.simulator.writes(), 16);
    EXPECT_EQ(board.Capcodes(), (CapcodePair{301, 42}));
    const auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].result, "ok");
    EXPECT_EQ(rows[1].result, "ok");
}

TEST(Produce, RefusesLoggedCapcodesAndResumesAfterAFault) {
    Series series(7000, 42);
    {
        // The line dies in the middle of the second pager's write.
        sim::BoardOptions dying;
        dying.fault = {sim::Fault::HangUpOnWrite, 12};
        Board board(dying);
        const Result r = Kpx41(series.Produce({board.path()}, "1", 4, {"--no-backup"}));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(board.path() + ": Write error!\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("the board is gone"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("done 1, failed 1, "), std::string::npos) << r.out;
    }
    auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].result, "failed");
    EXPECT_EQ(rows[1].capcodes[0], 7001);
    EXPECT_EQ(rows[1].message, "Write error!");

    Board fresh;
    const Result again = Kpx41(series.Produce({fresh.path()}, "1", 2, {"--no-backup"}));
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("kpx41 produce: capcode 1 = 0007000 is already written in the log"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(fresh.simulator.writes(), 0);
    EXPECT_EQ(series.Rows().size(), 2u);

    const Result resumed =
        Kpx41(series.Produce({fresh.path()}, "1", 3, {"--resume", "--no-backup"}));
    ASSERT_EQ(resumed.code, 0) << resumed.err;
    rows = series.Rows();
    ASSERT_EQ(rows.size(), 5u);
    std::vector<std::int32_t> ok;
    for (const LogRow& row : rows) {
        if (row.result == "ok") ok.push_back(row.capcodes[0]);
    }
    EXPECT_EQ(ok, (std::vector<std::int32_t>{7000, 7001, 7002, 7003}));
    EXPECT_EQ(fresh.Capcodes()[0], 7003);
}

// A run killed while its last row was half on disk: that row's capcodes count as written, and
// the rows after it start on a line of their own, so that the next resume still sees them.
TEST(Produce, ResumesAfterAHalfWrittenLastRow) {
    Series series(8000, 42);
    {
        std::ofstream log(series.log());
        log << kLogHeader << "\n"
            << FormatLogRow({"2026-01-01T00:00:00Z", "p", {8000, 42}, "00", "ok", ""}) << "\n"
            << "2026-01-01T00:00:05Z,p,0008001,00";
    }
    Board board;
    const Result first = Kpx41(series.Produce({board.path()}, "1", 2, {"--resume", "--no-backup"}));
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.err.rfind(series.log() +
                                  ": line 3 has no result ok or failed; capcodes 0008001 0000000 "
                                  "count as written\n",
                              0),
              0u)
        << first.err;
    EXPECT_EQ(board.Capcodes()[0], 8003);
    const Board again;
    ASSERT_EQ(Kpx41(series.Produce({again.path()}, "1", 1, {"--resume", "--no-backup"})).code, 0);
    std::vector<std::int32_t> ok;
    for (const LogRow& row : series.Rows()) {
        if (row.result == "ok") ok.push_back(row.capcodes[0]);
    }
    // The cut row's pager may hold 8001: it counts as written, and the run says so.
    EXPECT_EQ(ok, (std::vector<std::int32_t>{8000, 8001, 8002, 8003, 8004}));
    EXPECT_EQ(again.Capcodes()[0], 8004);
}

// With several boards the trace says which COM name is which --port, so that a failed row of
// the log can be found in it.
TEST(Produce, TheTraceNamesEachBoardsPort) {
    Series series(9200, 42);
    Board a, b;
    const std::string trace = series.dir.File("frames.trace");
    const Result r =
        Kpx41(series.Produce({a.path(), b.path()}, "1", 2, {"--no-backup", "--trace", trace}));
    ASSERT_EQ(r.code, 0) << r.err;
    std::map<std::string, std::string> pathOf;
    std::ifstream text(trace);
    const std::regex named(R"(\S+ (COM\d+) # port (.+))");
    std::smatch m;
    for (std::string l; std::getline(text, l);) {
        if (std::regex_match(l, m, named)) pathOf[m[1]] = m[2];
    }
    ASSERT_EQ(pathOf.size(), 2u);
    std::ifstream in(trace);
    std::map<std::string, int> framesOn;
    for (const TracedFrame& f : DecodeTrace(in)) ++framesOn[pathOf.at(f.port)];
    EXPECT_GT(framesOn[a.path()], 16);
    EXPECT_GT(framesOn[b.path()], 16);
}

// Two stations on one log would hand out the same capcodes: the second is refused while the
// first holds it, and a log that is no plain file is refused before it is read.
TEST(Produce, RefusesALogInUseOrNoPlainFile) {
    Series series(9000, 42);
    Board board;
    {
        std::string error;
        const auto held = LockedLog::Open(series.log(), &error);
        ASSERT_NE(held, nullptr) << error;
        const Result r = Kpx41(series.Produce({board.path()}, "1", 1, {"--no-backup"}));
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, series.log() + " is in use by another run\n");
        EXPECT_EQ(board.simulator.writes(), 0);
    }
    EXPECT_EQ(Kpx41(series.Produce({board.path()}, "1", 1, {"--no-backup"})).code, 0);

    std::vector<std::string> args = series.Produce({board.path()}, "1", 1, {"--no-backup"});
    *(std::find(args.begin(), args.end(), "--log") + 1) = "/dev/zero";  // endless to read
    const Result r = Kpx41(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "/dev/zero is not a plain file\n");
}

// A full disk under the log: the pager whose row is lost is named, nothing more is programmed,
// and the run does not end as a success.
TEST(Produce, ALogThatCannotBeWrittenStopsTheSeries) {
    Series series(9100, 42);
    Board board;
    const std::string row = FormatLogRow({"2026-12-08T09:05:07Z",
                                          board.path(),
                                          {9100, 42},
                                          std::string(64, '0'),
                                          "ok",
                                          "Verify Success!"}) +
                            "\n";
    {
        std::ofstream log(series.log());
        log << kLogHeader << "\n";
    }
    // Room for one row and a half: the second row is cut, as on a full disk.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = std::strlen(kLogHeader) + 1 + row.size() * 3 / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Result r = Kpx41(series.Produce({board.path()}, "1", 5, {"--no-backup"}));
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(series.log() + ": cannot be written: " + std::strerror(EFBIG) +
                         "; capcodes 0009101 0000042 (ok) are missing from it or "
                         "cut short; the series stops\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("done 2, failed 0, "), std::string::npos) << r.out;
    EXPECT_EQ(board.Capcodes()[0], 9101);
    // What did reach the log keeps the second pager's capcodes from being written again.
    const auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].capcodes[0], 9101);
    EXPECT_EQ(rows[1].result, "ok");
}

TEST(Produce, StopsAtTheTopOfTheCapcodeRange) {
    Series series(100, 2097150);
    Board board;
    const Result r = Kpx41(series.Produce({board.path()}, "2", 5, {"--no-backup"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(board.path() + ": Capcode 2 > 2097151 so can not be increase!\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("done 2, failed 0, "), std::string::npos) << r.out;
    const auto rows = series.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].capcodes, (CapcodePair{100, 2097151}));
    EXPECT_EQ(board.Capcodes(), (CapcodePair{100, 2097151}));

    // Resuming past the top says so and touches no pager.
    const Result past = Kpx41(series.Produce({board.path()}, "2", 1, {"--resume"}));
    EXPECT_EQ(past.code, 1);
    EXPECT_EQ(past.err, "Capcode 2 > 2097151 so can not be increase!\n");
    EXPECT_EQ(board.simulator.writes(), 16);
}

// Without --no-wait each round waits for Enter; the end of the input ends the series.
TEST(Produce, WaitsForEnterBetweenRounds) {
    Series series(300, 42);
    Board board;
    std::vector<std::string> args = series.Produce({board.path()}, "1", 3, {"--no-backup"});
    args.erase(std::find(args.begin(), args.end(), "--no-wait"));
    args.erase(args.begin());  // the command's own arguments
    const CliCommand* produce = nullptr;
    for (const CliCommand& c : Commands()) {
        if (c.name == "produce") produce = &c;
    }
    ASSERT_NE(produce, nullptr);
    std::ostringstream out, err;
    std::istringstream in("\n");  // one Enter, then the input ends
    CliIo io{out, err, &in};
    EXPECT_EQ(produce->run(args, io), 1);
    const std::string prompt = "put the next pagers on the boards and press Enter\n";
    const std::string text = out.str();
    const auto first = text.find(prompt);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(prompt, first + 1), std::string::npos) << text;
    EXPECT_NE(text.find("done 2, failed 0, "), std::string::npos) << text;
    EXPECT_EQ(board.Capcodes()[0], 301);
}

// One board named twice would get two pagers' capcodes written into one pager, both logged.
TEST(Produce, RefusesABoardNamedTwice) {
    Series series(700, 42);
    Board board;
    const std::string link = series.dir.File("cable");
    fs::create_symlink(board.path(), link);
    for (const std::string& second : {board.path(), link}) {
        const Result r = Kpx41(series.Produce({board.path(), second}, "1", 2, {"--no-backup"}));
        EXPECT_EQ(r.code, 2) << second;
        EXPECT_NE(r.err.find("kpx41 produce: --port " + second + " is the board of --port " +
                             board.path()),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(board.simulator.writes(), 0);
    EXPECT_TRUE(series.Rows().empty());
}

TEST(Produce, UsageErrors) {
    const std::vector<std::string> cases[] = {
        {"produce"},
        {"produce", "a.tbl", "--auto-increase", "1", "--count", "2", "--log", "l.csv"},
        {"produce", "a.tbl", "--port", "p", "--count", "2", "--log", "l.csv"},
        {"produce", "a.tbl", "--port", "p", "--auto-increase", "3", "--count", "2", "--log", "l"},
        {"produce", "a.tbl", "--port", "p", "--auto-increase", "1", "--count", "0", "--log", "l"},
        {"produce", "a.tbl", "--port", "p", "--auto-increase", "1", "--count", "2"},
        {"produce", "a.tbl", "b.tbl", "--port", "p"},
        {"produce", "a.tbl", "--port"},
        {"produce", "a.tbl", "--bogus"},
    };
    for (const auto& args : cases) {
        const Result r = Kpx41(args);
        EXPECT_EQ(r.code, 2) << args.size() << r.err;
        EXPECT_NE(r.err.find("usage: kpx41 produce FILE (--port PATH"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace kpx::cli
