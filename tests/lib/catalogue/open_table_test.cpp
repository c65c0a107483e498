#include "catalogue/open_table.h"

#include <gtest/gtest.h>

#include <random>

#include "catalogue/startup_image.h"
#include "settings/alerts.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

PagerImage Startup() {
    return BuildStartupImage(DefaultProgramSettings());
}

PagerImage Open(const PagerImage& image, testing::RecordingDialogs& dialogs,
                FrequencyState* state = nullptr) {
    return OpenImageAsWindow(image.bytes(), DefaultProgramSettings(), dialogs, state);
}

// Each foreign value the window's controls cannot show as it stands, and the bytes the refresh's
// handlers leave in its place.
TEST(OpenTable, TheRefreshsHandlersWriteTheirCodesBack) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> file;      // bytes set on the start-up image
        std::vector<std::pair<int, int>> expected;  // bytes after the open
    } cases[] = {
        {"display code 9 of capcode 1's function A", {{0x0EF, 0x92}}, {{0x0EF, 0x22}}},
        {"display codes above 4 in every function",
         {{0x0EE, 0xFF}, {0x0EF, 0x5F}},
         {{0x0EE, 0x22}, {0x0EF, 0x22}}},
        {"tone code 3", {{0x0F7, 0x03}}, {{0x0F7, 0x01}}},
        {"tone code 0x21", {{0x0F7, 0x21}}, {{0x0F7, 0x01}}},
        {"contrast above the slider", {{0x0E9, 200}}, {{0x0E9, 8}}},
        {"lockout 240 s without its on bit", {{0x03C, 0x04}}, {{0x03C, 0x0C}}},
        {"out-of-service time without its on bit", {{0x03D, 0x06}}, {}},
        {"logo code 1 shows English(Large)", {{0x03F, 0x01}}, {{0x03F, 0x00}}},
        {"logo code 3: the list keeps its start-up row", {{0x03F, 0xA3}}, {{0x03F, 0xA0}}},
        {"baud code without its timing bytes",
         {{0x375, 0x2C}, {0x372, 0}, {0x373, 0}},
         {{0x375, 0x2C}, {0x372, 1}, {0x373, 7}}},
        {"baud code 0 has no row: nothing", {{0x375, 0x0C}, {0x372, 9}, {0x373, 9}}, {}},
        {"key lamp byte follows Push Key Lamp On Enable",
         {{0x036, 0x40}, {0x35A, 0x33}},
         {{0x35A, 0x10}}},
        {"error bytes follow Discard Error Msg",
         {{0x039, 0x00}, {0x375, 0x1C}, {0x376, 0}, {0x372, 5}, {0x373, 31}},
         {{0x375, 0x14}, {0x376, 0x1F}}},
        {"the low battery level's copy", {{0x380, 0x00}}, {{0x380, 0x77}}},
        {"a battery level without a row changes nothing",
         {{0x381, 200}, {0x382, 201}, {0x383, 202}, {0x380, 5}},
         {}},
        {"address type without a row stays", {{0x3AC, 0x01}, {0x3AD, 0x12}}, {}},
        {"address types 2 and 0x11 show Personal and Group",
         {{0x3AC, 0x02}, {0x3AD, 0x11}},
         {{0x3AC, 0x00}, {0x3AD, 0xFF}}},
        {"tagged list code without a row stays", {{0x035, 0x9F}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PagerImage file = Startup();
        for (auto [a, v] : c.file) file.set(a, static_cast<std::uint8_t>(v));
        testing::RecordingDialogs dialogs;
        const PagerImage opened = Open(file, dialogs);
        PagerImage expected = file;
        for (auto [a, v] : c.expected) expected.set(a, static_cast<std::uint8_t>(v));
        for (int a = 0; a < kImageSize; ++a) {
            EXPECT_EQ(opened.at(a), expected.at(a)) << std::hex << "0x" << a;
        }
    }
}

TEST(OpenTable, TheProgramsOwnImagesComeBackAsTheyWereSaved) {
    testing::RecordingDialogs dialogs;
    const PagerImage start = Startup();
    EXPECT_EQ(Open(start, dialogs), start);
    const PagerImage defaults = BuildDefaultImage();
    EXPECT_EQ(Open(defaults, dialogs), defaults);
    EXPECT_TRUE(dialogs.shown().empty());
}

// Opening what an open gave writes nothing more: the window's refresh after it finds every
// control showing the bytes as they stand.
TEST(OpenTable, AnOpenedImageOpensToItself) {
    std::mt19937 random(1818);
    for (int round = 0; round < 200; ++round) {
        PagerImage file;
        for (int a = 0; a < kImageSize; ++a) file.set(a, static_cast<std::uint8_t>(random()));
        testing::RecordingDialogs dialogs;
        const PagerImage once = Open(file, dialogs);
        testing::RecordingDialogs again;
        ASSERT_EQ(Open(once, again), once) << "round " << round;
    }
}

TEST(OpenTable, TheBandAndTheOrderWarningOnce) {
    PagerImage file = Startup();
    file.set(0x390, 4);  // 380-499 MHz
    file.set(0x381, 158);
    file.set(0x382, 100);  // out of order
    testing::RecordingDialogs dialogs;
    FrequencyState state;
    Open(file, dialogs, &state);
    EXPECT_EQ(state.bandRow, 1);
    EXPECT_EQ(state.multiplier, 3);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{kBatteryOrderWarning});

    file.set(0x390, 7);  // no band: the start-up band stays
    Open(file, dialogs, &state);
    EXPECT_EQ(state.bandRow, 2);
}

TEST(OpenTable, FilesAreCheckedFirst) {
    testing::TempDir dir;
    testing::RecordingDialogs dialogs;
    const OpenedTable missing =
        OpenTableAsWindow(dir.File("none.tbl"), DefaultProgramSettings(), dialogs);
    EXPECT_EQ(missing.status, TableFileStatus::NotFound);
    EXPECT_EQ(missing.message, kFileNotExist);

    PagerImage file = Startup();
    file.set(0x0EF, 0x92);
    ASSERT_EQ(SaveTableFile(dir.File("a.tbl"), file), "");
    const OpenedTable opened =
        OpenTableAsWindow(dir.File("a.tbl"), DefaultProgramSettings(), dialogs);
    ASSERT_EQ(opened.status, TableFileStatus::Ok);
    EXPECT_EQ(opened.image.at(0x0EF), 0x22);

    file.set(0x3E1, 'k');
    ASSERT_EQ(SaveTableFile(dir.File("b.tbl"), file), "");
    const OpenedTable bad = OpenTableAsWindow(dir.File("b.tbl"), DefaultProgramSettings(), dialogs);
    EXPECT_EQ(bad.status, TableFileStatus::BadFormat);
    EXPECT_EQ(bad.message, BadFormatMessage(dir.File("b.tbl")));
}

}  // namespace
}  // namespace kpx
