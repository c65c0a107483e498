#include "catalogue/startup_image.h"

#include <gtest/gtest.h>

namespace kpx {
namespace {

TEST(StartupImage, DefaultImageWithBandRow2AndTheCentredLogo) {
    FrequencyState state;
    const PagerImage start = BuildStartupImage(DefaultProgramSettings(), &state);
    PagerImage expect = BuildDefaultImage();
    // 153.000 00 MHz at the 5 kHz default of the band: code 0, N 0x00CDA0, R 0x002801.
    const std::pair<int, std::uint8_t> changes[] = {{0x397, 0x00}, {0x398, 0x00}, {0x399, 0x28},
                                                    {0x39A, 0x01}, {0x39B, 0x00}, {0x39C, 0xCD},
                                                    {0x39D, 0xA0}, {0x041, 0x60}};
    for (auto [a, v] : changes) expect.set(a, v);
    // The logo: 5 leading blanks in a 16-column box, "ZENTRA", 0x3B bits 0-1 = 2.
    expect.set(0x100, static_cast<std::uint8_t>((expect.at(0x100) & 0xF0) | 5));
    expect.SetBits(0x3B, 0, 2, 2);
    for (int a = 0; a < kImageSize; ++a) EXPECT_EQ(start.at(a), expect.at(a)) << std::hex << a;
    EXPECT_EQ(state.bandRow, 2);
    EXPECT_EQ(state.multiplier, 2);
    EXPECT_FLOAT_EQ(state.spacingKHz, 5.0f);
}

TEST(StartupImage, CustomLogoTextIsCentredToo) {
    ProgramSettings s = DefaultProgramSettings();
    s.logoText = "AB";
    const PagerImage im = BuildStartupImage(s);
    EXPECT_EQ(im.at(0x100) & 0x0F, 7);
    EXPECT_EQ(im.at(0x101), 2);
    EXPECT_EQ(im.at(0x102), 'A');
}

}  // namespace
}  // namespace kpx
