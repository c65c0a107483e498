#pragma once

#include <cstdint>

#include "image/pager_image.h"

namespace kpx {

// National character sets of the pager's texts, chosen by the low nibble of byte 0x3A.
// 5 Spanish, 6 French, 8 German; every other code (English 0, Russian 3, ...) maps bytes to
// themselves. PC characters are Windows-1252.
std::uint8_t PcToPagerChar(std::uint8_t charsetCode, std::uint8_t c);
std::uint8_t PagerToPcChar(std::uint8_t charsetCode, std::uint8_t c);

// The text bytes of the prompt slots in 0x100-0x343 and 0x3B0-0x3D7, converted with the
// character set that the image itself names in 0x3A. The slots' attribute and length bytes and
// everything outside those ranges stay as they are.
void EncodeTextRegions(PagerImage& image);
void DecodeTextRegions(PagerImage& image);

}  // namespace kpx
