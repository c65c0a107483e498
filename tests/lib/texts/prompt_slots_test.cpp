#include "texts/prompt_slots.h"

#include <gtest/gtest.h>

#include <set>

#include "image/default_image.h"
#include "texts/logo.h"

namespace kpx {
namespace {

// Every byte of `after` equals `before` outside [from, to).
void ExpectUnchangedOutside(const PagerImage& before, const PagerImage& after,
                            std::initializer_list<std::pair<int, int>> changed) {
    for (int a = 0; a < kImageSize; ++a) {
        bool inside = false;
        for (auto [from, to] : changed) inside = inside || (a >= from && a < to);
        if (!inside) EXPECT_EQ(after.at(a), before.at(a)) << std::hex << "address 0x" << a;
    }
}

TEST(PromptLanguage, RowsCodesAndTheRowTheRefreshSelects) {
    struct Case {
        int row;
        std::uint8_t code;
    } cases[] = {{0, 0}, {1, 5}, {2, 6}, {3, 8}, {4, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageCodeForRow(c.row), c.code);
        PagerImage im;
        im.set(0x3E, static_cast<std::uint8_t>(0xA0 | c.code));
        EXPECT_EQ(LanguageRowFromImage(im), c.row) << "high nibble ignored";
    }
    EXPECT_FALSE(LanguageCodeForRow(-1));
    EXPECT_FALSE(LanguageCodeForRow(5));
    for (int code : {1, 2, 4, 7, 9, 15}) {
        PagerImage im;
        im.set(0x3E, static_cast<std::uint8_t>(code));
        EXPECT_FALSE(LanguageRowFromImage(im)) << code;
    }
}

TEST(PromptLanguage, SelectingGermanWritesCodesBlocksAndNothingElse) {
    const PagerImage before = BuildDefaultImage();
    PagerImage im = before;
    im.set(0x3A, 0xE0);  // high nibbles belong to other settings
    im.set(0x3E, 0x70);
    im.set(0x3B, 0xFC);
    PagerImage marked = im;
    ASSERT_TRUE(SelectPromptLanguage(im, 3));
    EXPECT_EQ(im.at(0x3A), 0xE8);
    EXPECT_EQ(im.at(0x3E), 0x78);
    EXPECT_EQ(im.at(0x3B), 0xFE);
    const PromptBlocks& german = PromptDefaults(kLangGerman);
    for (int i = 0; i < 580; ++i) EXPECT_EQ(im.at(0x100 + i), german.main[i]) << i;
    for (int i = 0; i < 40; ++i) EXPECT_EQ(im.at(0x3B0 + i), german.second[i]) << i;
    // The logo slot is German's own ("ZENTRA  ", 8 bytes), the password slots stay.
    EXPECT_EQ(im.at(0x101), 8);
    ExpectUnchangedOutside(marked, im,
                           {{0x3A, 0x3C}, {0x3E, 0x3F}, {0x100, 0x344}, {0x3B0, 0x3D8}});
    EXPECT_FALSE(SelectPromptLanguage(im, 5));
}

TEST(PromptLanguage, LoadDefaultRestoresOneSlot) {
    const PromptBlocks& english = PromptDefaults(kLangEnglish);
    const PromptBlocks& french = PromptDefaults(kLangFrench);
    struct Case {
        int slot;
        int row;
        const std::uint8_t* expected;  // 20 bytes, or null for the fixed slots
    } cases[] = {
        {0x100, 0, english.main.data()},        {0x1B4, 0, english.main.data() + 0xB4},
        {0x330, 2, french.main.data() + 0x230}, {0x3B0, 0, english.second.data()},
        {0x3C4, 2, french.second.data() + 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        PagerImage im;
        im.bytes().fill(0x99);
        const PagerImage before = im;
        ASSERT_TRUE(LoadPromptDefault(im, c.slot, c.row));
        for (int i = 0; i < 20; ++i) EXPECT_EQ(im.at(c.slot + i), c.expected[i]) << i;
        ExpectUnchangedOutside(before, im, {{c.slot, c.slot + 20}});
    }
}

TEST(PromptLanguage, LoadDefaultOfThePasswordSlotsRestoresTheirTexts) {
    struct Case {
        int slot;
        std::uint8_t attribute;
        std::string text;
    } cases[] = {{0x057, 0x04, "READ PASSWORD"}, {0x070, 0x43, "FLASH ONLY"}};
    for (const auto& c : cases) {
        PagerImage im;
        im.bytes().fill(0x99);
        const PagerImage before = im;
        for (int row = 0; row < 4; ++row) EXPECT_TRUE(LoadPromptDefault(im, c.slot, row));
        EXPECT_EQ(im.at(c.slot), c.attribute);
        ASSERT_EQ(im.at(c.slot + 1), c.text.size());
        for (std::size_t i = 0; i < c.text.size(); ++i) {
            EXPECT_EQ(im.at(c.slot + 2 + static_cast<int>(i)), c.text[i]);
        }
        // The rest of the slot and the password digits behind it stay.
        ExpectUnchangedOutside(before, im,
                               {{c.slot, c.slot + 2 + static_cast<int>(c.text.size())}});
    }
}

TEST(PromptLanguage, LoadDefaultWritesNothingForRussianOrForeignAddresses) {
    PagerImage im = BuildDefaultImage();
    const PagerImage before = im;
    EXPECT_FALSE(LoadPromptDefault(im, 0x1B4, kRussianRow));
    EXPECT_FALSE(LoadPromptDefault(im, 0x1B4, -1));
    EXPECT_FALSE(LoadPromptDefault(im, 0x3D0, 0)) << "past the second block's last slot";
    EXPECT_FALSE(LoadPromptDefault(im, 0x105, 0)) << "not a slot start";
    EXPECT_FALSE(LoadPromptDefault(im, 0x340, 0));
    EXPECT_EQ(im, before);
}

TEST(PromptLanguage, EditFontsFollowTheFlagInEnglishOnly) {
    const auto tags = PromptTags();
    ASSERT_EQ(tags.size(), static_cast<std::size_t>(kPromptCount));
    const std::set<int> large = {0, 1, 13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 26};
    for (int i = 0; i < kPromptCount; ++i) {
        const EditFont& english = EditFontFor(tags[static_cast<std::size_t>(i)], 0);
        EXPECT_EQ(english.charLimit, large.count(i) ? 16 : 21) << i;
        EXPECT_EQ(english.bold, large.count(i) == 1) << i;
        for (int row = 1; row < kLanguageRows; ++row) {
            EXPECT_EQ(&EditFontFor(tags[static_cast<std::size_t>(i)], row), &kSmallFont);
        }
    }
    EXPECT_STREQ(kLargeFont.tooltip, " Large Font ( Less than 17 characters ) ");
    EXPECT_EQ(kSmallFont.widthSpaces, 22);
    EXPECT_STREQ(PromptCaption(26), "SILENT & BEEP -->");
    EXPECT_STREQ(PromptCaption(13), "TONE ONLY ------> ");
}

TEST(LogoFont, RowsWriteTheirCodeAndKeepTheHighNibble) {
    struct Case {
        int row;
        std::uint8_t code;
        int limit;
    } cases[] = {{0, 0, 16}, {1, 2, 21}, {2, 5, 21}, {3, 6, 21}, {4, 8, 21}};
    for (const auto& c : cases) {
        PagerImage im;
        im.set(0x3F, 0x51);
        const auto font = ApplyLogoFont(im, c.row);
        ASSERT_TRUE(font);
        EXPECT_EQ(im.at(0x3F), 0x50 | c.code);
        EXPECT_EQ(font->font.charLimit, c.limit);
        EXPECT_EQ(font->font.bold, c.row == 0);
    }
    PagerImage im;
    im.set(0x3F, 0x51);
    EXPECT_FALSE(ApplyLogoFont(im, -1));
    EXPECT_EQ(im.at(0x3F), 0x51) << "no row, nothing written";
    EXPECT_EQ(LogoListRow(im), 0) << "code 1 shows English(Large)";
}

}  // namespace
}  // namespace kpx
