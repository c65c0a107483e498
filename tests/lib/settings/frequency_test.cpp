#include "settings/frequency.h"

#include <gtest/gtest.h>

#include "settings/bands.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

using testing::RecordingDialogs;

std::uint32_t Word(const PagerImage& im, int a) {
    return static_cast<std::uint32_t>(im.at(a) << 16 | im.at(a + 1) << 8 | im.at(a + 2));
}

TEST(SetFreqPLL, WorkedValues) {
    struct Case {
        std::int32_t freq;
        int band;
        float spacing;
        int mutl;
        std::uint32_t n, r;
        std::uint8_t family;
    } cases[] = {
        {15300000, kBandRow130, 12.5f, 2, 0x005240, 0x001001, 0xFF},
        {15300000, kBandRow130, 5.0f, 2, 0x00CDA0, 0x002801, 0xFF},
        {46200000, kBandRow380, 12.5f, 3, 0x011360, 0x001801, 0xFF},
        {93101250, kBandRow929, 12.5f, 5, 0x023882, 0x002801, 0xFF},
        {15300000, kBandRowGp, 2.5f, 1, 0x66D000, 0x082F11, 0xAA},
        {15300000, kBandRowGp, 12.5f, 1, 10528 * 128, 0x01A311, 0xAA},
        {15300000, kBandRowGp, 6.25f, 1, 21056 * 128, 0x034611, 0xAA},
    };
    for (const auto& c : cases) {
        PagerImage im;
        SetFreqPLL(im, c.freq, c.band, c.spacing, c.mutl);
        EXPECT_EQ(Word(im, 0x39B), c.n) << c.freq << " band " << c.band;
        EXPECT_EQ(Word(im, 0x398), c.r) << c.freq << " band " << c.band;
        EXPECT_EQ(im.at(0x3F8), c.family);
        EXPECT_EQ(im.at(0x397), 0) << "the spacing code is the caller's";
    }
    PagerImage im;
    SetFreqPLL(im, 93101250, kBandRow929, 12.5f, 5);
    const std::uint8_t digits[] = {9, 3, 1, 0, 1, 2, 5};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(im.at(0x390 + i), digits[i]);
}

TEST(SetFreqPLL, GpStepWithoutReferenceKeepsReferenceBytes) {
    PagerImage im;
    im.set(0x398, 0x12);
    im.set(0x399, 0x34);
    SetFreqPLL(im, 15300000, kBandRowGp, 5.0f, 1);
    EXPECT_EQ(im.at(0x398), 0x12);
    EXPECT_EQ(im.at(0x399), 0x34);
    EXPECT_EQ(im.at(0x39A), 0x11);
}

TEST(ReadPll, DisplaysWordsSpacingAndFrequency) {
    PagerImage im;
    FrequencyState st{kBandRow130, 2, 0.0f, 0, 1, -1};
    SetFreqPLL(im, 15300000, kBandRow130, 12.5f, 2);
    im.set(0x397, 3);
    PllDisplay d = ReadPll(im, st);
    EXPECT_EQ(d.pllN, "5240");
    EXPECT_EQ(d.pllR, "1001");
    EXPECT_EQ(d.mutl, "2");
    EXPECT_EQ(d.channel, "12.5KHz");
    EXPECT_EQ(d.freqText, "15300000");
    EXPECT_FLOAT_EQ(st.spacingKHz, 12.5f);

    im.set(0x397, 9);  // unknown code keeps the spacing
    EXPECT_EQ(ReadPll(im, st).channel, "12.5KHz");
    im.set(0x397, 0);
    EXPECT_EQ(ReadPll(im, st).channel, "5KHz");
}

TEST(BandLimits, FromRowText) {
    EXPECT_EQ(BandLimitsForRow(kBandRow130).lo, 13000000);
    EXPECT_EQ(BandLimitsForRow(kBandRow130).hi, 18000000);
    EXPECT_EQ(FrequencyRangeMessage(kBandRow929),
              "Frequency setting error(92900000 < = Frequency < =93200000 )");
    EXPECT_EQ(FrequencyRangeMessage(kBandRowGp),
              "Frequency setting error(13000000 < = Frequency < =18000000 )");
}

struct Block {
    PagerImage image;
    FrequencyState state;
    RecordingDialogs dialogs;
    ProgramSettings settings;

