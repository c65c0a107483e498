#include "settings/capcode.h"

#include <gtest/gtest.h>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

TEST(Capcode, EntryEdgeCases) {
    struct Case {
        int entry;
        std::uint8_t flagByte;  // first byte before the entry
        const char* text;
        CapcodeEntry result;
        const char* message;
        std::uint8_t b0, b1, b2;  // bytes afterwards
    } cases[] = {
        {0, 0x12, "7", CapcodeEntry::Stored, "", 0x00, 0x00, 0x07},
        {1, 0x92, "7", CapcodeEntry::Stored, "", 0x80, 0x00, 0x07},
        {0, 0x12, "2097151", CapcodeEntry::Stored, "", 0x1F, 0xFF, 0xFF},
        {0, 0x92, "2097151", CapcodeEntry::Stored, "", 0x9F, 0xFF, 0xFF},
        {0, 0x92, "1234568", CapcodeEntry::Stored, "", 0x92, 0xD6, 0x88},
        {2, 0x12, "1234.5", CapcodeEntry::Stored, "", 0x00, 0x04, 0xD2},  // halves to even
        {2, 0x12, "1235.5", CapcodeEntry::Stored, "", 0x00, 0x04, 0xD4},
        {0, 0x92, "2097152", CapcodeEntry::OutOfRange, kCapcodeRange, 0x92, 0xD6, 0x87},
        {0, 0x92, "6", CapcodeEntry::OutOfRange, kCapcodeRange, 0x92, 0xD6, 0x87},
        {0, 0x92, "0", CapcodeEntry::OutOfRange, kCapcodeRange, 0x92, 0xD6, 0x87},
        {0, 0x92, "-5", CapcodeEntry::OutOfRange, kCapcodeRange, 0x92, 0xD6, 0x87},
        {0, 0x92, "12a4", CapcodeEntry::NotNumeric, kCapcodeNotNumeric, 0x92, 0xD6, 0x87},
        {0, 0x92, "", CapcodeEntry::Empty, "", 0x92, 0xD6, 0x87},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PagerImage im;
        const int a = CapcodeAddress(c.entry);
        im.set(a, c.flagByte);
        im.set(a + 1, 0xD6);
        im.set(a + 2, 0x87);
        testing::RecordingDialogs d;
        EXPECT_EQ(EnterCapcode(im, c.entry, c.text, d), c.result);
        EXPECT_EQ(im.at(a), c.b0);
        EXPECT_EQ(im.at(a + 1), c.b1);
        EXPECT_EQ(im.at(a + 2), c.b2);
        if (*c.message) {
            ASSERT_EQ(d.shown().size(), 1u);
            EXPECT_EQ(d.shown()[0].text, c.message);
            EXPECT_EQ(d.shown()[0].icon, DialogIcon::Warning);
        } else {
            EXPECT_TRUE(d.shown().empty());
        }
    }
}

TEST(Capcode, DisplayHasSevenDigitsAndIgnoresFlag) {
    PagerImage im;
    StoreCapcode(im, 5, 42);
    EXPECT_EQ(CapcodeText(im, 5), "0000042");
    im.set(0x36F, static_cast<std::uint8_t>(im.at(0x36F) | 0x80));
    EXPECT_EQ(CapcodeText(im, 5), "0000042");
    EXPECT_TRUE(CapcodeEnabled(im, 5));
    EXPECT_THROW(CapcodeAddress(6), std::out_of_range);
}

}  // namespace
}  // namespace kpx
