#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx {

// Six capcode entries of 3 bytes at 0x360 + 3k, big-endian; bit 7 of the first byte is the
// entry's enable flag, the other 23 bits the capcode.
inline constexpr int kCapcodeCount = 6;
inline constexpr int kCapcodeMin = 7;
inline constexpr int kCapcodeMax = 2097151;
inline constexpr int kCapcodeTextMaxLength = 7;
inline constexpr const char* kCapcodeNotNumeric = "Please insert a numeric!";
inline constexpr const char* kCapcodeRange = "Please insert a number between 0000007 to 2097151";

int CapcodeAddress(int entry);  // entry 0..5; anything else throws std::out_of_range
std::int32_t CapcodeValue(const PagerImage& image, int entry);
bool CapcodeEnabled(const PagerImage& image, int entry);
// Stores v in the entry and keeps its enable flag. v must fit 23 bits (std::out_of_range).
void StoreCapcode(PagerImage& image, int entry, std::int32_t value);
// A capcode as the boxes, the logs and the backups' names show it: seven digits with leading
// zeros (42 -> "0000042").
std::string CapcodeDigits(std::int32_t value);
std::string CapcodeText(const PagerImage& image, int entry);

// A capcode box losing the focus with `text`.
enum class CapcodeEntry {
    Empty,       // nothing changes; the box stays empty until the next refresh
    NotNumeric,  // message shown; the boxes are rewritten and the box takes the focus back
    OutOfRange,  // the same with the range message
    Stored,
};
CapcodeEntry EnterCapcode(PagerImage& image, int entry, std::string_view text,
                          UserDialogs& dialogs);

}  // namespace kpx
