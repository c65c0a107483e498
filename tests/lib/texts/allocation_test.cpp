#include "texts/allocation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

// Every drop at 0.5 KB and 1 history place, personal memory as given.
PagerImage Even(int personal = 240) {
    PagerImage im;
    im.set(0x00A, static_cast<std::uint8_t>(personal));
    for (int d = 0; d < kMailDrops; ++d) {
        im.set(0x01E + d, 8);
        im.set(0x00F + d, 2);
    }
    return im;
}

void ExpectMessage(const testing::RecordingDialogs& d, const char* text) {
    if (!text) {
        EXPECT_TRUE(d.shown().empty());
        return;
    }
    ASSERT_EQ(d.shown().size(), 1u);
    EXPECT_EQ(d.shown()[0].text, text);
    EXPECT_EQ(d.shown()[0].icon, DialogIcon::Critical);
}

TEST(Allocation, MemoryBudgetUpToTheExactBoundary) {
    PagerImage im = Even();
    EXPECT_EQ(TotalMemory(im), 352);
    struct Step {
        int list, row;
        int storedRow, total;
        const char* message;
    } steps[] = {
        {0, 5, 5, 392, nullptr},               // drop 1 3.0KB
        {1, 5, 5, 432, nullptr},               // drop 2 3.0KB: exactly 27 KB
        {2, 5, 0, 432, kMemoryBudgetMessage},  // drop 3 would make 472: back to 0.5KB
        {2, 0, 0, 432, nullptr},
        {kPersonalMemoryList, 12, 12, 432, nullptr},
        {1, 0, 0, 392, nullptr},
        {kPersonalMemoryList, 12, 12, 392, nullptr},
        {0, 0, 0, 352, nullptr},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.list) + "/" + std::to_string(s.row));
        testing::RecordingDialogs d;
        const BudgetPick pick = PickMemory(im, s.list, s.row, d);
        EXPECT_FALSE(pick.refused);
        EXPECT_EQ(pick.row, s.storedRow);
        EXPECT_EQ(pick.total, s.total);
        EXPECT_EQ(TotalMemory(im), s.total);
        EXPECT_EQ(MemoryRow(im, s.list), s.storedRow);
        ExpectMessage(d, s.message);
    }
}

TEST(Allocation, PersonalMemoryIsCorrectedToWhatFits) {
    PagerImage im = Even(48);
    for (int d = 0; d < 5; ++d) im.set(0x01E + d, 48);  // 5 x 48 + 9 x 8 = 312 for the drops
    testing::RecordingDialogs d;
    const BudgetPick pick = PickMemory(im, kPersonalMemoryList, 12, d);  // 15KB: 552
    ExpectMessage(d, kMemoryBudgetMessage);
    EXPECT_EQ(pick.row, (384 - 312) / 16);  // 4 -> 7KB, 112 units
    EXPECT_EQ(im.at(0x00A), 112);
    EXPECT_EQ(pick.total, 424);
}

