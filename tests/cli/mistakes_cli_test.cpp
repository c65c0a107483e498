// The mistakes a new user makes on the command line: a file cut short, an output that is
// already there or cannot be written, a wrong --port, a stray argument. None of them may damage
// a file or a pager, and every message names what is wrong.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/startup_image.h"
#include "cli/cli_app.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "link/serial_link.h"
#include "production/production.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;
using kpx::testing::TempDir;
using testing::Board;
using testing::Kpx41;
using testing::Result;

using kpx::testing::ReadFile;

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string StartupBytes() {
    const PagerImage image = BuildStartupImage(DefaultProgramSettings());
    return std::string(reinterpret_cast<const char*>(image.bytes().data()), kImageSize);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A table file cut short (a copy broken off, `head -c`) holds the model text but not the
// pager's identification and version bytes behind it: every command refuses it, names the
// file and says how long it is, and no pager is touched.
TEST(Mistakes, AShortTableFileIsRefusedByEveryCommand) {
    TempDir dir;
    const std::string good = dir.File("a.tbl");
    WriteAll(good, StartupBytes());
    const std::string cut = dir.File("s.tbl");
    WriteAll(cut, StartupBytes().substr(0, 998));
    Board board;
    const std::string reason = cut + " is 998 bytes; a table file holds 1024";
    const std::string log = dir.File("runs.csv");

    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"check", cut}, 1},
        {{"write", "--port", board.path(), cut, "--yes"}, 1},
        {{"verify", "--port", board.path(), cut}, 1},
        {{"produce", cut, LinkIsUsb() ? "--port" : "--lpt", LinkIsUsb() ? board.path() : "/dev/x",
          "--auto-increase", "1", "--count", "1", "--log", log, "--no-wait", "--no-backup"},
         1},
        {{"diff", good, cut}, 2},
        {{"dump", cut}, 1},
        {{"export", cut, "-o", dir.File("s.json")}, 1},
    };
    for (const auto& c : cases) {
        const Result r = Kpx41(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.err, cut + ": " + BadFormatMessage(cut) + "\n" + reason + "\n") << c.args[0];
    }
    EXPECT_EQ(board.simulator.writes(), 0);
    EXPECT_EQ(board.simulator.reads(), 0);
    EXPECT_FALSE(fs::exists(log));
    EXPECT_FALSE(fs::exists(dir.File("s.json")));

    // A longer file is used by its first 1024 bytes, as ever.
    const std::string longer = dir.File("long.tbl");
    WriteAll(longer, StartupBytes() + std::string(500, 'x'));
    EXPECT_EQ(Kpx41({"check", longer}).out, "ok\n");
    EXPECT_EQ(Kpx41({"diff", good, longer}).code, 0);
}

// new, read -o, import -o and export -o: an existing FILE is replaced only with --force, and an
// output that cannot be written is refused before a pager is read.
TEST(Mistakes, OutputFilesAreReplacedOnlyWithForceAndCheckedBeforeAnyRead) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    const std::string json = dir.File("a.json");
    ASSERT_EQ(Kpx41({"export", table, "-o", json}).code, 0);
    Board board;

    // Each command with its output given last.
    const std::vector<std::vector<std::string>> commands = {
        {"new", ""},
        {"read", "--port", board.path(), "--no-backup", "-o"},
        {"import", json, "-o"},
        {"export", table, "-o"},
        {"export", "--port", board.path(), "--no-backup", "-o"},
    };
    for (const auto& command : commands) {
        const std::string name = command[0] + " " + command[1];
        const int readsBefore = board.simulator.reads();
        const std::string existing = dir.File("existing");
        WriteAll(existing, "keep me");
        std::vector<std::string> args = command;
        if (args.back().empty()) args.pop_back();
        args.push_back(existing);
        const Result refused = Kpx41(args);
        EXPECT_EQ(refused.code, 2) << name;
        EXPECT_EQ(refused.err, existing + " already exists; use --force to replace it\n") << name;
        EXPECT_EQ(ReadFile(existing), "keep me") << name;

        const struct {
            std::string path;
            std::string why;
        } unwritable[] = {
            {dir.path(), "it is a folder"},
            {dir.File("missing/out"), "the folder does not exist"},
        };
        for (const auto& u : unwritable) {
            args.back() = u.path;
            const Result r = Kpx41(args);
            EXPECT_EQ(r.code, 1) << name << " " << u.path;
            EXPECT_EQ(r.err, u.path + ": cannot be written: " + u.why + "\n") << name;
        }
        EXPECT_EQ(board.simulator.reads(), readsBefore)
            << name << ": the pager was read for nothing";

        args.back() = existing;
        args.push_back("--force");
        const Result forced = Kpx41(args);
        EXPECT_EQ(forced.code, 0) << name << ": " << forced.err;
        EXPECT_NE(ReadFile(existing), "keep me") << name;
    }
    EXPECT_TRUE(std::none_of(fs::directory_iterator(dir.path()), fs::directory_iterator(),
                             [](const fs::directory_entry& e) {
                                 return e.path().filename().string().rfind(".kpx41-save-", 0) == 0;
                             }))
        << "a look at an output left a file behind";
}

