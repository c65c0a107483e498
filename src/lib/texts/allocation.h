#pragma once

#include <array>
#include <optional>

#include "image/pager_image.h"
#include "settings/alerts.h"
#include "support/user_dialogs.h"

namespace kpx {

// Message memory and history places shared by the personal address and the 14 mail drops.
// Memory is counted in sixteenths of a kilobyte (0x00A personal, 0x01E + d drop d), history in
// places + 1 (0x00F + d).
inline constexpr int kMemoryBudget = 432;  // 27 KB
inline constexpr int kHistoryBudget = 70;
inline constexpr int kPersonalMemoryList = 14;  // cboMem(14)
inline constexpr const char* kMemoryBudgetMessage =
    "The total amount of memory can not exceed 27KB!";
inline constexpr const char* kHistoryBudgetMessage =
    "The total amount of history can not exceed 70!";

struct CodedRow {
    const char* text;
    int code;
};
// Personal alert length at 0x0D0.
inline constexpr std::array<CodedRow, 5> kPersonalAlertRows = {
    {{"2 sec", 2}, {"8 sec", 8}, {"16 sec", 16}, {"32 sec", 32}, {"continuos", 255}}};
// A mail drop's alert: row 0 switches its alert bit off; rows 1-3 switch it on and store the
// length code at 0x0D1 + d.
inline constexpr std::array<CodedRow, 4> kMailAlertRows = {
    {{"Disable", 0}, {"Beep", 0}, {"1 sec", 1}, {"16 sec", 16}}};
inline constexpr std::array<const char*, 10> kHistoryRows = {"0", "1", "2", "3", "4",
                                                             "5", "6", "7", "8", "9"};
inline constexpr std::array<const char*, 6> kDropMemoryRows = {"0.5KB", "1.0KB", "1.5KB",
                                                               "2.0KB", "2.5KB", "3.0KB"};
inline constexpr std::array<const char*, 13> kPersonalMemoryRows = {
    "3KB",  "4KB",  "5KB",  "6KB",  "7KB",  "8KB", "9KB",
    "10KB", "11KB", "12KB", "13KB", "14KB", "15KB"};

// Rows of the stored values; nothing where no row stands for the byte (the list then shows no
// row, and nothing is rewritten until the user picks one).
std::optional<int> PersonalAlertRow(const PagerImage& image);
std::optional<int> MailAlertRow(const PagerImage& image, int drop);
std::optional<int> HistoryRow(const PagerImage& image, int drop);
std::optional<int> MemoryRow(const PagerImage& image, int list);  // list 0-13 drops, 14 personal

void WritePersonalAlert(PagerImage& image, int row);
void WriteMailAlert(PagerImage& image, int drop, int row);

int TotalHistory(const PagerImage& image);
int TotalMemory(const PagerImage& image);

// A history or memory pick under its budget. A pick that brings the total past the budget shows
// the budget's message (critical icon) and is cut to the largest row that fits beside the
// others. Only where not even the smallest row fits (an image from a file or a pager may
// already be over the budget) is a pick that does not raise the total taken as it is, so the
// image can be repaired; one that raises it is refused: the byte keeps its value and `row` is
// the row it stands for.
struct BudgetPick {
    std::optional<int> row;  // the row the list shows afterwards
    int total;               // the budget's total afterwards
    bool refused;
};
BudgetPick PickHistory(PagerImage& image, int drop, int row, UserDialogs& dialogs);
BudgetPick PickMemory(PagerImage& image, int list, int row, UserDialogs& dialogs);

}  // namespace kpx
