#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/commands.h"
#include "cli/transfer_commands.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "link/bus_trace.h"
#include "link/serial_transfers.h"
#include "production/production.h"
#include "settings/capcode.h"
#include "sim/eeprom_simulator.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;
using sim::EepromFault;

using testing::Kpx41;
using testing::Result;

// kpx41 with --lpt driving a simulated memory on a fake clock.
class ParallelCli : public ::testing::Test {
  protected:
    void Plug(sim::EepromOptions options = {}) {
        if (!options.memory) {
            sim::EepromMemory m;
            m.fill(0xFF);
            const PagerImage d = BuildDefaultImage();
            std::copy(d.bytes().begin(), d.bytes().end(), m.begin());
            options.memory = m;
        }
        // The fake clock stands still during bit times, so the verify right after a write would
        // find the memory still programming the last page: let it program at once.
        options.writeCycleMs = 0;
        memory = std::make_unique<sim::EepromSimulator>(clock, options);
        UseParallelPort(memory.get(), &clock);
    }
    void TearDown() override { UseParallelPort(nullptr); }

    kpx::testing::FakeClock clock;
    std::unique_ptr<sim::EepromSimulator> memory;
    TempDir dir;
};

using testing::GermanImage;

TEST_F(ParallelCli, WriteThenReadCarriesGermanTextsEncodedOnTheWire) {
    Plug();
    ASSERT_EQ(SaveTableFile(dir.File("de.tbl"), GermanImage()), "");
    const Result written = Kpx41({"write", "--lpt", dir.File("de.tbl")});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(written.err, "Verify Success!\n");
    EXPECT_EQ(memory->memory()[0x105], 0x7B);
    EXPECT_EQ(memory->memory()[0x106], 0x7E);
    EXPECT_EQ(memory->memory()[0x3B2], 0x5D);
    EXPECT_EQ(memory->memory()[0x3E0], 1);
    EXPECT_EQ(memory->releases(), 1);  // the port handed back once, after write and verify

    const Result read =
        Kpx41({"read", "--lpt", "-o", dir.File("back.tbl"), "--trace", dir.File("bus.trace")});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.err, "Read success!\n");
    // The trace holds the bus transactions, and the image's bytes as the memory gave them.
    std::ifstream trace(dir.File("bus.trace"));
    const std::vector<MemoryAccess> reads = MemoryAccesses(DecodeBusTrace(trace));
    ASSERT_GE(reads.size(), static_cast<std::size_t>(kImageSize));
    for (int a = 0; a < kImageSize; ++a) {
        const MemoryAccess& r = reads[reads.size() - kImageSize + a];
        EXPECT_EQ(r.address, a);
        EXPECT_EQ(r.value, memory->memory()[a]) << a;
    }
    const TableFileLoad back = LoadTableFile(dir.File("back.tbl"));
    ASSERT_EQ(back.status, TableFileStatus::Ok);
    PagerImage expected = GermanImage();
    expected.set(0x3E0, 1);
    DisableCapcodesWithoutFunction(expected);
    EXPECT_EQ(PagerImage(back.bytes), expected);

    const Result same = Kpx41({"verify", "--lpt", dir.File("back.tbl")});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "the pager matches " + dir.File("back.tbl") + "\n");

    // diff reads the pager over the same link, on either side.
    const Result equal = Kpx41({"diff", dir.File("back.tbl"), "--lpt"});
    EXPECT_EQ(equal.code, 0) << equal.err;
    PagerImage changed = PagerImage(back.bytes);
    changed.set(0x105, 0xF6);  // ö
    ASSERT_EQ(SaveTableFile(dir.File("changed.tbl"), changed), "");
    const Result differs = Kpx41({"diff", "--lpt", dir.File("changed.tbl")});
    EXPECT_EQ(differs.code, 1) << differs.err;
    EXPECT_NE(differs.out.find("\xC3\xB6"), std::string::npos) << differs.out;
    // verify reads the whole pager past the difference and lists what differs.
    const Result mismatch = Kpx41({"verify", "--lpt", dir.File("changed.tbl")});
    EXPECT_EQ(mismatch.code, 1);
    const std::string header = "Verify Error!\nthe pager differs from " + dir.File("changed.tbl") +
                               " (file -> pager):\n  ";
    EXPECT_EQ(mismatch.err.substr(0, header.size()), header) << mismatch.err;
    EXPECT_NE(mismatch.err.find("\xC3\xB6"), std::string::npos) << mismatch.err;
}

