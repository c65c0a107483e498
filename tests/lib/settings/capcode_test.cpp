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
    // The same digits for a capcode counted by a series, beyond what the boxes take too.
    const std::pair<std::int32_t, const char*> digits[] = {
        {0, "0000000"}, {2097151, "2097151"}, {12345678, "12345678"}, {-42, "-000042"}};
    for (const auto& [value, text] : digits) EXPECT_EQ(CapcodeDigits(value), text) << value;
}

}  // namespace
}  // namespace kpx

#include "settings/panel_fields.h"

namespace kpx {
namespace {

TEST(PagerMenu, WriteAndReadBack) {
    struct Case {
        PagerMenuDisabled disabled;
        std::array<std::uint8_t, 7> bytes;
    } cases[] = {
        {{false, false, false, true, false, false, true},
         {0xFF, 0xFF, 0x10, 0x11, 0x12, 0x14, 0x15}},
        {{true, true, true, true, true, true, true}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{false, false, false, false, false, false, false},
         {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16}},
    };
    for (const auto& c : cases) {
        PagerImage im;
        WritePagerMenu(im, c.disabled);
        for (int i = 0; i < 7; ++i) EXPECT_EQ(im.at(0x0C0 + i), c.bytes[i]) << i;
        EXPECT_EQ(ReadPagerMenu(im), c.disabled);
    }
    PagerImage foreign;
    foreign.set(0x0C0, 0x42);  // names no item: ignored, not a crash
    for (int i = 1; i < 7; ++i) foreign.set(0x0C0 + i, 0xFF);
    EXPECT_EQ(ReadPagerMenu(foreign),
              (PagerMenuDisabled{true, true, true, true, true, true, true}));
}

TEST(Tone, RowsFromBytes) {
    const std::pair<int, int> reads[] = {{1, 0}, {3, 0}, {4, 0},    {5, 1},
                                         {6, 2}, {7, 3}, {0x20, 4}, {0x99, 0}};
    for (auto [byte, row] : reads) {
        PagerImage im;
        im.set(0x0F7, static_cast<std::uint8_t>(byte));
        EXPECT_EQ(ToneRowFromImage(im), row) << byte;
    }
    PagerImage im;
    WriteToneRow(im, 2);
    EXPECT_EQ(im.at(0x0F7), 6);
    WriteToneRow(im, 4);
    EXPECT_EQ(im.at(0x0F7), 0x20);
}

}  // namespace
}  // namespace kpx