    explicit Block(int band, ProgramSettings s = {}) : settings(s) {
        SelectBand(image, state, band, settings, dialogs);
        dialogs.Clear();
    }
};

TEST(BandSelection, WritesBandDefaults) {
    Block b130(kBandRow130);
    EXPECT_EQ(Word(b130.image, 0x39B), 0x00CDA0u);
    EXPECT_EQ(Word(b130.image, 0x398), 0x002801u);
    EXPECT_EQ(b130.image.at(0x397), 0);
    EXPECT_EQ(b130.image.GetBits(0x375, 4, 2), 3);
    EXPECT_EQ(b130.image.at(0x372), 2);
    EXPECT_EQ(b130.image.at(0x373), 0x11);
    EXPECT_EQ(b130.image.at(0x041), 0x60);
    EXPECT_EQ(b130.state.multiplier, 2);

    Block b380(kBandRow380);
    EXPECT_EQ(Word(b380.image, 0x39B), 0x011360u);
    EXPECT_EQ(Word(b380.image, 0x398), 0x001801u);
    EXPECT_EQ(b380.image.at(0x397), 3);

    Block b929(kBandRow929);
    EXPECT_EQ(Word(b929.image, 0x39B), 0x023882u);
    EXPECT_EQ(b929.image.GetBits(0x375, 4, 2), 1);
    EXPECT_EQ(b929.image.at(0x372), 5);
    EXPECT_EQ(b929.image.at(0x373), 0x1F);
    EXPECT_EQ(b929.state.multiplier, 5);

    Block gp(kBandRowGp);
    EXPECT_EQ(gp.image.at(0x041), 0x70);
    EXPECT_EQ(gp.image.at(0x3F8), 0xAA);
    EXPECT_EQ(Word(gp.image, 0x39B), 0x66D000u);
    EXPECT_EQ(gp.image.at(0x397), 6);
    EXPECT_EQ(gp.state.combo1Row, 0);
    EXPECT_EQ(ReadPll(gp.image, gp.state).freqText, "15300000");
}

TEST(BandSelection, Row0AfterGpMarksStandardSynthesiser) {
    Block b(kBandRowGp);
    ASSERT_EQ(b.image.at(0x3F8), 0xAA);
    SelectBand(b.image, b.state, kBandRow929, b.settings, b.dialogs);
    EXPECT_EQ(b.image.at(0x3F8), 0xFF);
}

TEST(BandSelection, AutoDefaultUsesSecondCopy) {
    ProgramSettings s;
    s.defaultSpacing380 = 2;
    PagerImage im;
    FrequencyState st;
    RecordingDialogs d;
    BandSelection sel = SelectBand(im, st, kBandRow380, s, d);
    ASSERT_TRUE(sel.selector);
    EXPECT_TRUE(sel.selector->secondCopy);
    EXPECT_EQ(sel.selector->row, 1);  // Auto becomes 12.5KHz at band selection
    EXPECT_EQ(im.at(0x397), 3);
}

