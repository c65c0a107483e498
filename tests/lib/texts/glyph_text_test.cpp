#include "texts/glyph_text.h"

#include <gtest/gtest.h>

#include "image/default_image.h"

namespace kpx {
namespace {

TEST(GlyphCells, AddressesOfCellsAndRows) {
    struct Case {
        int cell;
        int address;
    } cases[] = {{0, 0x116},   {17, 0x127},  {20, 0x12A},  {540, 0x332}, {557, 0x343},
                 {560, 0x3B2}, {565, 0x3B7}, {577, 0x3C3}, {580, 0x3C6}, {597, 0x3D7}};
    for (const auto& c : cases) EXPECT_EQ(GlyphCellAddress(c.cell), c.address) << c.cell;
    for (int cell : {-1, 18, 19, 38, 559, 578, 598, 599, 600}) {
        EXPECT_FALSE(IsGlyphCell(cell)) << cell;
        EXPECT_THROW(GlyphCellAddress(cell), std::out_of_range) << cell;
    }
    EXPECT_EQ(GlyphRowSlot(0), 0x114);
    EXPECT_EQ(GlyphRowSlot(27), 0x330);
    EXPECT_EQ(GlyphRowSlot(28), 0x3B0);
    EXPECT_EQ(GlyphRowSlot(29), 0x3C4);
    EXPECT_THROW(GlyphRowSlot(30), std::out_of_range);
}

TEST(GlyphKeys, NinetyFiveKeysWithTheirLetters) {
    const auto codes = GlyphKeyCodes();
    ASSERT_EQ(codes.size(), 95u);
    int withKey = 0;
    for (int c = 0; c < 256; ++c) {
        const auto code = static_cast<std::uint8_t>(c);
        const bool key = HasGlyphKey(code);
        withKey += key;
        EXPECT_EQ(key, std::find(codes.begin(), codes.end(), code) != codes.end()) << c;
        EXPECT_EQ(GlyphLetter(code).empty(), !key) << c;
    }
    EXPECT_EQ(withKey, 95);
    struct Case {
        std::uint8_t code;
        std::string_view letter;
    } cases[] = {{0, "Њ"},  {32, " "}, {65, "A"},  {91, "["},  {92, "Љ"},  {93, "]"},  {95, "Ћ"},
                 {96, "`"}, {97, "Б"}, {104, "И"}, {115, "Ы"}, {119, "Я"}, {125, "Џ"}, {126, "~"}};
    for (const auto& c : cases) EXPECT_EQ(GlyphLetter(c.code), c.letter) << int(c.code);
    EXPECT_FALSE(HasGlyphKey(94));
}

TEST(GlyphKeys, KeyWritesTheCellOnlyInModifyModeAndStopsAtTheRowEnd) {
    struct Case {
        int cursor;
        bool modify;
        int address;  // the byte that gets the code, or -1
        int next;
    } cases[] = {
        {0, true, 0x116, 1},     {17, true, 0x127, 17}, {577, true, 0x3C3, 577},
        {565, true, 0x3B7, 566}, {16, true, 0x126, 17}, {597, true, 0x3D7, 597},
        {17, false, -1, 17},     {565, false, -1, 565},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cursor);
        PagerImage im = BuildDefaultImage();
        PagerImage expected = im;
        if (c.address >= 0) expected.set(c.address, 104);
        EXPECT_EQ(PressGlyphKey(im, c.cursor, 104, c.modify), c.next);
        EXPECT_EQ(im, expected);
    }
}

TEST(GlyphRows, AlignmentMovesTheTextOnTheLine) {
    // Two spaces, five letter codes, eleven spaces.
    const std::string row = "  aBCdE           ";
    struct Case {
        int row;
        GlyphAlign align;
        std::string expected;
    } cases[] = {
        {0, GlyphAlign::Right, std::string(13, ' ') + "aBCdE"},
        {0, GlyphAlign::Centre, std::string(6, ' ') + "aBCdE" + std::string(7, ' ')},
        {0, GlyphAlign::Left, "aBCdE" + std::string(13, ' ')},
        {29, GlyphAlign::Centre, std::string(6, ' ') + "aBCdE" + std::string(7, ' ')},
    };
    for (const auto& c : cases) {
        PagerImage im;
        im.bytes().fill(0x77);
        const int text = GlyphRowText(c.row);
        for (int i = 0; i < 18; ++i) im.set(text + i, static_cast<std::uint8_t>(row[i]));
        PagerImage expected = im;
        for (int i = 0; i < 18; ++i)
            expected.set(text + i, static_cast<std::uint8_t>(c.expected[i]));
        AlignGlyphRow(im, c.row, c.align);
        EXPECT_EQ(im, expected) << "attribute, length and the rest stay";
    }
    // A full row and an empty row stay as they are; only 0x20 is a space.
    for (const std::string& t : {std::string(18, 'X'), std::string(18, ' '),
                                 std::string("\0\0AB", 4) + std::string(14, ' ')}) {
        PagerImage im;
        for (int i = 0; i < 18; ++i) im.set(0x116 + i, static_cast<std::uint8_t>(t[i]));
        const PagerImage before = im;
        AlignGlyphRow(im, 0, GlyphAlign::Left);
        EXPECT_EQ(im, before);
    }
}

TEST(GlyphRows, LoadDefaultCopiesTheRussianSlot) {
    const PromptBlocks& russian = PromptDefaults(kLangRussian);
    struct Case {
        int row;
        int slot;
        const std::uint8_t* from;
    } cases[] = {{0, 0x114, russian.main.data() + 20},
                 {27, 0x330, russian.main.data() + 560},
                 {28, 0x3B0, russian.second.data()},
                 {29, 0x3C4, russian.second.data() + 20}};
    for (const auto& c : cases) {
        PagerImage im;
        im.bytes().fill(0x55);
        PagerImage expected = im;
        for (int i = 0; i < 20; ++i) expected.set(c.slot + i, c.from[i]);
        LoadGlyphRowDefault(im, c.row);
        EXPECT_EQ(im, expected) << c.row;
    }
}

}  // namespace
}  // namespace kpx
