#include "settings/alerts.h"

#include <gtest/gtest.h>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

TEST(Alerts, LockoutBothWays) {
    struct Case {
        std::uint8_t before;
        int row;
        std::uint8_t after;
    } writes[] = {
        {0x09, 5, 0x0D},  // 240 seconds keeps bits 0-1
        {0x0D, 0, 0x01},  // disable keeps bits 0-1
        {0xF0, 1, 0xF8},  // tagged bits 4-7 untouched
        {0x07, 4, 0x0B}, {0x0C, 2, 0x09},
    };
    for (const Case& c : writes) {
        PagerImage im;
        im.set(0x3C, c.before);
        WriteLockoutRow(im, c.row);
        EXPECT_EQ(im.at(0x3C), c.after) << c.row;
    }
    const std::pair<std::uint8_t, int> reads[] = {{0x00, 0}, {0x03, 0}, {0x08, 1}, {0x0B, 4},
                                                  {0x04, 5}, {0x0E, 5}, {0xFA, 3}};
    for (auto [byte, row] : reads) {
        PagerImage im;
        im.set(0x3C, byte);
        EXPECT_EQ(LockoutRowFromImage(im), row) << int{byte};
    }
    PagerImage im;
    EXPECT_THROW(WriteLockoutRow(im, 6), std::out_of_range);
}

TEST(Alerts, OutOfServiceBothWays) {
    struct Case {
        std::uint8_t before;
        int row;
        std::uint8_t after;
    } writes[] = {
        {0x00, 3, 0x0C},  // 5 min: bit 3 and code 2 in bits 1-2
        {0x0E, 0, 0x06},  // disable keeps the code
        {0x10, 4, 0x1E},  // bit 4 (tagged) untouched
        {0xE1, 1, 0xE9},
    };
    for (const Case& c : writes) {
        PagerImage im;
        im.set(0x3D, c.before);
        WriteOutOfServiceRow(im, c.row);
        EXPECT_EQ(im.at(0x3D), c.after) << c.row;
    }
    const std::pair<std::uint8_t, int> reads[] = {{0x06, 0}, {0x08, 1}, {0x0E, 4}, {0x1C, 3}};
    for (auto [byte, row] : reads) {
        PagerImage im;
        im.set(0x3D, byte);
        EXPECT_EQ(OutOfServiceRowFromImage(im), row) << int{byte};
    }
}

TEST(Alerts, ToneRowsAndCodes) {
    // The refresh shows rows for codes the list never writes (3, 4 -> "Tone 1").
    const std::pair<std::uint8_t, int> reads[] = {{1, 0}, {4, 0},    {3, 0}, {5, 1},   {6, 2},
                                                  {7, 3}, {0x20, 4}, {0, 0}, {0xFF, 0}};
    for (auto [byte, row] : reads) {
        PagerImage im;
        im.set(0x0F7, byte);
        EXPECT_EQ(ToneRowFromImage(im), row) << int{byte};
    }
    const std::uint8_t codes[] = {1, 5, 6, 7, 0x20};
    for (int row = 0; row < 5; ++row) {
        PagerImage im;
        WriteToneRow(im, row);
        EXPECT_EQ(im.at(0x0F7), codes[row]);
        EXPECT_EQ(ToneRowFromImage(im), row);
    }
    EXPECT_STREQ(kToneRows[2], "Tone 3");
}

