#include "image/field_tags.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

namespace kpx {
namespace {

TEST(FieldTags, EveryControlOfTheTwoArraysHasItsTagAndNameOnce) {
    std::set<std::string_view> names;
    for (const FieldTag& tag : FieldTags()) {
        EXPECT_TRUE(names.insert(tag.control).second) << tag.control;
        EXPECT_LE(tag.firstBit + tag.bitCount, 8) << tag.control;
        const bool isList =
            tag.kind == TagKind::Cbo || tag.kind == TagKind::CboBaud || tag.kind == TagKind::Lng;
        EXPECT_EQ(isList, !tag.rows.empty()) << tag.control;
    }
    for (int i = 0; i <= 25; ++i) {
        const FieldTag* tag = CheckBoxTag(i);
        ASSERT_NE(tag, nullptr) << i;
        EXPECT_EQ(tag->control, "chkCtl(" + std::to_string(i) + ")");
    }
    for (int i = 0; i <= 9; ++i) {
        const FieldTag* tag = ListTag(i);
        if (i == 8) {
            EXPECT_EQ(tag, nullptr);  // cboCtl(8) does not exist
            continue;
        }
        ASSERT_NE(tag, nullptr) << i;
        EXPECT_EQ(tag->control, "cboCtl(" + std::to_string(i) + ")");
    }
    EXPECT_EQ(CheckBoxTag(26), nullptr);
    EXPECT_EQ(LogoTag().control, "cboLogo");
    EXPECT_EQ(names.size(), 26u + 9u + 1u);

    const FieldTag& baud = *ListTag(9);
    EXPECT_EQ(baud.kind, TagKind::CboBaud);
    EXPECT_EQ(baud.address, 0x375);
    ASSERT_EQ(baud.rows.size(), 3u);
    EXPECT_EQ(baud.rows[1], " 512 bps");
    EXPECT_EQ(CheckBoxTag(7)->caption, "Password Modification Enable ");
    EXPECT_EQ(LogoTag().rows[2], "Spainish");
}

TEST(FieldTags, CheckBoxesReadAndWriteTheirBitChkNInverted) {
    struct Case {
        int index;
        int address;
        std::uint8_t mask;
        bool inverted;
    };
    const Case cases[] = {{4, 0x36, 0x01, true},    {5, 0x36, 0x02, false}, {23, 0x39, 0x08, true},
                          {0, 0x39, 0x80, true},    {16, 0x3D, 0x10, true}, {25, 0x3A, 0x20, false},
                          {15, 0x36F, 0x80, false}, {9, 0x38F, 0x04, false}};
    for (const Case& c : cases) {
        const FieldTag& tag = *CheckBoxTag(c.index);
        PagerImage image;
        image.set(c.address, static_cast<std::uint8_t>(~c.mask));
        EXPECT_EQ(ReadCheckBox(image, tag), c.inverted) << c.index;  // bit 0

        WriteCheckBox(image, tag, true);
        EXPECT_EQ(image.at(c.address), c.inverted ? static_cast<std::uint8_t>(~c.mask) : 0xFF)
            << c.index;
        EXPECT_TRUE(ReadCheckBox(image, tag));
        WriteCheckBox(image, tag, false);
        EXPECT_EQ(image.at(c.address), c.inverted ? 0xFF : static_cast<std::uint8_t>(~c.mask))
            << c.index;
        EXPECT_FALSE(ReadCheckBox(image, tag));
    }
}

TEST(FieldTags, CheckBoxSideEffects) {
    PagerImage image;
    image.set(0x375, 0x30);
    const FieldTag& lamp = *CheckBoxTag(17);
    WriteCheckBox(image, lamp, true);
    EXPECT_EQ(image.at(0x36), 0x40);
    EXPECT_EQ(image.at(0x35A), 0x10);
    EXPECT_TRUE(VisibilityFor(image).chk3);
    EXPECT_TRUE(VisibilityFor(image).chk21);
    WriteCheckBox(image, lamp, false);
    EXPECT_EQ(image.at(0x35A), 0x20);
    EXPECT_FALSE(VisibilityFor(image).chk3);
    EXPECT_FALSE(VisibilityFor(image).chk21);

    // "Discard Error Msg": checked clears bit 0x39.5 and sets the error handling bytes.
    const FieldTag& discard = *CheckBoxTag(18);
    image.set(0x39, 0xFF);
    WriteCheckBox(image, discard, true);
    EXPECT_EQ(image.at(0x39), 0xDF);
    EXPECT_EQ(image.at(0x376), 0x1F);
    EXPECT_EQ(image.at(0x375), 0x34);  // baud code in bits 4-5 kept
    WriteCheckBox(image, discard, false);
    EXPECT_EQ(image.at(0x39), 0xFF);
    EXPECT_EQ(image.at(0x376), 0x18);
    EXPECT_EQ(image.at(0x375), 0x3C);

    // "Read Msg. PW" shows the message password box.
    const FieldTag& readPw = *CheckBoxTag(22);
    WriteCheckBox(image, readPw, true);
    EXPECT_TRUE(VisibilityFor(image).txtPass1);
    WriteCheckBox(image, readPw, false);
    EXPECT_FALSE(VisibilityFor(image).txtPass1);

    // The capcode notes warn of capcodes without any enabled function.
    image.set(0x0ED, 0xF0);
    image.set(0x38C, 0x01);
    image.set(0x38D, 0x80);
    image.set(0x38E, 0x08);
    EXPECT_EQ(VisibilityFor(image).enToolTip, (std::array<bool, 4>{false, true, false, true}));

    // Other boxes touch only their own bit.
    PagerImage before = image;
    WriteCheckBox(image, *CheckBoxTag(10), true);
    before.set(0x360, 0x80);
    EXPECT_EQ(image, before);
}

TEST(FieldTags, BaudListMapsRowsToCodesAndTimingBytes) {
    const FieldTag& baud = *ListTag(9);
    PagerImage image;
    image.set(0x375, 0x0C);
    EXPECT_EQ(ReadListRow(image, baud), -1);  // code 0: no row

    struct Case {
        int row;
        std::uint8_t code;
        std::uint8_t b372;
        std::uint8_t b373;
    };
    for (const Case& c : {Case{0, 1, 5, 31}, Case{1, 2, 1, 7}, Case{2, 3, 2, 17}}) {
        WriteListRow(image, baud, c.row);
        EXPECT_EQ(image.GetBits(0x375, 4, 2), c.code) << baud.rows[c.row];
        EXPECT_EQ(image.GetBits(0x375, 0, 4), 0x0C);
        EXPECT_EQ(image.at(0x372), c.b372) << baud.rows[c.row];
        EXPECT_EQ(image.at(0x373), c.b373) << baud.rows[c.row];
        EXPECT_EQ(ReadListRow(image, baud), c.row);
    }
    WriteListRow(image, baud, -1);  // no selection: code 0, timing left alone
    EXPECT_EQ(image.GetBits(0x375, 4, 2), 0);
    EXPECT_EQ(image.at(0x372), 2);
    EXPECT_THROW(WriteListRow(image, baud, 3), std::out_of_range);
}

TEST(FieldTags, ListsReadTheirCodeAsRowAndRefuseCodesWithoutRow) {
    const FieldTag& display = *ListTag(1);  // 0x35 bits 4-7, six rows
    PagerImage image;
    image.set(0x35, 0x5A);
    EXPECT_EQ(ReadListRow(image, display), 5);
    EXPECT_EQ(ReadListRow(image, *ListTag(7)), -1);  // 10: no such row
    WriteListRow(image, display, 2);
    EXPECT_EQ(image.at(0x35), 0x2A);
    WriteListRow(image, display, -1);
    EXPECT_EQ(image.at(0x35), 0x2A);

    const FieldTag& mode = *ListTag(3);
    WriteListRow(image, mode, 1);
    EXPECT_EQ(image.at(0x3B), 0x10);
    EXPECT_TRUE(VisibilityFor(image).chk20);
    WriteListRow(image, mode, 0);
    EXPECT_FALSE(VisibilityFor(image).chk20);

    EXPECT_THROW(ReadListRow(image, *CheckBoxTag(0)), std::invalid_argument);
    EXPECT_THROW(WriteCheckBox(image, mode, true), std::invalid_argument);
    EXPECT_THROW(WriteListRow(image, LogoTag(), 0), std::invalid_argument);
}

}  // namespace
}  // namespace kpx