TEST(FrequencyEntry, EdgeCases) {
    struct Case {
        int band;
        int spacingRow;  // cboChannel / Combo1 row chosen before the entry, -1 none
        const char* text;
        FrequencyEntry result;
        const char* message;  // "" for none
        int code;             // expected spacing code afterwards, -1 unchecked
    } cases[] = {
        {kBandRow130, 0, "15300500", FrequencyEntry::Accepted, "", 0},
        {kBandRow130, 1, "15300500", FrequencyEntry::Refused, kChannelSpacingError, 1},
        {kBandRow130, 2, "15300625", FrequencyEntry::Accepted, "", 1},
        {kBandRow130, 2, "15300500", FrequencyEntry::Accepted, "", 0},
        {kBandRow130, 2, "15300250", FrequencyEntry::Accepted, "", 6},
        {kBandRow130, 2, "15300010", FrequencyEntry::Refused, kChannelSpacingError, -1},
        {kBandRow380, 2, "46201250", FrequencyEntry::Accepted, "Channel Spacing =12.5KHz", 3},
        {kBandRow380, 2, "46201000", FrequencyEntry::Accepted, "Channel Spacing =10KHz", 2},
        {kBandRow929, -1, "93101250", FrequencyEntry::Accepted, "", 3},
        {kBandRow929, -1, "93101000", FrequencyEntry::Refused, kChannelSpacingError, 3},
        {kBandRow929, -1, "92899990", FrequencyEntry::Refused,
         "Frequency setting error(92900000 < = Frequency < =93200000 )", 3},
        {kBandRow130, 0, "13000000", FrequencyEntry::Accepted, "", 0},
        {kBandRow130, 0, "18000000", FrequencyEntry::Accepted, "", 0},
        {kBandRow130, 0, "18000005", FrequencyEntry::Refused,
         "Frequency setting error(13000000 < = Frequency < =18000000 )", 0},
        {kBandRow130, 0, "12999999", FrequencyEntry::Refused,
         "Frequency setting error(13000000 < = Frequency < =18000000 )", 0},
        {kBandRow130, 0, "153a", FrequencyEntry::NotNumeric, kNotDecimalNumeric, 0},
        {kBandRow130, 0, "", FrequencyEntry::Empty, "", 0},
        {kBandRowGp, 0, "15300500", FrequencyEntry::Accepted, "", 6},
        {kBandRowGp, 1, "15300625", FrequencyEntry::Accepted, "", 1},
        {kBandRowGp, 2, "15301250", FrequencyEntry::Accepted, "", 3},
        {kBandRowGp, 2, "15300250", FrequencyEntry::Accepted, "", 6},
        {kBandRowGp, 0, "15300250", FrequencyEntry::Refused, kChannelSpacingError, 6},
    };
    for (const auto& c : cases) {
        Block b(c.band);
        if (c.spacingRow >= 0) {
            if (c.band == kBandRowGp) {
                SelectGpSpacing(b.image, b.state, c.spacingRow, b.dialogs);
            } else {
                SelectStandardSpacing(b.image, b.state, c.spacingRow);
            }
        }
        b.dialogs.Clear();
        const PagerImage before = b.image;
        FrequencyEntry r = EnterFrequency(b.image, b.state, c.text, b.dialogs);
        SCOPED_TRACE(std::string("band ") + std::to_string(c.band) + " text " + c.text);
        EXPECT_EQ(r, c.result);
        if (*c.message) {
            ASSERT_EQ(b.dialogs.Texts().size(), 1u);
            EXPECT_EQ(b.dialogs.Texts()[0], c.message);
        } else {
            EXPECT_TRUE(b.dialogs.Texts().empty());
        }
        if (c.code >= 0) EXPECT_EQ(b.image.at(0x397), c.code);
        if (r == FrequencyEntry::Accepted) {
            // The GP box is rebuilt from the seven stored digits: the tens of hertz are lost.
            std::string back = c.text;
            if (c.band == kBandRowGp) back.back() = '0';
            EXPECT_EQ(ReadPll(b.image, b.state).freqText, back);
        } else if (r != FrequencyEntry::Refused || c.band != kBandRowGp) {
            for (int a = 0x390; a <= 0x39D; ++a) {
                if (a != 0x397) EXPECT_EQ(b.image.at(a), before.at(a)) << a;
            }
        }
    }
}

TEST(FrequencyEntry, AutoRowOneMessageHasOkOnly) {
    Block b(kBandRow380);
    SelectStandardSpacing(b.image, b.state, 2);
    EnterFrequency(b.image, b.state, "46201000", b.dialogs);
    ASSERT_EQ(b.dialogs.shown().size(), 1u);
    EXPECT_EQ(b.dialogs.shown()[0].buttons, DialogButtons::Ok);
    EXPECT_EQ(b.dialogs.shown()[0].icon, DialogIcon::None);
}

TEST(NumericValue, AcceptsWhatTheWindowAccepts) {
    EXPECT_EQ(NumericValue("15300000"), 15300000.0);
    EXPECT_EQ(NumericValue(" 42 "), 42.0);
    EXPECT_EQ(NumericValue("-5"), -5.0);
    EXPECT_EQ(NumericValue("1234.5"), 1234.5);
    EXPECT_EQ(NumericValue("1.5E7"), 15000000.0);
    for (const char* bad : {"", " ", "-", "12a4", "1.2.3", "e5", "1e", "0x10"}) {
        EXPECT_FALSE(NumericValue(bad)) << bad;
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

}  // namespace
}  // namespace kpx
