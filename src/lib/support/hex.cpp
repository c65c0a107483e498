#include "support/hex.h"

namespace kpx {

namespace {

char Digit(int value, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    return digits[value & 0x0F];
}

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator,
                     HexCase letters) {
    std::string text;
    for (std::uint8_t b : bytes) {
        if (!text.empty()) text += separator;
        text += Digit(b >> 4, letters);
        text += Digit(b, letters);
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const int high = HexDigitValue(text[i]);
        const int low = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        i += 2;
    }
    return bytes;
}

std::string HexNumber(std::uint32_t value, int width) {
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const int digit = static_cast<int>(value >> shift) & 0x0F;
        if (!text.empty() || digit != 0 || shift < 4 * width) text += Digit(digit, HexCase::Upper);
    }
    return text;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    return value;
}

}  // namespace kpx
