// The glyph page's addressing: keys pressed into cells and rows aligned, as the Cyrillic editor
// does them.
#include <set>

#include "fuzz_support.h"
#include "image/default_image.h"
#include "texts/glyph_text.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "glyph_cells";

// The 18 text bytes of every glyph row: the only bytes the page may write.
const std::set<int>& GlyphBytes() {
    static const std::set<int> bytes = [] {
        std::set<int> s;
        for (int row = 0; row < kGlyphRows; ++row) {
            for (int i = 0; i < kGlyphColumns; ++i) s.insert(GlyphRowText(row) + i);
        }
        return s;
    }();
    return bytes;
}

}  // namespace

int Fuzz_glyph_cells(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    static const PagerImage kDefault = BuildDefaultImage();
    PagerImage image = kDefault;
    const auto keys = GlyphKeyCodes();
    int cursor = 0;
    while (!in.empty()) {
        const std::uint8_t step = in.Byte();
        const PagerImage before = image;
        if (step % 4 == 0) {
            // A click on a cell: any number the page could hold, cells or not.
            const int cell = (in.Byte() << 8 | in.Byte()) % (kGlyphCellLimit + 40);
            if (!IsGlyphCell(cell)) continue;
            const int address = GlyphCellAddress(cell);
            const int row = cell / kGlyphRowStride;
            Check(address == GlyphRowText(row) + cell % kGlyphRowStride, kName,
                  "a cell's address is not its row's text byte");
            Check(address >= 0 && address < kImageSize, kName, "a cell outside the image");
            cursor = cell;
        } else if (step % 4 == 3) {
            const int row = in.Byte() % kGlyphRows;
            AlignGlyphRow(image, row, static_cast<GlyphAlign>(in.Byte() % 3));
            for (int a = 0; a < kImageSize; ++a) {
                const bool own = a >= GlyphRowText(row) && a < GlyphRowText(row) + kGlyphColumns;
                if (!own) Check(image.at(a) == before.at(a), kName, "alignment wrote elsewhere");
            }
        } else {
            const std::uint8_t code = keys[in.Byte() % keys.size()];
            const bool modify = step % 4 == 1;
            const int next = PressGlyphKey(image, cursor, code, modify);
            Check(IsGlyphCell(next) && next / kGlyphRowStride == cursor / kGlyphRowStride, kName,
                  "the cursor left its row");
            const int address = GlyphCellAddress(cursor);
            for (int a = 0; a < kImageSize; ++a) {
                if (modify && a == address) {
                    Check(image.at(a) == code, kName, "the key's code did not go into the cell");
                } else {
                    Check(image.at(a) == before.at(a), kName, "a key press wrote elsewhere");
                }
            }
            cursor = next;
        }
        for (int a = 0; a < kImageSize; ++a) {
            if (!GlyphBytes().count(a)) {
                Check(image.at(a) == kDefault.at(a), kName,
                      "a byte outside the glyph rows changed");
            }
        }
    }
    return 0;
}

}  // namespace kpx::fuzz