// The arguments a command does not take are named, whatever their place.
TEST(Mistakes, UsageErrorsNameTheArgument) {
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"read", "--port", "P", "-o", "x.tbl", "extra"}, "unexpected argument extra"},
        {{"verify", "a.tbl", "--yes"}, "unexpected argument --yes"},
        {{"verify", "-o", "x.tbl", "a.tbl"}, "unexpected argument -o"},
        {{"write", "a.tbl", "b.tbl"}, "unexpected argument b.tbl (one FILE only)"},
        {{"write", "a.tbl", "--frobnicate"}, "unknown option --frobnicate"},
        {{"probe", "--port", "P"}, "unexpected argument --port"},
        {{"probe", "x"}, "unexpected argument x"},
        {{"ports", "x"}, "unexpected argument x"},
        {{"new", "a.tbl", "b.tbl"}, "unexpected argument b.tbl (one FILE only)"},
        {{"check", "a.tbl", "b.tbl"}, "unexpected argument b.tbl (one FILE only)"},
        {{"dump", "a.tbl", "b.tbl"}, "unexpected argument b.tbl"},
        {{"dump", "a.tbl", "-o", "x"}, "unexpected argument -o"},
        {{"diff", "a.tbl", "b.tbl", "--port", "P"}, "unexpected argument --port P"},
        {{"diff", "--json", "a.tbl", "b.tbl"}, "unexpected argument --json"},
        {{"export", "a.tbl", "b.tbl", "-o", "x.json"}, "unexpected argument b.tbl"},
        {{"import", "a.json", "-o", "x.tbl", "--show-passwords"},
         "unexpected argument --show-passwords"},
        {{"produce", "a.tbl", "b.tbl", "--port", "P"}, "unexpected argument b.tbl (one FILE only)"},
        {{"doctor", "--verbose"}, "unexpected argument --verbose"},
    };
    for (const auto& c : cases) {
        const Result r = Kpx41(c.args);
        EXPECT_EQ(r.code, 2) << c.named;
        EXPECT_EQ(Lines(r.err).at(0), "kpx41 " + c.args[0] + ": " + c.named) << r.err;
    }
}

// A --port that is no serial port is named before any transfer, and nothing is written.
TEST(Mistakes, APortThatIsNoSerialPortIsNamed) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    const std::string plain = dir.File("notes.txt");
    WriteAll(plain, "hello");
    for (const std::string& port : {plain, std::string("/dev/null"), dir.path()}) {
        const std::string expected = port + " is not a serial port\n";
        const std::string log = dir.File("x.csv");
        const struct {
            std::vector<std::string> args;
            int code;
        } cases[] = {
            {{"read", "--port", port, "-o", dir.File("o.tbl"), "--no-backup"}, 1},
            {{"write", "--port", port, table, "--no-backup"}, 1},
            {{"verify", "--port", port, table}, 1},
            {{"dump", "--port", port, "--no-backup"}, 1},
            {{"diff", table, "--port", port, "--no-backup"}, 2},
            {{"produce", table, "--port", port, "--auto-increase", "1", "--count", "1", "--log",
              log, "--no-wait", "--no-backup"},
             1},
        };
        for (const auto& c : cases) {
            // A parallel-port build's produce drives only the parallel port.
            if (c.args[0] == "produce" && !LinkIsUsb()) continue;
            const Result r = Kpx41(c.args);
            EXPECT_EQ(r.code, c.code) << c.args[0] << " " << port;
            EXPECT_EQ(r.err, expected) << c.args[0];
        }
        EXPECT_FALSE(fs::exists(dir.File("o.tbl")));
        EXPECT_FALSE(fs::exists(log)) << "the log was made before the port was looked at";
    }
    EXPECT_EQ(ReadFile(plain), "hello");
    const Result gone = Kpx41({"read", "--port", "/dev/pts/9999", "-o", dir.File("o.tbl")});
    EXPECT_EQ(gone.err, "/dev/pts/9999: no such port\n");
}

