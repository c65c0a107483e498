#pragma once

#include <QColor>
#include <QPixmap>
#include <cstdint>
#include <string_view>

namespace kpx::gui {

// The pager's glyphs as a 7 x 9 bitmap font: the keyboard's keys and the glyph page's cells
// show them.
inline constexpr int kGlyphDotsWide = 7;
inline constexpr int kGlyphDotsHigh = 9;

// The dots of a letter (UTF-8), row by row from the top, '#' for a dot, or null for a letter
// the font does not hold.
const char* GlyphDots(std::string_view letter);

// The picture of a glyph code: each dot drawn as scale x scale pixels with a margin of one
// pixel left and right. A code without a key shows a grey placeholder.
QPixmap GlyphPixmap(std::uint8_t code, int scale, const QColor& ink = Qt::black);
// Whether the picture of a code is the placeholder.
bool IsPlaceholderGlyph(std::uint8_t code);

}  // namespace kpx::gui
