#include "texts/logo.h"

#include <array>

namespace kpx {

std::optional<LogoFont> LogoFontForRow(int row) {
    static constexpr std::array<std::uint8_t, 5> kCodes = {0, 2, 5, 6, 8};
    if (row < 0 || row >= static_cast<int>(kCodes.size())) return std::nullopt;
    return LogoFont{kCodes[static_cast<std::size_t>(row)], row == 0 ? kLargeFont : kSmallFont};
}

std::optional<LogoFont> ApplyLogoFont(PagerImage& image, int row) {
    auto font = LogoFontForRow(row);
    if (font) image.SetBits(0x3F, 0, font->code, 4);
    return font;
}

}  // namespace kpx
