#pragma once

#include <cstdint>

namespace kpx {

// Multiplying and dividing by powers of two, used where bit fields, capcodes, synthesiser
// words and transfer bytes are split and joined. Division truncates toward zero; a result that
// does not fit its type throws std::overflow_error and leaves the operand unchanged.

// The widest form, for capcode and synthesiser arithmetic.
void ShiftLeftVar(std::int64_t& v, std::uint8_t n);
void ShiftLeftLong(std::int32_t& x, std::uint8_t n);
void ShiftRightLong(std::int32_t& x, std::uint8_t n);
void ShiftRightInt(std::int16_t& x, std::uint8_t n);
void ShiftLeftByte(std::uint8_t& b, std::uint8_t n);
std::uint8_t ShiftRightByte(std::uint8_t& b, std::uint8_t n);
std::int32_t ShiftRight(std::int32_t x, std::uint8_t n);

}  // namespace kpx
