#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "image/pager_image.h"

namespace kpx {

// Fixed for the whole run.
struct ProgramSettings {
    std::string companyText = "Brightwater Co., Ltd.";
    std::string logoText = "ZENTRA";
    std::uint8_t defaultSpacing130 = 0;  // 0 = 5 kHz, 1 = 6.25 kHz, 2 = Auto
    std::uint8_t defaultSpacing380 = 1;  // 0 = 10 kHz, 1 = 12.5 kHz, 2 = Auto
};
const ProgramSettings& DefaultProgramSettings();

// Language codes, shared by the character set (0x3A) and the prompt language (0x3E).
inline constexpr std::uint8_t kLangEnglish = 0;
inline constexpr std::uint8_t kLangRussian = 3;
inline constexpr std::uint8_t kLangSpanish = 5;
inline constexpr std::uint8_t kLangFrench = 6;
inline constexpr std::uint8_t kLangGerman = 8;

// Built-in prompt texts of one language: the main block is image 0x100-0x343, the second
// block image 0x3B0-0x3D7.
struct PromptBlocks {
    std::array<std::uint8_t, 580> main;
    std::array<std::uint8_t, 40> second;
};
// English, Russian, Spanish, French or German by language code; any other code throws
// std::out_of_range.
const PromptBlocks& PromptDefaults(std::uint8_t languageCode);

// The default passwords, one decimal digit per byte: the message-read password (0x06B-0x06E)
// and the pager password (0x37C-0x37F).
inline constexpr std::array<std::uint8_t, 4> kDefaultMessagePassword = {1, 2, 3, 4};
inline constexpr std::array<std::uint8_t, 4> kDefaultPagerPassword = {0, 0, 0, 0};

// The two prompt slots outside the text blocks, 0x057 ("READ PASSWORD") and 0x070 ("FLASH
// ONLY"), get their default attribute, length and text back; the bytes after the text stay.
// Returns false, writing nothing, for any other address.
bool RestoreFixedSlotText(PagerImage& image, int slotAddress);

// The raw default image: base block, upper block, the two fixed slots 0x057 and 0x070 and the
// English prompt texts. (The window then applies band row 2 and re-stores the logo text.)
PagerImage BuildDefaultImage();

}  // namespace kpx
