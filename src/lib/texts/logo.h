#pragma once

#include <cstdint>
#include <optional>

#include "image/pager_image.h"
#include "texts/prompt_text.h"

namespace kpx {

// The power-up logo's font (cboLogo rows) and the logo box it implies.
struct LogoFont {
    std::uint8_t code;  // written to 0x3F bits 0-3
    EditFont font;
};
// Rows 0-4: "English(Large)", "English(Small)", "Spainish", "French", "German".
std::optional<LogoFont> LogoFontForRow(int row);
// The design limit of the logo box until the first font selection.
inline constexpr int kLogoDesignCharLimit = 14;

// The font selection writing its code (cboLogo_Click). Returns the font, nothing for no row.
std::optional<LogoFont> ApplyLogoFont(PagerImage& image, int row);

}  // namespace kpx
