#pragma once

#include <array>
#include <optional>
#include <string>

#include "image/pager_image.h"

namespace kpx {

// The function table of capcodes 1-4: per function bit A-D a display code, an address type, an
// enable bit and a priority bit. The window's element numbering is used throughout: element 3
// is capcode 1, elements 0, 1, 2 are capcodes 2, 3, 4.
inline constexpr int kFunctionRows = 4;
inline constexpr int kFunctionBits = 4;

struct FunctionBases {
    int display;   // two bytes: A hi, B lo, C hi, D lo
    int type;      // four bytes, A to D
    int enable;    // bits 0-3 = A-D
    int priority;  // bits 7-4 = A-D
};
FunctionBases FunctionBasesFor(int element);  // throws out_of_range outside 0-3
// "#1" for element 3, "#2".."#4" for elements 0-2.
std::string CapcodeLabel(int element);

// Display codes 0-4; the tagged lists of capcodes 5 and 6 also have 5 "Disable".
inline constexpr std::array<const char*, 5> kDisplayRows = {"STD Numeric", "PRC Numeric", "Alpha",
                                                            "Ideo", "Tone Only"};
// Address types: 0 personal, 3-16 mail drops 1-9 and A-E (row + 2), 0xFF group.
inline constexpr std::array<const char*, 16> kAddressTypeRows = {
    "Personal",    "Mail Drop 1", "Mail Drop 2", "Mail Drop 3", "Mail Drop 4", "Mail Drop 5",
    "Mail Drop 6", "Mail Drop 7", "Mail Drop 8", "Mail Drop 9", "Mail Drop A", "Mail Drop B",
    "Mail Drop C", "Mail Drop D", "Mail Drop E", "Group"};
// The row of a type byte; nothing for a byte no row stands for (1, 2, 17-254), which a list
// then shows as no selection.
std::optional<int> AddressTypeRow(std::uint8_t type);
std::uint8_t AddressTypeCode(int row);

// What the editor shows and writes, function bit i = 0-3 (A-D).
int FunctionDisplay(const PagerImage& image, int element, int bit);
std::optional<int> FunctionTypeRow(const PagerImage& image, int element, int bit);
bool FunctionEnabled(const PagerImage& image, int element, int bit);
bool FunctionPriority(const PagerImage& image, int element, int bit);
void WriteFunctionDisplay(PagerImage& image, int element, int bit, int row);
void WriteFunctionType(PagerImage& image, int element, int bit, int row);
void WriteFunctionEnabled(PagerImage& image, int element, int bit, bool on);
void WriteFunctionPriority(PagerImage& image, int element, int bit, bool on);

// The four-letter summaries beside the capcodes, A to D. DisplaySummary first rewrites any
// display code above 4 as 2 ("Alpha").
std::string DisplaySummary(PagerImage& image, int element);
std::string TypeSummary(const PagerImage& image, int element);
std::string EnableSummary(const PagerImage& image, int element);
std::string PrioritySummary(const PagerImage& image, int element);

// Address types of capcodes 5 and 6 (index 0, 1) at 0x3AC + index. Their lists show row b - 2
// for any byte b that has one, so 2 shows "Personal" and 17 "Group", and the refresh then
// stores that row's code; bytes 1 and 18-254 show no row.
std::optional<int> SingleTypeRow(const PagerImage& image, int index);
void WriteSingleType(PagerImage& image, int index, int row);

}  // namespace kpx
