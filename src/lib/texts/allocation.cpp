#include "texts/allocation.h"

#include <stdexcept>

namespace kpx {

namespace {

void CheckDrop(int drop) {
    if (drop < 0 || drop >= kMailDrops) throw std::out_of_range("mail drop");
}

void CheckRow(int row, std::size_t rows) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows) throw std::out_of_range("list row");
}

int MemoryAddress(int list) {
    if (list == kPersonalMemoryList) return 0x00A;
    CheckDrop(list);
    return 0x01E + list;
}

int DropMemory(int row) {
    return 8 * (row + 1);
}
int PersonalMemory(int row) {
    return 48 + 16 * row;
}

}  // namespace

std::optional<int> PersonalAlertRow(const PagerImage& image) {
    for (std::size_t r = 0; r < kPersonalAlertRows.size(); ++r) {
        if (kPersonalAlertRows[r].code == image.at(0x0D0)) return static_cast<int>(r);
    }
    return std::nullopt;
}

std::optional<int> MailAlertRow(const PagerImage& image, int drop) {
    if (!MailDropAlertOn(image, drop)) return 0;
    for (std::size_t r = 1; r < kMailAlertRows.size(); ++r) {
        if (kMailAlertRows[r].code == image.at(0x0D1 + drop)) return static_cast<int>(r);
    }
    return std::nullopt;
}

std::optional<int> HistoryRow(const PagerImage& image, int drop) {
    CheckDrop(drop);
    const int row = image.at(0x00F + drop) - 1;
    if (row < 0 || row >= static_cast<int>(kHistoryRows.size())) return std::nullopt;
    return row;
}

std::optional<int> MemoryRow(const PagerImage& image, int list) {
    const int v = image.at(MemoryAddress(list));
    if (list == kPersonalMemoryList) {
        if (v < 48 || v > 240 || v % 16 != 0) return std::nullopt;
        return (v - 48) / 16;
    }
    if (v < 8 || v > 48 || v % 8 != 0) return std::nullopt;
    return v / 8 - 1;
}

void WritePersonalAlert(PagerImage& image, int row) {
    CheckRow(row, kPersonalAlertRows.size());
    image.set(0x0D0,
              static_cast<std::uint8_t>(kPersonalAlertRows[static_cast<std::size_t>(row)].code));
}

void WriteMailAlert(PagerImage& image, int drop, int row) {
    CheckDrop(drop);
    CheckRow(row, kMailAlertRows.size());
    SetMailDropAlert(image, drop, row != 0);
    if (row != 0) {
        image.set(0x0D1 + drop,
                  static_cast<std::uint8_t>(kMailAlertRows[static_cast<std::size_t>(row)].code));
    }
}

int TotalHistory(const PagerImage& image) {
    int h = 0;
    for (int d = 0; d < kMailDrops; ++d) h += image.at(0x00F + d);
    return h;
}

int TotalMemory(const PagerImage& image) {
    int m = image.at(0x00A);
    for (int d = 0; d < kMailDrops; ++d) m += image.at(0x01E + d);
    return m;
}

BudgetPick PickHistory(PagerImage& image, int drop, int row, UserDialogs& dialogs) {
    CheckDrop(drop);
    CheckRow(row, kHistoryRows.size());
    const int own = image.at(0x00F + drop);
    const int others = TotalHistory(image) - own;
    if (row + 1 + others > kHistoryBudget) {
        const int fits = kHistoryBudget - 1 - others;
        if (fits >= 0) {
            dialogs.Message(kHistoryBudgetMessage, DialogButtons::Ok, DialogIcon::Critical);
            row = fits;
        } else if (row + 1 > own) {
            // Not even "0" fits: only a pick that brings the total down may be stored.
            dialogs.Message(kHistoryBudgetMessage, DialogButtons::Ok, DialogIcon::Critical);
            return {HistoryRow(image, drop), TotalHistory(image), true};
        }
    }
    image.set(0x00F + drop, static_cast<std::uint8_t>(row + 1));
    return {row, row + 1 + others, false};
}

BudgetPick PickMemory(PagerImage& image, int list, int row, UserDialogs& dialogs) {
    const int a = MemoryAddress(list);
    const bool personal = list == kPersonalMemoryList;
    CheckRow(row, personal ? kPersonalMemoryRows.size() : kDropMemoryRows.size());
    const int others = TotalMemory(image) - image.at(a);
    const int wanted = personal ? PersonalMemory(row) : DropMemory(row);
    if (wanted + others > kMemoryBudget) {
        const int room = kMemoryBudget - others;
        if (room >= (personal ? PersonalMemory(0) : DropMemory(0))) {
            dialogs.Message(kMemoryBudgetMessage, DialogButtons::Ok, DialogIcon::Critical);
            row = personal ? (room - PersonalMemory(0)) / 16 : room / 8 - 1;
        } else if (wanted > image.at(a)) {
            // Not even the smallest row fits: only a pick that brings the total down may be
            // stored.
            dialogs.Message(kMemoryBudgetMessage, DialogButtons::Ok, DialogIcon::Critical);
            return {MemoryRow(image, list), TotalMemory(image), true};
        }
    }
    const int value = personal ? PersonalMemory(row) : DropMemory(row);
    image.set(a, static_cast<std::uint8_t>(value));
    return {row, value + others, false};
}

}  // namespace kpx
