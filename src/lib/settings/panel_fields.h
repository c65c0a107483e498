#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "image/pager_image.h"

namespace kpx {

// The pager's menu list at 0x0C0-0x0C6: the codes 0x10 + item of the items that stay enabled,
// ascending, packed at the end, 0xFF before them. disabled[i] is chkMenu(i) checked.
inline constexpr int kPagerMenuItems = 7;
using PagerMenuDisabled = std::array<bool, kPagerMenuItems>;
inline constexpr std::array<std::string_view, kPagerMenuItems> kPagerMenuCaptions = {
    "Set Alert Disable", "Pager Off Disable",  "Auto Sleep Disable", "Set Alarm Disable",
    "Set Time Disable",  "Set Scroll Disable", "Zoom In Disable"};
// Codes outside 0x10-0x16 (from a foreign file) name no item and are passed over.
PagerMenuDisabled ReadPagerMenu(const PagerImage& image);
void WritePagerMenu(PagerImage& image, const PagerMenuDisabled& disabled);

// The fixed alert tone at 0x0F7 and the rows of cboTone ("Tone 1".."Tone 4", "Vibration").
int ToneRowFromImage(const PagerImage& image);
void WriteToneRow(PagerImage& image, int row);

// Screen contrast 0-8 at 0x0E9.
inline constexpr int kContrastAddress = 0x0E9;
inline constexpr int kContrastMax = 8;  // the slider's range is 0 to this
std::uint8_t ContrastFromImage(const PagerImage& image);
void WriteContrast(PagerImage& image, int value);

}  // namespace kpx
