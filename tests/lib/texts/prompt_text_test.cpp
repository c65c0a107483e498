#include "texts/prompt_text.h"

#include <gtest/gtest.h>

#include "image/field_tags.h"
#include "testsupport/fakes.h"
#include "texts/cp1252.h"

namespace kpx {
namespace {

TEST(PromptStore, LeadingBlanksLengthAndTrailingSpaces) {
    struct Case {
        int slot;
        std::string text;
        bool stored;
        int lead;
        std::string bytes;  // the stored text
    } cases[] = {
        {0x1B4, "   SET TIME  ", true, 3, "SET TIME"},
        {0x1B4, std::string(20, ' ') + "AB", true, 15, "     AB"},
        {0x13C, "", true, 0, " "},
        {0x13C, "     ", true, 4, " "},  // five blanks in all, the last the text's own
        {0x13C, std::string(16, ' '), true, 15, " "},
        {0x13C, std::string(20, ' '), true, 15, "     "},
        {0x13C, std::string(18, 'X'), true, 0, std::string(18, 'X')},
        {0x13C, std::string(19, 'X'), false, 0, ""},
        {0x13C, std::string(17, ' ') + std::string(17, 'X'), false, 0, ""},  // no room
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PagerImage im;
        im.set(c.slot, 0x46);
        im.set(c.slot + 1, 9);
        testing::RecordingDialogs d;
        const PagerImage before = im;
        EXPECT_EQ(StorePromptText(im, c.slot, c.text, d), c.stored);
        if (!c.stored) {
            EXPECT_EQ(im, before);
            EXPECT_EQ(d.Texts(), std::vector<std::string>{kPromptTooLong});
            continue;
        }
        EXPECT_EQ(im.at(c.slot), 0x40 | c.lead) << "high nibble kept";
        ASSERT_EQ(im.at(c.slot + 1), c.bytes.size());
        for (std::size_t i = 0; i < c.bytes.size(); ++i) {
            EXPECT_EQ(im.at(c.slot + 2 + static_cast<int>(i)), c.bytes[i]);
        }
    }
    PagerImage im;
    testing::RecordingDialogs d;
    StorePromptText(im, 0x1B4, std::string(20, ' ') + "AB", d);
    EXPECT_EQ(PromptDisplayText(im, 0x1B4), std::string(20, ' ') + "AB");
    // What the box shows, stored again, stores the same: leaving a box never changes it.
    for (int n = 0; n <= 20; ++n) {
        StorePromptText(im, 0x13C, std::string(n, ' '), d);
        const std::string shown = PromptDisplayText(im, 0x13C);
        EXPECT_EQ(shown, std::string(std::max(n, 1), ' ')) << n;
        const PagerImage once = im;
        StorePromptText(im, 0x13C, shown, d);
        EXPECT_EQ(im, once) << n;
    }
}

TEST(PromptStore, LogoSlotRecordsEmptiness) {
    PagerImage im;
    testing::RecordingDialogs d;
    StorePromptText(im, kLogoSlot, "ZENTRA", d);
    EXPECT_EQ(im.GetBits(0x3B, 0, 2), 2);
    StorePromptText(im, kLogoSlot, "", d);
    EXPECT_EQ(im.GetBits(0x3B, 0, 2), 0);
    StorePromptText(im, 0x114, "", d);  // other slots leave 0x3B alone
    EXPECT_EQ(im.GetBits(0x3B, 0, 2), 0);
}

TEST(Alignment, CentreLeftRight) {
    EXPECT_EQ(AlignCentre("ZENTRA", 16), "     ZENTRA");
    EXPECT_EQ(AlignCentre("  ZENTRA ", 21), "       ZENTRA");
    EXPECT_EQ(AlignCentre("SET TIME", 21), "      SET TIME");
    EXPECT_EQ(AlignRight("SET TIME", 21), std::string(13, ' ') + "SET TIME");
    EXPECT_EQ(AlignLeft("   SET TIME  "), "SET TIME");
    EXPECT_EQ(AlignCentre(std::string(18, 'A'), 16), std::string(18, 'A'));
}

TEST(Cp1252, RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("\xC4\x80"), "\xC3\x84\xE2\x82\xAC");  // Ä €
    EXPECT_EQ(Utf8ToCp1252("\xD0\x96"), "?");                     // Cyrillic Zhe
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");                       // cut sequence
    // Overlong forms, surrogates and code points past U+10FFFF are one '?' each.
    EXPECT_EQ(Utf8ToCp1252(std::string("x\xC0\x80y", 4)), "x?y");  // NUL
    EXPECT_EQ(Utf8ToCp1252("\xC1\x81\xE0\x81\x81"), "??");        // 'A' twice
    EXPECT_EQ(Utf8ToCp1252("\xF0\x80\x82\xAC"), "?");               // euro in four bytes
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80\xF4\x90\x80\x80"), "??");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");                // the real euro
}

}  // namespace
}  // namespace kpx

namespace kpx {
namespace {

// However the text is made up, a store writes the slot's own bytes and nothing else (the logo
// slot also 0x3B bits 0-1).
TEST(PromptStore, NeverWritesOutsideTheSlot) {
    const std::string texts[] = {
        std::string(18, 'X'),
        std::string(15, ' ') + std::string(18, 'X'),
        std::string(16, ' ') + std::string(17, 'X'),
        std::string(18, ' ') + std::string(15, 'X'),
        std::string(33, ' ') + "X",
        std::string(40, ' '),
    };
    for (const PromptTag& tag : PromptTags()) {
        for (const std::string& t : texts) {
            PagerImage im;
            im.bytes().fill(0xEE);
            const PagerImage before = im;
            testing::RecordingDialogs d;
            StorePromptText(im, tag.address, t, d);
            for (int a = 0; a < kImageSize; ++a) {
                if (a >= tag.address && a < tag.address + 20) continue;
                if (tag.address == kLogoSlot && a == 0x3B) continue;
                ASSERT_EQ(im.at(a), before.at(a)) << tag.address << " " << a;
            }
        }
    }
}

TEST(PromptStore, LongLeadWithLongTextIsRefusedWholeAndShortOneFits) {
    struct Case {
        int lead;
        int letters;
        bool stored;
    } cases[] = {{15, 18, true},  {16, 17, true}, {16, 18, false}, {20, 13, true},
                 {20, 14, false}, {33, 1, false}, {32, 1, true}};
    for (const auto& c : cases) {
        PagerImage im;
        testing::RecordingDialogs d;
        const std::string t = std::string(c.lead, ' ') + std::string(c.letters, 'Q');
        EXPECT_EQ(StorePromptText(im, 0x1B4, t, d), c.stored) << c.lead << "+" << c.letters;
        EXPECT_EQ(d.Texts().size(), c.stored ? 0u : 1u);
        if (c.stored) EXPECT_EQ(PromptDisplayText(im, 0x1B4), t);
    }
}

}  // namespace
}  // namespace kpx
