#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/default_image.h"
#include "image/table_file.h"
#include "production/backups.h"
#include "production/production.h"
#include "settings/capcode.h"
#include "support/sha256.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(Sha256, StandardVectors) {
    struct Case {
        std::vector<std::uint8_t> data;
        const char* digest;
    } cases[] = {
        {Bytes(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {Bytes("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::vector<std::uint8_t>(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        // 55, 56 and 64 bytes: the padding's edges.
        {std::vector<std::uint8_t>(55, 'a'),
         "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::vector<std::uint8_t>(56, 'a'),
         "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::vector<std::uint8_t>(64, 'a'),
         "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.data), c.digest) << c.data.size();
}

TEST(WallTime, FormatsAndParsesUtc) {
    const auto t =
        sys_days(year(2026) / 12 / 8) + hours(9) + minutes(5) + seconds(7) + milliseconds(42);
    EXPECT_EQ(IsoTime(t), "2026-12-08T09:05:07Z");
    EXPECT_EQ(IsoTime(t, true), "2026-12-08T09:05:07.042Z");
    EXPECT_EQ(CompactTime(t), "20261208_090507");
    EXPECT_EQ(ParseCompactTime("20261208_090507"), floor<seconds>(t));
    for (const char* bad : {"20261308_090507", "20261208-090507", "2026120_0905077",
                            "20261208_250507", "x0261208_090507", ""}) {
        EXPECT_EQ(ParseCompactTime(bad), std::nullopt) << bad;
    }
}

TEST(Backups, NamedByTimeOperationAndCapcodeAndPrunedAfterAYear) {
    testing::TempDir dir;
    WallClock::time_point now = sys_days(year(2025) / 1 / 10) + hours(8);
    BackupStore store(dir.File("backups"), [&] { return now; });
    PagerImage image = BuildDefaultImage();

    const auto first = store.Save(image, "read");
    ASSERT_TRUE(first);
    EXPECT_EQ(fs::path(*first).filename(), "20250110_080000_read_1234567.tbl");
    // The same second again: a name of its own, nothing overwritten.
    const auto second = store.Save(image, "read");
    ASSERT_TRUE(second);
    EXPECT_EQ(fs::path(*second).filename(), "20250110_080000_read_1234567-2.tbl");
    const TableFileLoad back = LoadTableFile(*first);
    ASSERT_EQ(back.status, TableFileStatus::Ok);
    EXPECT_EQ(PagerImage(back.bytes), image);

    now += days(200);
    StoreCapcode(image, 0, 42);
    const auto later = store.Save(image, "write");
    ASSERT_TRUE(later);
    EXPECT_EQ(fs::path(*later).filename(), "20250729_080000_write_0000042.tbl");
    // Files of the user's own, some of them named much like ours.
    const char* mine[] = {"notes.txt", "20200101_000000_mine.tbl", "20200101_000000_read_12.tbl",
                          "20200101_000000_read_1234567-x.tbl",
                          "20200101_000000_read_1234567.tbl~"};
    for (const char* name : mine) std::ofstream(dir.File(std::string("backups/") + name)) << "mine";

    now += days(165);  // exactly a year after the first two: kept
    EXPECT_EQ(store.Prune(), 0);
    now += seconds(1);
    EXPECT_EQ(store.Prune(), 2);
    EXPECT_FALSE(fs::exists(*first));
    EXPECT_FALSE(fs::exists(*second));
    EXPECT_TRUE(fs::exists(*later));
    for (const char* name : mine) {
        EXPECT_TRUE(fs::exists(dir.File(std::string("backups/") + name))) << name;  // left alone
    }
}

TEST(ProductionLog, RowsSurviveTheRoundTrip) {
    const LogRow rows[] = {
        {"2026-12-08T09:05:07Z", "/dev/ttyUSB0", {1234567, 42}, "ab12", "ok", "Verify Success!"},
        {"2026-12-08T09:05:09Z",
         "/dev/pts/3",
         {7, 2097151},
         "",
         "failed",
         "The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?"},
        {"t", "a,b", {1, 2}, "x", "failed", "say \"no\", twice"},
    };
    std::stringstream log;
    log << kLogHeader << "\n";
    for (const LogRow& r : rows) log << FormatLogRow(r) << "\n";
    log << "garbage line\n";
    EXPECT_EQ(FormatLogRow(rows[0]),
              "2026-12-08T09:05:07Z,/dev/ttyUSB0,1234567,0000042,ab12,ok,Verify Success!");
    const auto parsed = ParseLog(log);
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[1].message, "The Pager is GP(RoHS) !   Are you sure overwrite it?");
    EXPECT_EQ(parsed[2].port, "a,b");
    EXPECT_EQ(parsed[2].message, "say \"no\", twice");
    EXPECT_EQ(parsed[1].capcodes, (CapcodePair{7, 2097151}));
}

// A line the log cannot vouch for must never free its capcodes for a second pager.
TEST(ProductionLog, DoubtfulRowsCountAsWrittenAndEveryOddLineIsNamed) {
    std::stringstream log;
    log << kLogHeader << "\r\n"
        << "t,p,0000100,0000042,ab, ok ,Verify Success!\r\n"  // spaces of a hand edit
        << "\n"
        << "t,p,0000101,0000042,ab,FAILED?,\n"
        << "t,p,0000102,0000042,ab,failed,Verify Error!\n"
        << "# a note\n"
        << "t,p,01x,0000042,ab,ok,\n"
        << "t,p,0000103,00";  // a run killed while writing it
    std::vector<std::string> warnings;
    const auto rows = ParseLog(log, &warnings);
    std::vector<std::pair<std::int32_t, std::string>> seen;
    for (const LogRow& r : rows) seen.emplace_back(r.capcodes[0], r.result);
    EXPECT_EQ(seen, (std::vector<std::pair<std::int32_t, std::string>>{
                        {100, "ok"}, {101, "ok"}, {102, "failed"}, {103, "ok"}}));
    EXPECT_EQ(rows[3].capcodes[1], 0);
    EXPECT_EQ(
        warnings,
        (std::vector<std::string>{
            "line 4 has no result ok or failed; capcodes 0000101 0000042 count as written",
            "line 6 names no capcodes and is skipped", "line 7 names no capcodes and is skipped",
            "line 8 has no result ok or failed; capcodes 0000103 0000000 count as written"}));
    EXPECT_EQ(ResumeCapcodes(rows, {true, false}, {0, 42}), (CapcodePair{104, 42}));
}

TEST(ProductionLog, ResumeGoesOnAfterTheHighestCapcodesWritten) {
    const std::vector<LogRow> rows = {
        {"", "a", {100, 500}, "", "ok", ""},
        {"", "b", {102, 502}, "", "ok", ""},
        {"", "a", {101, 501}, "", "ok", ""},
        {"", "a", {103, 503}, "", "failed", ""},
    };
    struct Case {
        AutoIncrease autoIncrease;
        CapcodePair expected;
    } cases[] = {
        {{true, false}, {103, 9}},
        {{false, true}, {8, 503}},
        {{true, true}, {103, 503}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResumeCapcodes(rows, c.autoIncrease, {8, 9}), c.expected);
    }
    EXPECT_EQ(ResumeCapcodes({}, {true, true}, {8, 9}), (CapcodePair{8, 9}));
    EXPECT_EQ(ParseAutoIncrease("1,2")->second, true);
    EXPECT_EQ(ParseAutoIncrease("3"), std::nullopt);
    EXPECT_EQ(ParseAutoIncrease(""), std::nullopt);
}

// Two boards: 100 failed while 101 was written, then the run was killed. Resuming at 102 must
// not leave 100 unwritten.
TEST(ProductionLog, ResumeRetriesTheFailedCapcodesItGoesPast) {
    const std::vector<LogRow> rows = {
        {"", "a", {99, 7}, "", "failed", ""},  {"", "b", {100, 7}, "", "failed", ""},
        {"", "a", {101, 7}, "", "ok", ""},     {"", "a", {99, 7}, "", "ok", ""},
        {"", "b", {100, 7}, "", "failed", ""}, {"", "b", {102, 7}, "", "failed", ""},
    };
    const AutoIncrease first{true, false};
    const CapcodePair at = ResumeCapcodes(rows, first, {99, 7});
    EXPECT_EQ(at, (CapcodePair{102, 7}));
    const auto retries = ResumeRetries(rows, first, at);
    EXPECT_EQ(retries, (std::vector<CapcodePair>{{100, 7}}));

    CapcodeCounter counter(at, first, 3, rows);
    counter.GiveBack(retries);
    EXPECT_EQ(*counter.Take(), (CapcodePair{100, 7}));
    EXPECT_EQ(*counter.Take(), (CapcodePair{102, 7}));
    EXPECT_EQ(*counter.Take(), (CapcodePair{103, 7}));
    EXPECT_TRUE(ResumeRetries(rows, {false, true}, {8, 8}).empty());
}

TEST(CapcodeCounter, HandsOutDistinctCapcodesInOrderAndRetriesFailedOnes) {
    CapcodeCounter counter({100, 7}, {true, false}, 4, {});
    const auto a = counter.Take();
    const auto b = counter.Take();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, (CapcodePair{100, 7}));
    EXPECT_EQ(*b, (CapcodePair{101, 7}));
    counter.Finish(*b, true);
    counter.Finish(*a, false);  // 100 comes back and goes first
    EXPECT_EQ(*counter.Take(), (CapcodePair{100, 7}));
    EXPECT_EQ(*counter.Take(), (CapcodePair{102, 7}));
    EXPECT_EQ(*counter.Take(), (CapcodePair{103, 7}));
    EXPECT_EQ(counter.Take(), std::nullopt);  // four under way or done
    EXPECT_FALSE(counter.Over());
    counter.Finish({100, 7}, true);
    counter.Finish({102, 7}, true);
    counter.Finish({103, 7}, true);
    EXPECT_TRUE(counter.Over());
    EXPECT_EQ(counter.done(), 4);
    EXPECT_EQ(counter.failed(), 1);
}

// The new capcodes run out (the top of the range, a capcode the log holds) while a failed one
// waits for its retry: it still gets it.
TEST(CapcodeCounter, RetriesAFailedCapcodeAfterTheNewOnesRanOut) {
    const std::vector<LogRow> logged = {{"", "a", {302, 9}, "", "ok", ""}};
    struct Case {
        CapcodePair start;
        bool stopByDialog;
    } cases[] = {{{2097150, 9}, true}, {{300, 9}, false}};
    for (const Case& c : cases) {
        CapcodeCounter counter(c.start, {true, false}, 5, logged);
        const auto a = counter.Take();
        const auto b = counter.Take();
        ASSERT_TRUE(a && b);
        EXPECT_EQ(counter.Take(), std::nullopt);  // nothing new left
        counter.Finish(*a, false);
        counter.Finish(*b, true);
        if (c.stopByDialog) counter.Stop();  // the top written: no more increase
        EXPECT_FALSE(counter.Over()) << c.start[0];
        EXPECT_EQ(counter.Take(), a) << c.start[0];
        EXPECT_EQ(counter.Take(), std::nullopt);
        counter.Finish(*a, true);
        EXPECT_TRUE(counter.Over());
        EXPECT_EQ(counter.done(), 2);
    }
}

TEST(CapcodeCounter, RefusesLoggedCapcodesAndStops) {
    const std::vector<LogRow> logged = {{"", "a", {102, 9}, "", "ok", ""},
                                        {"", "a", {100, 9}, "", "failed", ""}};
    CapcodeCounter counter({100, 9}, {true, false}, 10, logged);
    EXPECT_TRUE(counter.Take());  // 100 failed before: free
    EXPECT_TRUE(counter.Take());
    std::string refusal;
    EXPECT_EQ(counter.Take(&refusal), std::nullopt);
    EXPECT_EQ(refusal, "capcode 1 = 0000102 is already written in the log");
    EXPECT_EQ(counter.Take(), std::nullopt);

    CapcodeCounter top({2097151, 9}, {true, false}, 10, {});
    EXPECT_TRUE(top.Take());
    EXPECT_EQ(top.Take(), std::nullopt);  // nothing above the top of the range

    CapcodeCounter stopped({5000, 9}, {false, true}, 10, {});
    EXPECT_EQ(*stopped.Take(), (CapcodePair{5000, 9}));
    stopped.Stop();
    EXPECT_EQ(stopped.Take(), std::nullopt);
}

}  // namespace
}  // namespace kpx

namespace kpx {
namespace {

// Rows go only into a file that is a production log already, or into an empty one.
TEST(ProductionLog, OnlyALogOrAnEmptyFileTakesRows) {
    const std::string header = kLogHeader;
    const struct {
        std::string content;
        bool log;
    } cases[] = {
        {"", true},
        {header, true},
        {header + "\n", true},
        {header + "\r\n2026-12-08T12:00:00Z,p,0000007,0000042,ab,ok,\r\n", true},
        {header + "\n2026-12-08T12:00:00Z,p,0000007,0000042,ab,ok,\n", true},
        {"call the supplier\n", false},
        {"\n" + header + "\n", false},
        {" " + header + "\n", false},
        {"time,port\n", false},
        {std::string("\x00\x01KPX41", 7), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsProductionLog(c.content), c.log) << c.content;
}

}  // namespace
}  // namespace kpx
