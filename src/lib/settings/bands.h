#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "image/pager_image.h"

namespace kpx {

// Rows of the band list cboDft.
inline constexpr int kBandRow929 = 0;
inline constexpr int kBandRow380 = 1;
inline constexpr int kBandRow130 = 2;
inline constexpr int kBandRowGp = 3;
// The synthesiser-family marker (0xAA = GP(RoHS), 0xFF = standard) and the hundreds-of-MHz
// frequency digit, which tell an image's band.
inline constexpr int kGpMarkerAddress = 0x3F8;
inline constexpr std::uint8_t kGpMarker = 0xAA;
inline constexpr std::uint8_t kStandardMarker = 0xFF;
inline constexpr int kBandDigitAddress = 0x390;
// The band byte 0x041 that a band selection writes: 0x70 for GP(RoHS), 0x60 for the others.
inline constexpr int kBandByteAddress = 0x041;
std::uint8_t BandByteForRow(int bandRow);
// The channel-spacing code (codes in SpacingForCode).
inline constexpr int kSpacingCodeAddress = 0x397;

inline constexpr std::array<std::string_view, 4> kBandRowTexts = {
    "929-932MHz", "380-499MHz", "130-180MHz", "130-180MHz-GP(RoHS)"};

// Per-band default bytes, in the order 130-180 MHz, 380-499 MHz, 929-932 MHz:
// 0x390-0x397 (seven frequency digits and the spacing code) and 0x398-0x39D (PLL words).
struct BandTable {
    std::array<std::uint8_t, 8> digitsAndSpacing;
    std::array<std::uint8_t, 6> pll;
};
const std::array<BandTable, 3>& BandTables();

// The band of a freshly loaded or read image: 0xAA at 0x3F8 is the GP(RoHS) band (row 3,
// multiplier unchanged); otherwise the hundreds-of-MHz digit at 0x390: 1 -> row 2 (MUTL 2),
// 3 or 4 -> row 1 (MUTL 3), 9 -> row 0 (MUTL 5); any other digit changes nothing.
struct BandRecognition {
    std::optional<int> row;
    std::optional<int> multiplier;
};
BandRecognition DetectBandFromImage(const ImageBytes& bytes);

}  // namespace kpx