// A port that is not there at all: the series does not start and makes no log.
TEST(Produce, ChecksThePortsBeforeTheLogIsMade) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    const std::string log = dir.File("x.csv");
    const Result r = Kpx41({"produce", table, "--port", "/dev/pts/9999", "--auto-increase", "1",
                            "--count", "1", "--log", log, "--no-wait"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "/dev/pts/9999: no such port\n");
    EXPECT_FALSE(fs::exists(log));
}

// With two files on the line, the message says which one it means; every line about a file
// begins with its path.
TEST(Mistakes, FileMessagesBeginWithThePath) {
    TempDir dir;
    const std::string good = dir.File("a.tbl");
    WriteAll(good, StartupBytes());
    const std::string missing = dir.File("nothere.tbl");
    const std::string wrong = dir.File("wrong.tbl");
    WriteAll(wrong, std::string(1024, 'x'));
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"diff", good, missing}, missing + ": This file is not exit!\n"},
        {{"diff", missing, good}, missing + ": This file is not exit!\n"},
        {{"diff", good, wrong}, wrong + ": " + BadFormatMessage(wrong) + "\n"},
        {{"check", missing}, missing + ": This file is not exit!\n"},
        {{"dump", dir.path()},
         dir.path() + ": The file [" + dir.path() + "] cannot be read: it is a folder\n"},
        {{"write", "--port", "/dev/null", missing}, missing + ": This file is not exit!\n"},
        {{"import", missing, "-o", dir.File("o.tbl")}, missing + ": cannot be read\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Kpx41(c.args).err, c.err) << c.args[0];
}

// produce appends rows only to a production log: any other file is left as it was.
TEST(Produce, AppendsOnlyToAProductionLog) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    const std::string notes = dir.File("notes.txt");
    WriteAll(notes, "call the supplier\n");
    Board board;
    for (const std::string& log : {table, notes}) {
        const std::string before = ReadFile(log);
        const Result r = Kpx41({"produce", table, "--port", board.path(), "--auto-increase", "1",
                                "--count", "1", "--log", log, "--no-wait", "--no-backup"});
        EXPECT_EQ(r.code, 2) << log;
        EXPECT_EQ(r.err, log + ": not a production log (its first line is not \"" +
                             std::string(kLogHeader) + "\"); it is left as it is\n");
        EXPECT_EQ(ReadFile(log), before);
    }
    EXPECT_EQ(board.simulator.writes(), 0);
    EXPECT_EQ(Kpx41({"check", table}).out, "ok\n");

    // An empty file (made with touch) takes the header and the rows.
    const std::string empty = dir.File("empty.csv");
    WriteAll(empty, "");
    const Result r = Kpx41({"produce", table, "--port", board.path(), "--auto-increase", "1",
                            "--count", "1", "--log", empty, "--no-wait", "--no-backup"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Lines(ReadFile(empty)).at(0), kLogHeader);
}

// produce says why it stopped short of --count.
TEST(Produce, SaysWhenStandardInputEnded) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    Board board;
    const CliCommand* produce = nullptr;
    for (const CliCommand& c : Commands()) {
        if (c.name == "produce") produce = &c;
    }
    ASSERT_NE(produce, nullptr);
    std::ostringstream out, err;
    std::istringstream in("\n");  // one Enter, then the input ends
    CliIo io{out, err, &in};
    EXPECT_EQ(produce->run({table, "--port", board.path(), "--auto-increase", "1", "--count", "5",
                            "--log", dir.File("runs.csv"), "--no-backup"},
                           io),
              1);
    EXPECT_NE(err.str().find("kpx41 produce: standard input ended; 3 pagers not programmed\n"),
              std::string::npos)
        << err.str();
}

// With --lpt and no parallel port the series stops before it starts, for the reason a read
// gives, and makes no log.
TEST(Mistakes, ProduceOnAMachineWithoutAParallelPortSaysSo) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    WriteAll(table, StartupBytes());
    const kpx::testing::ScopedEnv noParports("KPX41_PARPORTS", "");
    const Result read = Kpx41({"read", "--lpt", "-o", dir.File("o.tbl"), "--no-backup"});
    const Result r = Kpx41({"produce", table, "--lpt", "--auto-increase", "1", "--count", "2",
                            "--log", dir.File("runs.csv"), "--no-wait", "--no-backup"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, read.err);
    EXPECT_NE(r.err.find("kpx41: no parallel port found"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("runs.csv")));
}

}  // namespace
}  // namespace kpx::cli
