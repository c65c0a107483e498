#include "image/charmap.h"

#include <array>
#include <utility>

namespace kpx {

namespace {

using CharPair = std::pair<std::uint8_t, std::uint8_t>;  // pager byte, PC (Windows-1252) byte

// The pager's national variants of ASCII: which ASCII positions carry which accented letters.
constexpr std::array<CharPair, 10> kSpanish = {{{0x23, 0xA1},
                                                {0x5B, 0xC7},
                                                {0x5C, 0xD1},
                                                {0x5D, 0xBA},
                                                {0x5E, 0xAA},
                                                {0x60, 0xBF},
                                                {0x7B, 0xE7},
                                                {0x7C, 0xF1},
                                                {0x7D, 0xDC},
                                                {0x7E, 0xFC}}};
constexpr std::array<CharPair, 9> kFrench = {{{0x23, 0xA3},
                                              {0x40, 0xE0},
                                              {0x5B, 0xB0},
                                              {0x5C, 0xE7},
                                              {0x5D, 0xA7},
                                              {0x7B, 0xE9},
                                              {0x7C, 0xF9},
                                              {0x7D, 0xE8},
                                              {0x7E, 0xAF}}};
constexpr std::array<CharPair, 8> kGerman = {{{0x40, 0xA7},
                                              {0x5B, 0xC4},
                                              {0x5C, 0xD6},
                                              {0x5D, 0xDC},
                                              {0x7B, 0xE4},
                                              {0x7C, 0xF6},
                                              {0x7D, 0xFC},
                                              {0x7E, 0xDF}}};

template <std::size_t N>
std::uint8_t Lookup(const std::array<CharPair, N>& map, std::uint8_t c, bool toPc) {
    for (const auto& [pager, pc] : map) {
        if (toPc && c == pager) return pc;
        if (!toPc && c == pc) return pager;
    }
    return c;
}

std::uint8_t Convert(std::uint8_t charsetCode, std::uint8_t c, bool toPc) {
    switch (charsetCode) {
        case 5:
            return Lookup(kSpanish, c, toPc);
        case 6:
            return Lookup(kFrench, c, toPc);
        case 8:
            return Lookup(kGerman, c, toPc);
        default:
            return c;
    }
}

constexpr std::array<std::pair<int, int>, 2> kTextRegions = {{{0x100, 0x343}, {0x3B0, 0x3D7}}};

constexpr int kSlotSize = 20;
constexpr int kSlotTextStart = 2;  // after the attribute and length bytes

void ConvertTextRegions(PagerImage& image, bool toPc) {
    const std::uint8_t code = image.GetBits(0x3A, 0, 4);
    for (const auto& [first, last] : kTextRegions) {
        for (int a = first; a <= last; ++a) {
            // A slot's attribute and length are numbers: 0x40, a left-aligned prompt, is also
            // the German section sign, and converting it would add 7 blank columns.
            if ((a - first) % kSlotSize < kSlotTextStart) continue;
            image.set(a, Convert(code, image.at(a), toPc));
        }
    }
}

}  // namespace

std::uint8_t PcToPagerChar(std::uint8_t charsetCode, std::uint8_t c) {
    return Convert(charsetCode, c, false);
}

std::uint8_t PagerToPcChar(std::uint8_t charsetCode, std::uint8_t c) {
    return Convert(charsetCode, c, true);
}

void EncodeTextRegions(PagerImage& image) {
    ConvertTextRegions(image, false);
}

void DecodeTextRegions(PagerImage& image) {
    ConvertTextRegions(image, true);
}

}  // namespace kpx
