#pragma once

// Hexadecimal texts: bytes as digit pairs ("00 1F"), whole numbers, and back.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpx {

enum class HexCase { Upper, Lower };

// The value of one hexadecimal digit (either case); -1 for anything else.
int HexDigitValue(char c);

// Two digits per byte, `separator` between them: "00 1F", or "001f" with "" and Lower.
std::string HexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = " ",
                     HexCase letters = HexCase::Upper);
// Digit pairs with any blanks between them ("001F", "00 1F"); nothing when anything else is
// there or a digit stands alone.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

// `value` in upper-case digits, at least `width` of them (0x1F, 3 -> "01F").
std::string HexNumber(std::uint32_t value, int width = 1);
// One to eight digits and nothing else; nothing otherwise.
std::optional<std::uint32_t> ParseHexNumber(std::string_view digits);

}  // namespace kpx
