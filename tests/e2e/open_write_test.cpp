// A table file written to the pager from the window (File/Open, then Write) and with kpx41
// write: the pager gets the same bytes, for foreign files too.
#include <gtest/gtest.h>

#include <random>

#include "catalogue/startup_image.h"
#include "gui/board_window_fixture.h"
#include "image/table_file.h"
#include "testsupport/cli_run.h"

namespace kpx::gui::testing {
namespace {

// Images no program of ours wrote: random bytes with the model text, and the start-up image
// with a code no row stands for in every list the refresh reads.
std::vector<std::pair<std::string, PagerImage>> ForeignImages() {
    std::vector<std::pair<std::string, PagerImage>> images;
    std::mt19937 random(18);
    for (int n = 0; n < 3; ++n) {
        PagerImage image;
        for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(random()));
        for (int i = 0; i < 5; ++i) image.set(0x3E1 + i, static_cast<std::uint8_t>("KPX41"[i]));
        image.set(0x390, 1);  // a band the board has, so no GP(RoHS) question
        image.set(0x3F8, 0);
        images.emplace_back("random " + std::to_string(n), image);
    }
    PagerImage offList = BuildStartupImage(DefaultProgramSettings());
    const std::pair<int, int> codes[] = {
        {0x0EF, 0x92},                 // display code 9
        {0x0EE, 0xF7}, {0x030, 0x5A},  // display codes above 4 in other functions
        {0x035, 0x9F},                 // the tagged display lists of capcodes 5 and 6
        {0x0F7, 0x03},                 // tone
        {0x03C, 0x06},                 // lockout: 240 s without its on bit
        {0x03D, 0x02},                 // out of service
        {0x03E, 0x07},                 // language
        {0x03F, 0x03},                 // logo font
        {0x0E9, 0x40},                 // contrast
        {0x3AC, 0x01}, {0x3AD, 0x42},  // address types of capcodes 5 and 6
        {0x375, 0x0C},                 // baud code 0
        {0x381, 0x11}, {0x382, 0x90}, {0x383, 0x10},  // battery levels
        {0x35A, 0x33}, {0x376, 0x00},                 // the side bytes of two check boxes
    };
    for (auto [a, v] : codes) offList.set(a, static_cast<std::uint8_t>(v));
    images.emplace_back("off-list codes", offList);
    PagerImage types = BuildStartupImage(DefaultProgramSettings());
    types.set(0x3AC, 0x02);  // shows "Personal"
    types.set(0x3AD, 0x11);  // shows "Group"
    images.emplace_back("address types 2 and 0x11", types);
    return images;
}

// One window opens the files one after another, as a user would: whatever the controls
// showed before, the pager gets what kpx41 write sends for the same file.
TEST_F(BoardWindowTest, TheWindowAndKpx41WriteTheSameBytesForAFile) {
    PlugInBoard();
    StartWindow();
    window->Timer1_Timer();
    ASSERT_TRUE(PagerMenuEnabled());
    SelectWriteMode();
    for (const auto& [what, image] : ForeignImages()) {
        SCOPED_TRACE(what);
        const std::string path = folder.File("foreign.tbl");
        ASSERT_EQ(SaveTableFile(path, image), "");
        window->ChooseFile = [path](bool) { return QString::fromStdString(path); };
        ASSERT_TRUE(window->TableFileOpen());
        dialogs.Clear();
        window->mnuEB_Click();
        ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
        const sim::BoardMemory fromWindow = Memory();

        board->simulator().SetMemory(sim::BoardMemory{});
        const kpx::testing::Result cli =
            kpx::testing::Kpx41({"write", "--port", board->path(), path});
        ASSERT_EQ(cli.code, 0) << cli.err;
        const sim::BoardMemory fromCli = Memory();
        for (int a = 0; a < kImageSize; ++a) {
            EXPECT_EQ(fromCli[a], fromWindow[a]) << std::hex << "0x" << a;
        }
        if (what == "off-list codes") {
            EXPECT_EQ(fromCli[0x0EF], 0x22) << "display code 9 goes as Alpha";
            const kpx::testing::Result verify =
                kpx::testing::Kpx41({"verify", "--port", board->path(), path});
            EXPECT_EQ(verify.code, 0) << verify.err;
        }
    }
}

}  // namespace
}  // namespace kpx::gui::testing
