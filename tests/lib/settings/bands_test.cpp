#include "settings/bands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "image/default_image.h"

namespace kpx {
namespace {

TEST(BandTables, HoldEachBandsDefaultFrequencyAndSynthesiserWords) {
    struct Case {
        int frequency;  // tens of hertz, without the tens-of-hertz digit
        std::uint8_t spacingCode;
        std::uint32_t rWord;
        std::uint32_t nWord;
    };
    const Case cases[] = {
        {1530000, 0, 0x002801, 0x00CDA0},  // 153.000 00 MHz at 5 kHz
        {4620000, 3, 0x001801, 0x011360},  // 462.000 00 MHz at 12.5 kHz
        {9310125, 3, 0x002801, 0x023882},  // 931.012 50 MHz at 12.5 kHz
    };
    for (std::size_t band = 0; band < 3; ++band) {
        const BandTable& table = BandTables()[band];
        const Case& c = cases[band];
        int frequency = 0;
        for (int i = 0; i < 7; ++i) {
            frequency = frequency * 10 + table.digitsAndSpacing[static_cast<std::size_t>(i)];
        }
        EXPECT_EQ(frequency, c.frequency) << band;
        EXPECT_EQ(table.digitsAndSpacing[7], c.spacingCode) << band;
        const auto& p = table.pll;
        EXPECT_EQ((std::uint32_t{p[0]} << 16) | (p[1] << 8) | p[2], c.rWord) << band;
        EXPECT_EQ((std::uint32_t{p[3]} << 16) | (p[4] << 8) | p[5], c.nWord) << band;
    }
}

TEST(DetectBandFromImage, GpMarkerFirstThenTheHundredsDigit) {
    struct Case {
        std::uint8_t marker;  // 0x3F8
        std::uint8_t digit;   // 0x390
        std::optional<int> row;
        std::optional<int> multiplier;
    };
    const Case cases[] = {
        {0xAA, 1, kBandRowGp, std::nullopt},
        {0xAA, 4, kBandRowGp, std::nullopt},
        {0xAA, 9, kBandRowGp, std::nullopt},
        {0xAA, 7, kBandRowGp, std::nullopt},
        {0xFF, 1, kBandRow130, 2},
        {0xFF, 3, kBandRow380, 3},
        {0xFF, 4, kBandRow380, 3},
        {0xFF, 9, kBandRow929, 5},
        {0xAB, 1, kBandRow130, 2},  // only 0xAA marks the GP synthesiser
        {0xFF, 7, std::nullopt, std::nullopt},
        {0xFF, 0, std::nullopt, std::nullopt},
        {0xFF, 2, std::nullopt, std::nullopt},
        {0x00, 0xFF, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        ImageBytes bytes{};
        bytes[0x3F8] = c.marker;
        bytes[0x390] = c.digit;
        const BandRecognition got = DetectBandFromImage(bytes);
        EXPECT_EQ(got.row, c.row) << std::hex << int{c.marker} << " " << int{c.digit};
        EXPECT_EQ(got.multiplier, c.multiplier) << std::hex << int{c.marker} << " " << int{c.digit};
    }
}

TEST(DetectBandFromImage, RecognisesTheDefaultImageAsThe130MHzBand) {
    const BandRecognition got = DetectBandFromImage(BuildDefaultImage().bytes());
    EXPECT_EQ(got.row, kBandRow130);
    EXPECT_EQ(got.multiplier, 2);
}

}  // namespace
}  // namespace kpx
