#include "image/charmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kpx {
namespace {

struct MapRow {
    std::uint8_t pager;
    int spanish;  // -1: unchanged
    int french;
    int german;
};

// The pager's national variants, pager byte against Windows-1252 byte.
const MapRow kRows[] = {
    {0x23, 0xA1, 0xA3, -1},   {0x40, -1, 0xE0, 0xA7},   {0x5B, 0xC7, 0xB0, 0xC4},
    {0x5C, 0xD1, 0xE7, 0xD6}, {0x5D, 0xBA, 0xA7, 0xDC}, {0x5E, 0xAA, -1, -1},
    {0x60, 0xBF, -1, -1},     {0x7B, 0xE7, 0xE9, 0xE4}, {0x7C, 0xF1, 0xF9, 0xF6},
    {0x7D, 0xDC, 0xE8, 0xFC}, {0x7E, 0xFC, 0xAF, 0xDF},
};

TEST(CharMap, EveryRowOfTheTableMapsBothWays) {
    struct Charset {
        std::uint8_t code;
        int MapRow::*pc;
    };
    for (const Charset cs :
         {Charset{5, &MapRow::spanish}, Charset{6, &MapRow::french}, Charset{8, &MapRow::german}}) {
        std::vector<bool> mappedPc(256, false), mappedPager(256, false);
        for (const MapRow& row : kRows) {
            const int pc = row.*cs.pc;
            if (pc < 0) continue;
            EXPECT_EQ(PagerToPcChar(cs.code, row.pager), pc) << int{cs.code} << " " << row.pager;
            EXPECT_EQ(PcToPagerChar(cs.code, static_cast<std::uint8_t>(pc)), row.pager)
                << int{cs.code} << " " << pc;
            mappedPager[row.pager] = true;
            mappedPc[static_cast<std::size_t>(pc)] = true;
        }
        // Every byte the table does not name stays as it is.
        for (int c = 0; c < 256; ++c) {
            const auto b = static_cast<std::uint8_t>(c);
            if (!mappedPager[b])
                EXPECT_EQ(PagerToPcChar(cs.code, b), b) << int{cs.code} << " " << c;
            if (!mappedPc[b]) EXPECT_EQ(PcToPagerChar(cs.code, b), b) << int{cs.code} << " " << c;
        }
    }
}

TEST(CharMap, EnglishRussianAndUnknownCodesChangeNothing) {
    for (std::uint8_t code : {0, 1, 3, 4, 7, 9, 15}) {
        for (int c = 0; c < 256; ++c) {
            const auto b = static_cast<std::uint8_t>(c);
            EXPECT_EQ(PagerToPcChar(code, b), b);
            EXPECT_EQ(PcToPagerChar(code, b), b);
        }
    }
}

PagerImage EveryByteValue(std::uint8_t charsetNibble) {
    PagerImage image;
    for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(a * 7 + 3));
    image.set(0x3A, static_cast<std::uint8_t>(0xA0 | charsetNibble));  // high bits are options
    return image;
}

bool InTextRegion(int a) {
    return (a >= 0x100 && a <= 0x343) || (a >= 0x3B0 && a <= 0x3D7);
}

// The text bytes of a slot; its attribute and length bytes are numbers, not characters.
bool IsSlotText(int a) {
    const int first = a >= 0x3B0 ? 0x3B0 : 0x100;
    return InTextRegion(a) && (a - first) % 20 >= 2;
}

TEST(CharMap, TextPassesConvertOnlyTheTextRegions) {
    for (std::uint8_t nibble : {0, 3, 5, 6, 8}) {
        const PagerImage original = EveryByteValue(nibble);
        PagerImage encoded = original;
        EncodeTextRegions(encoded);
        PagerImage decoded = original;
        DecodeTextRegions(decoded);
        for (int a = 0; a < kImageSize; ++a) {
            const std::uint8_t b = original.at(a);
            const bool converted = IsSlotText(a);
            EXPECT_EQ(encoded.at(a), converted ? PcToPagerChar(nibble, b) : b) << a;
            EXPECT_EQ(decoded.at(a), converted ? PagerToPcChar(nibble, b) : b) << a;
        }
        if (nibble == 0 || nibble == 3) {
            EXPECT_EQ(encoded, original);
            EXPECT_EQ(decoded, original);
        }
    }
}

// A left-aligned prompt in a slot of display attribute 4 has the attribute 0x40, which is also
// the German pager's code of the section sign: converting it turned the 0 blank columns into 7.
TEST(CharMap, AttributeAndLengthBytesSurviveAWriteAndAReadBack) {
    for (std::uint8_t nibble : {5, 6, 8}) {
        PagerImage image;
        image.set(0x3A, nibble);
        const std::uint8_t numbers[] = {0x40, 0x23, 0x5B, 0x7E, 0xA7, 0xE0, 0xC4, 0xDF};
        int n = 0;
        for (int slot = 0x100; slot < 0x344; slot += 20) {
            image.set(slot, numbers[n++ % 8]);
            image.set(slot + 1, numbers[n++ % 8]);
        }
        for (int slot : {0x3B0, 0x3C4}) {
            image.set(slot, 0x40);
            image.set(slot + 1, 0x23);
        }
        const PagerImage original = image;
        EncodeTextRegions(image);
        EXPECT_EQ(image, original) << int{nibble};
        DecodeTextRegions(image);
        EXPECT_EQ(image, original) << int{nibble};
    }
}

TEST(CharMap, GermanUmlautGoesToThePagerAndBack) {
    PagerImage image;
    image.set(0x3A, 8);
    for (int a : {0x102, 0x343, 0x3B2, 0x3D7, 0x057, 0x070, 0x0FF, 0x344, 0x3AF, 0x3D8}) {
        image.set(a, 0xC4);
    }
    EncodeTextRegions(image);
    for (int a : {0x102, 0x343, 0x3B2, 0x3D7}) EXPECT_EQ(image.at(a), 0x5B) << a;
    for (int a : {0x057, 0x070, 0x0FF, 0x344, 0x3AF, 0x3D8}) EXPECT_EQ(image.at(a), 0xC4) << a;
    DecodeTextRegions(image);
    for (int a : {0x102, 0x343, 0x3B2, 0x3D7}) EXPECT_EQ(image.at(a), 0xC4) << a;
}

}  // namespace
}  // namespace kpx
