#include "settings/password.h"

#include <gtest/gtest.h>

#include "settings/frequency.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

TEST(Password, KeyReleasesStoreDigitsOrRefuse) {
    struct Case {
        int box;
        const char* text;
        PasswordEntry result;
        const char* message;
        std::array<std::uint8_t, 4> bytes;  // afterwards; the box started at 5 6 7 8
    } cases[] = {
        {0, "1", PasswordEntry::Stored, "", {0, 0, 0, 1}},
        {0, "12", PasswordEntry::Stored, "", {0, 0, 1, 2}},
        {0, "1234", PasswordEntry::Stored, "", {1, 2, 3, 4}},
        {1, "0090", PasswordEntry::Stored, "", {0, 0, 9, 0}},
        {1, " 42 ", PasswordEntry::Stored, "", {0, 0, 4, 2}},
        {0, "", PasswordEntry::Empty, "", {5, 6, 7, 8}},
        {0, "12a", PasswordEntry::NotNumeric, kNotDecimalNumeric, {5, 6, 7, 8}},
        {0, "&H12", PasswordEntry::NotNumeric, kNotDecimalNumeric, {5, 6, 7, 8}},
        {0, "-1", PasswordEntry::OutOfRange, kPasswordRange, {5, 6, 7, 8}},
        {0, "12345", PasswordEntry::OutOfRange, kPasswordRange, {5, 6, 7, 8}},
        {0, "1e9", PasswordEntry::OutOfRange, kPasswordRange, {5, 6, 7, 8}},
        // Numeric, but not digits: refused, nothing stored.
        {0, "1.5", PasswordEntry::NotNumeric, kNotDecimalNumeric, {5, 6, 7, 8}},
        {1, "+12", PasswordEntry::NotNumeric, kNotDecimalNumeric, {5, 6, 7, 8}},
        {1, "1e3", PasswordEntry::NotNumeric, kNotDecimalNumeric, {5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PagerImage im;
        const int a = PasswordAddress(c.box);
        for (int i = 0; i < 4; ++i) im.set(a + i, static_cast<std::uint8_t>(5 + i));
        const PagerImage before = im;
        testing::RecordingDialogs d;
        EXPECT_EQ(PasswordKeyUp(im, c.box, c.text, d), c.result);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(im.at(a + i), c.bytes[static_cast<std::size_t>(i)]);
        for (int x = 0; x < kImageSize; ++x) {
            if (x < a || x >= a + 4) ASSERT_EQ(im.at(x), before.at(x)) << x;
        }
        if (*c.message) {
            ASSERT_EQ(d.shown().size(), 1u);
            EXPECT_EQ(d.shown()[0].text, c.message);
            EXPECT_EQ(d.shown()[0].icon, DialogIcon::Warning);
        } else {
            EXPECT_TRUE(d.shown().empty());
        }
    }
}

TEST(Password, TextAndVisibility) {
    PagerImage im;
    im.set(0x37C, 0), im.set(0x37D, 0), im.set(0x37E, 4), im.set(0x37F, 2);
    im.set(0x06B, 1), im.set(0x06C, 2), im.set(0x06D, 3), im.set(0x06E, 4);
    EXPECT_EQ(PasswordText(im, 0), "0042");
    EXPECT_EQ(PasswordText(im, 1), "1234");
    EXPECT_FALSE(MessagePasswordShown(im));
    im.SetBits(0x46, 6, 1, 1);
    EXPECT_TRUE(MessagePasswordShown(im));
    EXPECT_THROW(PasswordAddress(2), std::out_of_range);
}

}  // namespace
}  // namespace kpx
