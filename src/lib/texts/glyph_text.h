#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "image/pager_image.h"

namespace kpx {

// Russian prompts are the pager's own glyph codes, edited cell by cell. The glyph page has 30
// rows (slots 0x114-0x343, then 0x3B0 and 0x3C4) of 18 cells, one per text byte; cell indices
// are 20 x row + position, so positions 18 and 19 are not cells.
inline constexpr int kGlyphRows = 30;
inline constexpr int kGlyphColumns = 18;
inline constexpr int kGlyphRowStride = 20;
inline constexpr int kGlyphCellLimit = kGlyphRows * kGlyphRowStride;  // cell indices are below
inline constexpr int kMainGlyphRows = 28;  // rows 0-27 are the main block's slots 1-28

bool IsGlyphCell(int cell);
// The image address a cell shows; a number that is no cell throws std::out_of_range.
int GlyphCellAddress(int cell);
// The slot of a row (its attribute byte) and the first of its 18 text bytes.
int GlyphRowSlot(int row);
int GlyphRowText(int row);

// The keyboard's 95 keys: the codes 0 and 32-126 except 94, in ascending order.
std::span<const std::uint8_t> GlyphKeyCodes();
bool HasGlyphKey(std::uint8_t code);
// The letter a key shows, in UTF-8: the ASCII character of its code, or the Cyrillic letter
// the pager draws there. Empty for a code without a key.
std::string_view GlyphLetter(std::uint8_t code);

// A key of the keyboard pressed with the cursor on `cursor`: in Modify Mode the code goes into
// the cell's byte and the cursor moves on within its row (it stays on the row's last cell).
// In Write Mode nothing changes. Returns the new cursor.
int PressGlyphKey(PagerImage& image, int cursor, std::uint8_t code, bool modifyMode);

// The row's 18 text bytes aligned on the line; only 0x20 counts as a space, and the attribute
// and length bytes stay.
enum class GlyphAlign { Left, Centre, Right };
void AlignGlyphRow(PagerImage& image, int row, GlyphAlign align);
// The row's whole slot (attribute, length, text) from the Russian built-in texts.
void LoadGlyphRowDefault(PagerImage& image, int row);

}  // namespace kpx