TEST_F(ParallelCli, FailuresGiveTheirMessagesAndWriteNoFile) {
    struct Case {
        const char* name;
        sim::EepromOptions options;
        std::vector<std::string> args;  // "OUT" stands for the output file
        std::string err;
    };
    auto with = [](EepromFault fault, int address) {
        sim::EepromOptions o;
        o.fault = {fault, address, 0x01};
        return o;
    };
    sim::EepromOptions elsewhere;
    elsewhere.base = 0x300;
    ASSERT_EQ(SaveTableFile(dir.File("d.tbl"), BuildDefaultImage()), "");
    const Case cases[] = {
        {"no memory on any base",
         elsewhere,
         {"read", "--lpt", "-o", "OUT"},
         "The Programmed Board is not responding!\n"},
        {"never acknowledges",
         with(EepromFault::NeverAck, 0),
         {"read", "--lpt", "-o", "OUT"},
         "Read error!\n"},
        {"tenth start",
         with(EepromFault::AckFromTenthStart, 0),
         {"read", "--lpt", "-o", "OUT"},
         "Read error!\n"},
        {"signature",
         with(EepromFault::FlipBit, 0),
         {"read", "--lpt", "-o", "OUT"},
         "Read success!\nThe data in this pager is wrong!\n"},
        {"last address",
         with(EepromFault::FlipBit, kImageLast),
         {"verify", "--lpt", "d.tbl"},
         "Verify Error!\nthe pager differs from d.tbl (file -> pager):\n  0x3FF: FF -> FE\n"},
        {"refused data byte",
         with(EepromFault::NoDataAck, 0x200),
         {"write", "--lpt", "d.tbl"},
         "Write error!\n"},
    };
    for (const auto& c : cases) {
        Plug(c.options);
        std::vector<std::string> args;
        for (const auto& a : c.args) {
            args.push_back(a == "OUT" ? dir.File("out.tbl") : a == "d.tbl" ? dir.File(a) : a);
        }
        Result r = Kpx41(args);
        EXPECT_EQ(r.code, 1) << c.name;
        if (const auto at = r.err.find(dir.File("d.tbl")); at != std::string::npos) {
            r.err.replace(at, dir.File("d.tbl").size(), "d.tbl");
        }
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.tbl"))) << c.name;
    }
}