TEST(Alerts, BatteryLevelsCopyTheLowLevelAndWarnWhenOutOfOrder) {
    struct Case {
        int level;
        const char* text;
        bool warns;
        std::array<std::uint8_t, 4> bytes;  // 0x380-0x383 afterwards
    } cases[] = {
        {0, "1.34V", true, {134, 134, 129, 139}},
        {0, "1.29V", true, {129, 129, 129, 139}},  // equal levels fail as well
        {0, "1.00V", false, {100, 100, 129, 139}},
        {2, "1.58V", false, {119, 119, 129, 158}},
        {2, "1.29V", true, {119, 119, 129, 129}},
        {1, "1.43V", true, {119, 119, 143, 139}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PagerImage im;
        im.set(0x380, 0x55);  // a stale copy is rewritten
        im.set(0x381, 119), im.set(0x382, 129), im.set(0x383, 139);
        int row = -1;
        for (std::size_t r = 0; r < kBatteryRows.size(); ++r) {
            if (std::string_view(kBatteryRows[r].text) == c.text) row = static_cast<int>(r);
        }
        ASSERT_GE(row, 0);
        testing::RecordingDialogs d;
        SelectBatteryLevel(im, c.level, row, d);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(im.at(0x380 + i), c.bytes[static_cast<std::size_t>(i)]);
        if (c.warns) {
            ASSERT_EQ(d.shown().size(), 1u);
            EXPECT_EQ(d.shown()[0].text, kBatteryOrderWarning);
            EXPECT_EQ(d.shown()[0].icon, DialogIcon::Critical);
        } else {
            EXPECT_TRUE(d.shown().empty());
        }
    }
    PagerImage im;
    im.set(0x381, 120);  // no row carries 1.20 V
    im.set(0x382, 129);
    im.set(0x383, 100);
    EXPECT_EQ(BatteryRowFromImage(im, 0), std::nullopt);
    EXPECT_EQ(BatteryRowFromImage(im, 1), 6);
    EXPECT_EQ(BatteryRowFromImage(im, 2), 12);
}

TEST(Alerts, StatusTableCaptions) {
    PagerImage im;
    im.set(0x0D0, 0xFF);
    im.set(0x037, 0b1010'0000);  // drops 1 and 3 on
    im.set(0x038, 0b0000'0100);  // drop E (13) on
    im.set(0x0D1 + 0, 0);
    im.set(0x0D1 + 1, 16);  // drop 2 is off: "--" whatever it holds
    im.set(0x0D1 + 2, 1);
    im.set(0x0D1 + 13, 7);  // no caption for 7: the label keeps its own
    for (int n = 0; n < kMailDrops; ++n) {
        im.set(0x00F + n, static_cast<std::uint8_t>(n + 1));
        im.set(0x01E + n, static_cast<std::uint8_t>(8 * (n % 6 + 1)));
    }
    im.set(0x00F + 5, 0);   // a foreign history byte of 0
    im.set(0x01E + 7, 12);  // 0.75 KB, rounded half up
    im.set(0x00A, 240);
    const StatusTable t = ReadStatusTable(im);
    EXPECT_EQ(t.length[0], "CT");
    EXPECT_EQ(t.length[1], "BP");
    EXPECT_EQ(t.length[2], "--");
    EXPECT_EQ(t.length[3], "01");
    EXPECT_EQ(t.length[4], "--");
    EXPECT_EQ(t.length[14], std::nullopt);
    EXPECT_EQ(t.history[0], std::nullopt);  // the PG row keeps its design caption
    EXPECT_EQ(t.history[1], "00");
    EXPECT_EQ(t.history[10], "09");
    EXPECT_EQ(t.history[14], "13");
    EXPECT_EQ(t.history[6], "-01");
    EXPECT_EQ(t.memory[1], "0.5");
    EXPECT_EQ(t.memory[6], "3.0");
    EXPECT_EQ(t.memory[8], "0.8");
    EXPECT_EQ(t.memory[0], "15");

    const std::pair<std::uint8_t, const char*> personal[] = {
        {2, "02"}, {8, "08"}, {16, "16"}, {32, "32"}};
    for (auto [code, text] : personal) {
        im.set(0x0D0, code);
        EXPECT_EQ(ReadStatusTable(im).length[0], text);
    }
    im.set(0x0D0, 3);
    EXPECT_EQ(ReadStatusTable(im).length[0], std::nullopt);
    im.set(0x00A, 48);
    EXPECT_EQ(ReadStatusTable(im).memory[0], "03");
}

TEST(Alerts, MailDropAlertBits) {
    PagerImage im;
    SetMailDropAlert(im, 0, true);
    SetMailDropAlert(im, 10, true);  // drop B: 0x038 bit 5
    EXPECT_EQ(im.at(0x037), 0x80);
    EXPECT_EQ(im.at(0x038), 0x20);
    EXPECT_TRUE(MailDropAlertOn(im, 10));
    SetMailDropAlert(im, 10, false);
    EXPECT_EQ(im.at(0x038), 0x00);
    EXPECT_THROW(MailDropAlertOn(im, 14), std::out_of_range);
}

}  // namespace
}  // namespace kpx
