#pragma once

#include <array>
#include <optional>
#include <string>

#include "image/pager_image.h"
#include "settings/panel_fields.h"
#include "support/user_dialogs.h"

namespace kpx {

// The alert tone at 0x0F7 is read and written by ToneRowFromImage / WriteToneRow; its rows:
inline constexpr std::array<const char*, 5> kToneRows = {"Tone 1", "Tone 2", "Tone 3", "Tone 4",
                                                         "Vibration"};

// Sequential lockout, 0x03C bits 0-3: bit 3 on, bit 2 "240 seconds" (over bits 0-1), bits 0-1
// the time code. Bits 4-7 belong to tagged options and are never touched here.
inline constexpr std::array<const char*, 6> kLockoutRows = {
    "disable", "30 seconds", "60 seconds", "120 seconds", "175 seconds", "240 seconds"};
int LockoutRowFromImage(const PagerImage& image);
void WriteLockoutRow(PagerImage& image, int row);

// Out-of-service reminder, 0x03D bit 3 on and bits 1-2 the time code; bit 4 is a tagged option.
inline constexpr std::array<const char*, 5> kOutOfServiceRows = {"Disable", "1 min", "2 min",
                                                                 "5 min", "10 min"};
int OutOfServiceRowFromImage(const PagerImage& image);
void WriteOutOfServiceRow(PagerImage& image, int row);

// Battery gauge levels in hundredths of a volt: 0x381 low, 0x382 medium, 0x383 high, and 0x380
// a copy of the low level. The three lists cboBatLev(0..2) share these rows.
struct BatteryRow {
    const char* text;
    int value;
};
inline constexpr int kBatteryLevels = 3;
inline constexpr std::array<BatteryRow, 13> kBatteryRows = {{{"1.58V", 158},
                                                             {"1.53V", 153},
                                                             {"1.48V", 148},
                                                             {"1.43V", 143},
                                                             {"1.39V", 139},
                                                             {"1.34V", 134},
                                                             {"1.29V", 129},
                                                             {"1.24V", 124},
                                                             {"1.19V", 119},
                                                             {"1.14V", 114},
                                                             {"1.09V", 109},
                                                             {"1.05V", 105},
                                                             {"1.00V", 100}}};
inline constexpr const char* kBatteryOrderWarning =
    "Waring ! You must let ( Level-High > Level-Med > Level-Low ).";
// The first row carrying the stored level of list `level` (0 low, 1 med, 2 high); nothing for
// a level no row carries (the list then keeps its row).
std::optional<int> BatteryRowFromImage(const PagerImage& image, int level);
// High above medium above low: otherwise a pick warns (and keeps its value).
bool BatteryLevelsInOrder(const PagerImage& image);
// Stores the row's level and the 0x380 copy; warns (critical icon) when the levels are out of
// order afterwards, but keeps the value.
void SelectBatteryLevel(PagerImage& image, int level, int row, UserDialogs& dialogs);

// Mail drop d (0-13, drops 1-9 and A-E) has its alert on: 0x037 bit 7-d, 0x038 bit 15-d.
inline constexpr int kMailDrops = 14;
bool MailDropAlertOn(const PagerImage& image, int drop);
void SetMailDropAlert(PagerImage& image, int drop, bool on);

// The message status table: element 0 is the personal row "PG", element n + 1 mail drop n.
// A length caption the table has no text for is nothing: the label keeps its caption, and so
// does history element 0.
struct StatusTable {
    std::array<std::optional<std::string>, kMailDrops + 1> length;
    std::array<std::optional<std::string>, kMailDrops + 1> history;
    std::array<std::string, kMailDrops + 1> memory;
};
StatusTable ReadStatusTable(const PagerImage& image);

}  // namespace kpx
