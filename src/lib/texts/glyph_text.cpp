#include "texts/glyph_text.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "image/default_image.h"

namespace kpx {

namespace {

constexpr int kMainRows = kMainGlyphRows;
constexpr int kMainText = 0x116;
constexpr int kSecondText = 0x3B2;
constexpr std::uint8_t kSpace = 0x20;
constexpr int kSlotBytes = 20;

constexpr std::array<std::uint8_t, 95> MakeKeyCodes() {
    std::array<std::uint8_t, 95> codes{};
    std::size_t n = 0;
    codes[n++] = 0;
    for (int c = 32; c <= 126; ++c) {
        if (c != 94) codes[n++] = static_cast<std::uint8_t>(c);
    }
    return codes;
}
constexpr std::array<std::uint8_t, 95> kKeyCodes = MakeKeyCodes();

struct Letter {
    std::uint8_t code;
    std::string_view utf8;
};
// The codes where the pager draws a Cyrillic letter instead of the ASCII character.
constexpr std::array<Letter, 32> kCyrillic = {{
    {0, "Њ"},   {92, "Љ"},  {95, "Ћ"},  {97, "Б"},  {98, "Г"},  {99, "Ѓ"},  {100, "Д"}, {101, "Ё"},
    {102, "Ж"}, {103, "З"}, {104, "И"}, {105, "Й"}, {106, "Л"}, {107, "П"}, {108, "У"}, {109, "Ф"},
    {110, "Ц"}, {111, "Ч"}, {112, "Ш"}, {113, "Щ"}, {114, "Ъ"}, {115, "Ы"}, {116, "Ь"}, {117, "Э"},
    {118, "Ю"}, {119, "Я"}, {120, "Ђ"}, {121, "Є"}, {122, "Ї"}, {123, "Ќ"}, {124, "Ў"}, {125, "Џ"},
}};

// The printable ASCII characters, so that GlyphLetter can hand out views of them.
constexpr std::string_view kAscii =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz"
    "{|}~";

void CheckRow(int row) {
    if (row < 0 || row >= kGlyphRows)
        throw std::out_of_range("no glyph row " + std::to_string(row));
}

}  // namespace

bool IsGlyphCell(int cell) {
    return cell >= 0 && cell < kGlyphCellLimit && cell % kGlyphRowStride < kGlyphColumns;
}

int GlyphCellAddress(int cell) {
    if (!IsGlyphCell(cell)) throw std::out_of_range("no glyph cell " + std::to_string(cell));
    return cell < kMainRows * kGlyphRowStride ? cell + kMainText
                                              : cell - kMainRows * kGlyphRowStride + kSecondText;
}

int GlyphRowText(int row) {
    CheckRow(row);
    return GlyphCellAddress(row * kGlyphRowStride);
}

int GlyphRowSlot(int row) {
    return GlyphRowText(row) - 2;
}

std::span<const std::uint8_t> GlyphKeyCodes() {
    return kKeyCodes;
}

bool HasGlyphKey(std::uint8_t code) {
    return code == 0 || (code >= 32 && code <= 126 && code != 94);
}

std::string_view GlyphLetter(std::uint8_t code) {
    if (!HasGlyphKey(code)) return {};
    for (const Letter& l : kCyrillic) {
        if (l.code == code) return l.utf8;
    }
    return kAscii.substr(code - 32u, 1);
}

int PressGlyphKey(PagerImage& image, int cursor, std::uint8_t code, bool modifyMode) {
    const int address = GlyphCellAddress(cursor);
    if (!modifyMode) return cursor;
    image.set(address, code);
    return (cursor + 1) % kGlyphRowStride < kGlyphColumns ? cursor + 1 : cursor;
}

void AlignGlyphRow(PagerImage& image, int row, GlyphAlign align) {
    const auto first = image.bytes().begin() + GlyphRowText(row);
    const auto last = first + kGlyphColumns;
    const auto isText = [](std::uint8_t b) { return b != kSpace; };
    const auto textBegin = std::find_if(first, last, isText);
    const auto textEnd = std::find_if(std::make_reverse_iterator(last),
                                      std::make_reverse_iterator(textBegin), isText)
                             .base();
    // Every alignment is: spaces, the text from its first to its last non-space, spaces.
    std::array<std::uint8_t, kGlyphColumns> line{};
    line.fill(kSpace);
    const auto n = textEnd - textBegin;
    std::ptrdiff_t lead = 0;
    if (align == GlyphAlign::Right) lead = kGlyphColumns - n;
    if (align == GlyphAlign::Centre) lead = (kGlyphColumns - n) / 2;
    std::copy(textBegin, textEnd, line.begin() + lead);
    std::copy(line.begin(), line.end(), first);
}

void LoadGlyphRowDefault(PagerImage& image, int row) {
    CheckRow(row);
    const PromptBlocks& russian = PromptDefaults(kLangRussian);
    const bool second = row >= kMainRows;
    const std::uint8_t* from = second ? russian.second.data() + (row - kMainRows) * kSlotBytes
                                      : russian.main.data() + kSlotBytes * (row + 1);
    std::copy(from, from + kSlotBytes, image.bytes().begin() + GlyphRowSlot(row));
}

}  // namespace kpx