// Wherever the lowest row still fits beside the others, a pick past the budget is cut to the
// largest row that fits, whether or not it lowers a byte that was already over.
TEST(Allocation, PicksPastTheBudgetAreCutWhereTheLowestRowFits) {
    struct Case {
        const char* what;
        bool history;
        int list;
        int own;     // the list's byte before the pick
        int others;  // spread over the other users
        int row;
        int stored;
    } cases[] = {
        {"history 8 from 10 beside 65", true, 0, 10, 65, 8, 5},
        {"history 3 from 10 beside 69", true, 0, 10, 69, 3, 1},
        {"drop 3.0KB from 120 beside 400", false, 0, 120, 400, 5, 32},
        {"drop 1.0KB from 120 beside 424", false, 0, 120, 424, 1, 8},
        {"personal 15KB from 250 beside 300", false, kPersonalMemoryList, 250, 300, 12, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PagerImage im;
        const int first = c.history ? 0x00F : 0x01E;
        int rest = c.others;
        if (!c.history && c.list != kPersonalMemoryList) {
            im.set(0x00A, 240);
            rest -= 240;
        }
        for (int d = 0; d < kMailDrops; ++d) {
            if (c.list == d) continue;
            const int share = std::min(rest, c.history ? 10 : 48);
            im.set(first + d, static_cast<std::uint8_t>(share));
            rest -= share;
        }
        ASSERT_EQ(rest, 0);
        const int address = c.history ? 0x00F + c.list
                            : c.list == kPersonalMemoryList ? 0x00A
                                                            : 0x01E + c.list;
        im.set(address, static_cast<std::uint8_t>(c.own));
        testing::RecordingDialogs d;
        const BudgetPick pick =
            c.history ? PickHistory(im, c.list, c.row, d) : PickMemory(im, c.list, c.row, d);
        ExpectMessage(d, c.history ? kHistoryBudgetMessage : kMemoryBudgetMessage);
        EXPECT_FALSE(pick.refused);
        EXPECT_EQ(im.at(address), c.stored);
        EXPECT_EQ(pick.total, c.others + c.stored);
        EXPECT_EQ(pick.total, c.history ? TotalHistory(im) : TotalMemory(im));
    }
}

TEST(Allocation, OverBudgetImagesTakeEveryPickThatDoesNotRaiseTheTotal) {
    struct Case {
        const char* what;
        int list;
        int drops;     // memory of every drop
        int personal;  // memory of the personal address
        int lastTwo;   // memory of drops D and E, when it differs
        int row;
        bool refused;
        int stored;  // the list's byte afterwards
    } cases[] = {
        // The others hold 13 x 32 + 240 = 656; 0.5KB, the same 2.0KB and a smaller 1.5KB are
        // taken, a larger 2.5KB has no row that fits.
        {"drop down to 0.5KB", 3, 32, 240, 32, 0, false, 8},
        {"drop kept at 2.0KB", 3, 32, 240, 32, 3, false, 32},
        {"drop down to 1.5KB", 3, 32, 240, 32, 2, false, 24},
        {"drop up to 2.5KB", 3, 32, 240, 32, 4, true, 32},
        // The others hold 428: the drop's foreign 6 units go up to 0.5KB, which does not fit.
        {"drop at the edge up", 13, 16, 240, 6, 0, true, 6},
        // The drops alone hold 14 x 30 = 420: personal 3KB lowers the foreign 64 and is taken;
        // from a foreign 32, 3KB raises the total and nothing fits.
        {"personal down to 3KB", kPersonalMemoryList, 30, 64, 30, 0, false, 48},
        {"personal up to 3KB", kPersonalMemoryList, 30, 32, 30, 0, true, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PagerImage im;
        for (int d = 0; d < kMailDrops; ++d) {
            im.set(0x01E + d, static_cast<std::uint8_t>(d >= 12 ? c.lastTwo : c.drops));
        }
        im.set(0x00A, static_cast<std::uint8_t>(c.personal));
        const int address = c.list == kPersonalMemoryList ? 0x00A : 0x01E + c.list;
        const int totalBefore = TotalMemory(im);
        testing::RecordingDialogs d;
        const BudgetPick pick = PickMemory(im, c.list, c.row, d);
        ExpectMessage(d, c.refused ? kMemoryBudgetMessage : nullptr);
        EXPECT_EQ(pick.refused, c.refused);
        EXPECT_EQ(im.at(address), c.stored);
        EXPECT_EQ(pick.row, MemoryRow(im, c.list));
        EXPECT_EQ(pick.total, TotalMemory(im));
        EXPECT_LE(pick.total, totalBefore);
    }

    // Every history byte at 10 (140 places): every row is taken, "0" included.
    PagerImage im;
    for (int d = 0; d < kMailDrops; ++d) im.set(0x00F + d, 10);
    for (int row = 9; row >= 0; --row) {
        testing::RecordingDialogs d;
        const BudgetPick pick = PickHistory(im, 0, row, d);
        ExpectMessage(d, nullptr);
        EXPECT_FALSE(pick.refused);
        EXPECT_EQ(im.at(0x00F), row + 1);
        EXPECT_EQ(pick.total, 130 + row + 1);
    }
    // Back up from "0" raises the total past 70: refused, the byte stays.
    testing::RecordingDialogs d;
    const BudgetPick up = PickHistory(im, 0, 1, d);
    ExpectMessage(d, kHistoryBudgetMessage);
    EXPECT_TRUE(up.refused);
    EXPECT_EQ(im.at(0x00F), 1);
}

TEST(Allocation, HistoryBudget) {
    PagerImage im = Even();
    // Other drops' history sums to 65: drop 1 picks "9" (stored 10) and gets "4" (stored 5).
    for (int d = 1; d < kMailDrops; ++d) im.set(0x00F + d, 5);
    ASSERT_EQ(TotalHistory(im) - im.at(0x00F), 65);
    testing::RecordingDialogs d;
    BudgetPick pick = PickHistory(im, 0, 9, d);
    ExpectMessage(d, kHistoryBudgetMessage);
    EXPECT_EQ(pick.row, 4);
    EXPECT_EQ(im.at(0x00F), 5);
    EXPECT_EQ(pick.total, 70);

    testing::RecordingDialogs quiet;
    pick = PickHistory(im, 0, 3, quiet);
    ExpectMessage(quiet, nullptr);
    EXPECT_EQ(im.at(0x00F), 4);
    EXPECT_EQ(pick.total, 69);

    // Others already at 70: the pick is refused and the old byte stays.
    for (int k = 1; k < kMailDrops; ++k) im.set(0x00F + k, k == 1 ? 10 : 5);  // 10 + 12 x 5
    im.set(0x00F, 0);  // a foreign 0 shows no row
    testing::RecordingDialogs refused;
    pick = PickHistory(im, 0, 0, refused);
    ExpectMessage(refused, kHistoryBudgetMessage);
    EXPECT_TRUE(pick.refused);
    EXPECT_EQ(im.at(0x00F), 0);
    EXPECT_EQ(pick.row, std::nullopt);
    EXPECT_EQ(pick.total, 70);
}

TEST(Allocation, AlertListsBothWays) {
    PagerImage im;
    im.set(0x0DB, 16);
    WriteMailAlert(im, 10, 0);  // drop B off: bit 5 of 0x038 cleared, its length kept
    EXPECT_EQ(im.at(0x038), 0x00);
    EXPECT_EQ(im.at(0x0DB), 16);
    EXPECT_EQ(MailAlertRow(im, 10), 0);
    const std::uint8_t codes[] = {0, 0, 1, 16};
    for (int row = 1; row < 4; ++row) {
        WriteMailAlert(im, 10, row);
        EXPECT_EQ(im.at(0x038), 0x20);
        EXPECT_EQ(im.at(0x0DB), codes[row]);
        EXPECT_EQ(MailAlertRow(im, 10), row);
    }
    im.set(0x0DB, 7);
    EXPECT_EQ(MailAlertRow(im, 10), std::nullopt);

    WritePersonalAlert(im, 4);
    EXPECT_EQ(im.at(0x0D0), 255);  // "continuos"
    EXPECT_EQ(PersonalAlertRow(im), 4);
    im.set(0x0D0, 3);
    EXPECT_EQ(PersonalAlertRow(im), std::nullopt);
}

TEST(Allocation, RowsOfStoredValues) {
    struct Case {
        int list;
        std::uint8_t byte;
        std::optional<int> row;
    } memory[] = {{0, 8, 0},
                  {0, 48, 5},
                  {0, 12, std::nullopt},
                  {0, 0, std::nullopt},
                  {0, 56, std::nullopt},
                  {kPersonalMemoryList, 48, 0},
                  {kPersonalMemoryList, 240, 12},
                  {kPersonalMemoryList, 56, std::nullopt},
                  {kPersonalMemoryList, 32, std::nullopt}};
    for (const Case& c : memory) {
        PagerImage im;
        im.set(c.list == kPersonalMemoryList ? 0x00A : 0x01E + c.list, c.byte);
        EXPECT_EQ(MemoryRow(im, c.list), c.row) << c.list << "/" << int{c.byte};
    }
    PagerImage im;
    im.set(0x00F + 4, 0);
    EXPECT_EQ(HistoryRow(im, 4), std::nullopt);  // a history byte of 0 shows no row
    im.set(0x00F + 4, 1);
    EXPECT_EQ(HistoryRow(im, 4), 0);
    im.set(0x00F + 4, 11);
    EXPECT_EQ(HistoryRow(im, 4), std::nullopt);
}

}  // namespace
}  // namespace kpx
