#include "settings/function_table.h"

#include <stdexcept>

#include "support/gcc_string_warnings.h"
#include "support/hex.h"

namespace kpx {

namespace {

void CheckBit(int bit) {
    if (bit < 0 || bit >= kFunctionBits) throw std::out_of_range("function bit");
}

int SingleTypeAddress(int index) {
    if (index < 0 || index > 1) throw std::out_of_range("capcode 5/6 index");
    return 0x3AC + index;
}

char DisplayLetter(int code) {
    static constexpr char kLetters[] = {'N', 'P', 'A', 'I', 'T'};
    return code >= 0 && code <= 4 ? kLetters[code] : '-';
}

// The type letter: P, G, or the upper-case hexadecimal of b - 2, which is 16 bits wide for
// the negative case (byte 1 shows FFFF).
std::string TypeLetters(int b) {
    if (b == 0) return "P";
    if (b == 0xFF) return "G";
    return HexNumber(static_cast<std::uint32_t>(b - 2) & 0xFFFFu);
}

}  // namespace

FunctionBases FunctionBasesFor(int element) {
    if (element < 0 || element >= kFunctionRows) throw std::out_of_range("function element");
    if (element == 3) return {0x0EE, 0x35C, 0x0ED, 0x38F};
    return {0x02F + 2 * element, 0x3A0 + 4 * element, 0x38C + element, 0x38C + element};
}

std::string CapcodeLabel(int element) {
    FunctionBasesFor(element);
    KPX_GCC_STRING_FALSE_POSITIVE_BEGIN
    return "#" + std::to_string(element == 3 ? 1 : element + 2);
    KPX_GCC_STRING_FALSE_POSITIVE_END
}

std::optional<int> AddressTypeRow(std::uint8_t type) {
    if (type == 0) return 0;
    if (type == 0xFF) return 15;
    if (type >= 3 && type <= 16) return type - 2;
    return std::nullopt;
}

std::uint8_t AddressTypeCode(int row) {
    if (row < 0 || row > 15) throw std::out_of_range("address type row");
    if (row == 0) return 0;
    if (row == 15) return 0xFF;
    return static_cast<std::uint8_t>(row + 2);
}

int FunctionDisplay(const PagerImage& image, int element, int bit) {
    CheckBit(bit);
    return image.GetBits(FunctionBasesFor(element).display + bit / 2, bit % 2 ? 0 : 4, 4);
}

std::optional<int> FunctionTypeRow(const PagerImage& image, int element, int bit) {
    CheckBit(bit);
    return AddressTypeRow(image.at(FunctionBasesFor(element).type + bit));
}

bool FunctionEnabled(const PagerImage& image, int element, int bit) {
    CheckBit(bit);
    return image.GetBits(FunctionBasesFor(element).enable, bit, 1) != 0;
}

bool FunctionPriority(const PagerImage& image, int element, int bit) {
    CheckBit(bit);
    return image.GetBits(FunctionBasesFor(element).priority, 7 - bit, 1) != 0;
}

void WriteFunctionDisplay(PagerImage& image, int element, int bit, int row) {
    CheckBit(bit);
    if (row < 0 || row >= static_cast<int>(kDisplayRows.size())) {
        throw std::out_of_range("display row");
    }
    image.SetBits(FunctionBasesFor(element).display + bit / 2, bit % 2 ? 0 : 4,
                  static_cast<std::uint8_t>(row), 4);
}

void WriteFunctionType(PagerImage& image, int element, int bit, int row) {
    CheckBit(bit);
    image.set(FunctionBasesFor(element).type + bit, AddressTypeCode(row));
}

void WriteFunctionEnabled(PagerImage& image, int element, int bit, bool on) {
    CheckBit(bit);
    image.SetBits(FunctionBasesFor(element).enable, bit, on ? 1 : 0, 1);
}

void WriteFunctionPriority(PagerImage& image, int element, int bit, bool on) {
    CheckBit(bit);
    image.SetBits(FunctionBasesFor(element).priority, 7 - bit, on ? 1 : 0, 1);
}

std::string DisplaySummary(PagerImage& image, int element) {
    const int d = FunctionBasesFor(element).display;
    std::string s;
    for (int bit = 0; bit < kFunctionBits; ++bit) {
        const int first = bit % 2 ? 0 : 4;
        if (image.GetBits(d + bit / 2, first, 4) > 4) image.SetBits(d + bit / 2, first, 2, 4);
        s += DisplayLetter(image.GetBits(d + bit / 2, first, 4));
    }
    return s;
}

std::string TypeSummary(const PagerImage& image, int element) {
    const int t = FunctionBasesFor(element).type;
    std::string s;
    for (int bit = 0; bit < kFunctionBits; ++bit) s += TypeLetters(image.at(t + bit));
    return s;
}

std::string EnableSummary(const PagerImage& image, int element) {
    std::string s;
    for (int bit = 0; bit < kFunctionBits; ++bit)
        s += FunctionEnabled(image, element, bit) ? 'v' : '-';
    return s;
}

std::string PrioritySummary(const PagerImage& image, int element) {
    std::string s;
    for (int bit = 0; bit < kFunctionBits; ++bit) {
        s += FunctionPriority(image, element, bit) ? 'v' : '-';
    }
    return s;
}

std::optional<int> SingleTypeRow(const PagerImage& image, int index) {
    const int type = image.at(SingleTypeAddress(index));
    if (type == 0xFF) return 15;
    if (type == 0) return 0;
    if (type - 2 >= 0 && type - 2 <= 15) return type - 2;
    return std::nullopt;
}

void WriteSingleType(PagerImage& image, int index, int row) {
    image.set(SingleTypeAddress(index), AddressTypeCode(row));
}

}  // namespace kpx
