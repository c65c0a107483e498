#include "settings/alerts.h"

#include <cstdio>
#include <stdexcept>

namespace kpx {

namespace {

void CheckRow(int row, std::size_t rows, const char* what) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows) throw std::out_of_range(what);
}

std::uint8_t U8(int v) {
    return static_cast<std::uint8_t>(v);
}

// A count with at least two digits, sign first ("-01" as the window's number format gives it).
std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, v < 0 ? "-%02d" : "%02d", v < 0 ? -v : v);
    return buf;
}

}  // namespace

int LockoutRowFromImage(const PagerImage& image) {
    if (image.GetBits(0x3C, 2, 1)) return 5;
    if (image.GetBits(0x3C, 3, 1)) return image.GetBits(0x3C, 0, 2) + 1;
    return 0;
}

void WriteLockoutRow(PagerImage& image, int row) {
    CheckRow(row, kLockoutRows.size(), "lockout row");
    image.SetBits(0x3C, 2, row == 5 ? 1 : 0, 1);
    image.SetBits(0x3C, 3, row == 0 ? 0 : 1, 1);
    if (row >= 1 && row <= 4) image.SetBits(0x3C, 0, U8(row - 1), 2);
}

int OutOfServiceRowFromImage(const PagerImage& image) {
    if (image.GetBits(0x3D, 3, 1)) return image.GetBits(0x3D, 1, 2) + 1;
    return 0;
}

void WriteOutOfServiceRow(PagerImage& image, int row) {
    CheckRow(row, kOutOfServiceRows.size(), "out-of-service row");
    image.SetBits(0x3D, 3, row == 0 ? 0 : 1, 1);
    if (row > 0) image.SetBits(0x3D, 1, U8(row - 1), 2);
}

std::optional<int> BatteryRowFromImage(const PagerImage& image, int level) {
    CheckRow(level, kBatteryLevels, "battery level");
    const int stored = image.at(0x381 + level);
    for (std::size_t r = 0; r < kBatteryRows.size(); ++r) {
        if (kBatteryRows[r].value == stored) return static_cast<int>(r);
    }
    return std::nullopt;
}

bool BatteryLevelsInOrder(const PagerImage& image) {
    return image.at(0x381) < image.at(0x382) && image.at(0x382) < image.at(0x383);
}

void SelectBatteryLevel(PagerImage& image, int level, int row, UserDialogs& dialogs) {
    CheckRow(level, kBatteryLevels, "battery level");
    CheckRow(row, kBatteryRows.size(), "battery row");
    image.set(0x381 + level, U8(kBatteryRows[static_cast<std::size_t>(row)].value));
    image.set(0x380, image.at(0x381));
    if (!BatteryLevelsInOrder(image)) {
        dialogs.Message(kBatteryOrderWarning, DialogButtons::Ok, DialogIcon::Critical);
    }
}

bool MailDropAlertOn(const PagerImage& image, int drop) {
    CheckRow(drop, kMailDrops, "mail drop");
    return image.GetBits(0x37 + drop / 8, 7 - drop % 8, 1) != 0;
}

void SetMailDropAlert(PagerImage& image, int drop, bool on) {
    CheckRow(drop, kMailDrops, "mail drop");
    image.SetBits(0x37 + drop / 8, 7 - drop % 8, on ? 1 : 0, 1);
}

StatusTable ReadStatusTable(const PagerImage& image) {
    StatusTable t;
    switch (image.at(0x0D0)) {
        case 2:
            t.length[0] = "02";
            break;
        case 8:
            t.length[0] = "08";
            break;
        case 16:
            t.length[0] = "16";
            break;
        case 32:
            t.length[0] = "32";
            break;
        case 255:
            t.length[0] = "CT";
            break;
        default:
            break;
    }
    for (int n = 0; n < kMailDrops; ++n) {
        auto& length = t.length[static_cast<std::size_t>(n + 1)];
        if (!MailDropAlertOn(image, n)) {
            length = "--";
        } else {
            switch (image.at(0x0D1 + n)) {
                case 0:
                    length = "BP";
                    break;
                case 1:
                    length = "01";
                    break;
                case 16:
                    length = "16";
                    break;
                default:
                    break;
            }
        }
        t.history[static_cast<std::size_t>(n + 1)] = TwoDigits(image.at(0x00F + n) - 1);
        // Sixteenths of a kilobyte with one decimal, halves rounded up.
        const int tenths = (image.at(0x01E + n) * 10 + 8) / 16;
        t.memory[static_cast<std::size_t>(n + 1)] =
            std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    }
    t.memory[0] = TwoDigits((image.at(0x00A) + 8) / 16);
    return t;
}

}  // namespace kpx
