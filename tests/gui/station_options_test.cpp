// The programmer's command line and the station's kept choices.
#include "gui/production/station_options.h"

#include <gtest/gtest.h>

#include "gui/production/station_settings.h"
#include "testsupport/fakes.h"

namespace kpx::gui {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

TEST(ProgrammerArgs, UsageMistakesAreRefusedWithTheirReason) {
    const struct {
        const char* line;
        const char* problem;
    } cases[] = {
        {"--simulate 0", "--simulate takes a number of boards from 1 to 32"},
        {"--simulate 33", "--simulate takes a number of boards from 1 to 32"},
        {"--production", "--production needs a table FILE"},
        {"--production a.tbl --log a.csv", "needs --auto-increase 1, 2 or 1,2"},
        {"--production a.tbl --auto-increase 3 --log a.csv", "--auto-increase takes 1, 2 or 1,2"},
        {"--production a.tbl --auto-increase 1", "needs --log FILE or --ledger URL"},
        {"--production a.tbl --auto-increase 1 --log a.csv --count 0",
         "--count takes a number of pagers from 1 to 9999999"},
        {"--production a.tbl --auto-increase 1 --log a.csv --count", "--count needs a value"},
        {"--production a.tbl --auto-increase 1 --ledger mysql://x:secret@h/d",
         "--ledger takes a postgresql:// URL"},
        {"--production a.tbl --auto-increase 1 --log a.csv --series s",
         "--series and --station name a series in a --ledger"},
        {"--production a.tbl --auto-increase 1 --log a.csv --ledger postgresql://h/d",
         "--log and --ledger name two ledgers"},
        {"--production a.tbl b.tbl --auto-increase 1 --log a.csv",
         "unexpected argument b.tbl (one FILE only)"},
        {"--production a.tbl --auto-increase 1 --log a.csv --yes", "unknown option --yes"},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_FALSE(ParseProgrammerArgs(Words(c.line), &problem)) << c.line;
        EXPECT_EQ(problem, c.problem) << c.line;
    }
}

TEST(ProgrammerArgs, ProductionChoicesAndThePasswordKeptApart) {
    std::string problem;
    const auto args = ParseProgrammerArgs(
        Words("-platform offscreen --simulate 4 --production a.tbl --port /dev/ttyUSB0 --port "
              "/dev/ttyUSB1 --auto-increase 1,2 --count 20 --ledger "
              "postgresql://line:s3cret@db/pagers?sslmode=require --series S --station B --start"),
        &problem);
    ASSERT_TRUE(args) << problem;
    EXPECT_EQ(args->simulate, 4);
    ASSERT_TRUE(args->production);
    const ProductionStart& p = *args->production;
    EXPECT_EQ(p.file, "a.tbl");
    EXPECT_EQ(p.ports, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_TRUE(p.series.autoIncrease.first && p.series.autoIncrease.second);
    EXPECT_EQ(p.series.count, 20);
    EXPECT_TRUE(p.series.useLedger);
    EXPECT_EQ(p.series.url, "postgresql://line@db/pagers?sslmode=require");
    EXPECT_EQ(p.password, "s3cret");
    EXPECT_EQ(p.series.series, "S");
    EXPECT_EQ(p.series.station, "B");
    EXPECT_TRUE(p.start);
    // --simulate alone is one board; without --count a series has no end.
    const auto plain = ParseProgrammerArgs(
        Words("--simulate --production a.tbl --auto-increase 2 --log a.csv"), &problem);
    ASSERT_TRUE(plain) << problem;
    EXPECT_EQ(plain->simulate, 1);
    EXPECT_EQ(plain->production->series.count, 0);
    EXPECT_FALSE(plain->production->start);
}

TEST(LedgerPassword, LeavesTheUrlAndComesBackOnlyToConnect) {
    const struct {
        const char* url;
        const char* without;
        const char* password;
    } cases[] = {
        {"postgresql://line:pa%40ss@db:5433/pagers", "postgresql://line@db:5433/pagers", "pa%40ss"},
        {"postgresql://line@db/pagers?password=x&sslmode=require",
         "postgresql://line@db/pagers?sslmode=require", "x"},
        {"postgresql://line@/pagers?host=/run/pg&password=y",
         "postgresql://line@/pagers?host=/run/pg", "y"},
        {"postgresql://line@db/pagers", "postgresql://line@db/pagers", ""},
    };
    for (const auto& c : cases) {
        const SplitUrl split = SplitLedgerPassword(c.url);
        EXPECT_EQ(split.url, c.without) << c.url;
        EXPECT_EQ(split.password, c.password) << c.url;
        // Put back, the URL carries the same password again.
        EXPECT_EQ(SplitLedgerPassword(WithLedgerPassword(split.url, split.password)).password,
                  c.password);
    }
    EXPECT_EQ(DefaultLogPath("/x/batch.tbl"), "/x/batch.csv");
    EXPECT_EQ(DefaultLogPath("/x.d/batch"), "/x.d/batch.csv");
}

TEST(StationSettings, KeepsTheChoicesButNeverAPassword) {
    kpx::testing::TempDir dir;
    const StationSettings settings(dir.File("station.reg"));
    EXPECT_EQ(settings.Load().count, 0);  // nothing kept yet: the defaults
    SeriesChoice c;
    c.autoIncrease = {false, true};
    c.count = 250;
    c.useLedger = true;
    c.log = dir.File("copy.csv");
    c.url = "postgresql://line:secret@db/pagers";
    c.series = "May";
    c.station = "bench 2";
    c.resume = true;
    c.swapDetection = false;
    ASSERT_TRUE(settings.Save(c));
    const SeriesChoice back = settings.Load();
    EXPECT_FALSE(back.autoIncrease.first);
    EXPECT_TRUE(back.autoIncrease.second);
    EXPECT_EQ(back.count, 250);
    EXPECT_TRUE(back.useLedger);
    EXPECT_EQ(back.log, c.log);
    EXPECT_EQ(back.url, "postgresql://line@db/pagers");
    EXPECT_EQ(back.series, "May");
    EXPECT_EQ(back.station, "bench 2");
    EXPECT_TRUE(back.resume);
    EXPECT_FALSE(back.swapDetection);
    std::string file;
    {
        std::FILE* f = std::fopen(dir.File("station.reg").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[4096];
        file.assign(buffer, std::fread(buffer, 1, sizeof buffer, f));
        std::fclose(f);
    }
    EXPECT_EQ(file.find("secret"), std::string::npos) << file;
}

}  // namespace
}  // namespace kpx::gui