// The machine's ports: the device path given, and the reason it could not be used.
TEST_F(ParallelCli, AnUnusableDeviceIsSaidSo) {
    const Result r = Kpx41({"read", "--lpt", "/dev/kpx41-no-such-parport", "-o", dir.File("o")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err,
              "The Programmed Board is not responding!\n"
              "kpx41: cannot open /dev/kpx41-no-such-parport for the port at 0x378: No such file "
              "or directory\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("o")));

    {
        const kpx::testing::ScopedEnv noParports("KPX41_PARPORTS", "");
        const Result none = Kpx41({"verify", "--lpt=/dev/null", dir.File("missing.tbl")});
        EXPECT_EQ(none.err, dir.File("missing.tbl") + ": This file is not exit!\n");
        const Result empty = Kpx41({"read", "--lpt", "-o", dir.File("o")});
        EXPECT_EQ(empty.err,
                  "The Programmed Board is not responding!\n"
                  "kpx41: no parallel port found (none in /proc/sys/dev/parport; "
                  "KPX41_PARPORTS=0x378=/dev/parport0 names one)\n");
    }

    const Result both = Kpx41({"read", "--port", "/dev/null", "--lpt", "-o", dir.File("o")});
    EXPECT_EQ(both.code, 2);
    EXPECT_EQ(both.err.rfind("kpx41 read: --port and --lpt name two different links\n", 0), 0u);
}

// Each Enter at the prompt puts the next pager (a fresh memory) on the parallel port.
class NextPagerInput : public std::streambuf {
  public:
    explicit NextPagerInput(std::function<void()> next) : next_(std::move(next)) {}

  protected:
    int underflow() override {
        next_();
        setg(&enter_, &enter_, &enter_ + 1);
        return '\n';
    }

  private:
    std::function<void()> next_;
    char enter_ = '\n';
};

TEST_F(ParallelCli, ProduceProgramsThreePagersOneAfterTheOther) {
    PagerImage image = BuildDefaultImage();
    StoreCapcode(image, 0, 1200);
    StoreCapcode(image, 1, 77);
    ASSERT_EQ(SaveTableFile(dir.File("series.tbl"), image), "");
    // The link keeps the port it was given: the socket forwards to the pager now on it.
    struct Socket : PortIo {
        sim::EepromSimulator* pager = nullptr;
        std::uint8_t In(std::uint16_t port) override { return pager->In(port); }
        void Out(std::uint16_t port, std::uint8_t value) override { pager->Out(port, value); }
        void Release() override { pager->Release(); }
    } socket;
    std::vector<std::unique_ptr<sim::EepromSimulator>> pagers;
    auto insert = [&] {
        Plug();
        pagers.push_back(std::move(memory));
        socket.pager = pagers.back().get();
        UseParallelPort(&socket, &clock);
    };
    insert();
    NextPagerInput next(insert);
    std::istream in(&next);
    std::ostringstream out, err;
    CliIo io{out, err, &in};
    const std::vector<std::string> args = {dir.File("series.tbl"),
                                           "--lpt",
                                           "--auto-increase",
                                           "1",
                                           "--count",
                                           "3",
                                           "--log",
                                           dir.File("runs.csv"),
                                           "--no-backup",
                                           "--trace",
                                           dir.File("bus.trace")};
    ASSERT_EQ(kProduceCommand.run(args, io), 0) << err.str();
    ASSERT_EQ(pagers.size(), 3u);
    // The trace shows each pager's capcode going onto the bus.
    std::ifstream trace(dir.File("bus.trace"));
    std::vector<int> traced;
    PagerImage onTheBus;
    for (const MemoryAccess& a : MemoryAccesses(DecodeBusTrace(trace))) {
        if (!a.write) continue;
        onTheBus.set(a.address, a.value);
        if (a.address == kImageLast) traced.push_back(CapcodeValue(onTheBus, 0));
    }
    EXPECT_EQ(traced, (std::vector<int>{1200, 1201, 1202}));
    for (int n = 0; n < 3; ++n) {
        PagerImage written;
        std::copy_n(pagers[static_cast<std::size_t>(n)]->memory().begin(), kImageSize,
                    written.bytes().begin());
        EXPECT_EQ(CapcodeValue(written, 0), 1200 + n) << n;
        EXPECT_EQ(CapcodeValue(written, 1), 77) << n;
    }
    std::ifstream logFile(dir.File("runs.csv"));
    const std::vector<LogRow> rows = ParseLog(logFile);
    ASSERT_EQ(rows.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        const LogRow& row = rows[static_cast<std::size_t>(n)];
        EXPECT_EQ(row.port, "lpt");
        EXPECT_EQ(row.capcodes, (CapcodePair{1200 + n, 77}));
        EXPECT_EQ(row.result, kResultOk);
    }
    EXPECT_NE(out.str().find("done 3, failed 0, "), std::string::npos) << out.str();
}

TEST_F(ParallelCli, ProduceTakesTheParallelPortOrSerialBoardsNotBoth) {
    const Result both = Kpx41({"produce", "s.tbl", "--lpt", "--port", "/dev/null",
                               "--auto-increase", "1", "--count", "1", "--log", "l.csv"});
    EXPECT_EQ(both.code, 2);
    EXPECT_EQ(both.err.rfind("kpx41 produce: --port and --lpt name two different links\n", 0), 0u);
}

}  // namespace
}  // namespace kpx::cli
