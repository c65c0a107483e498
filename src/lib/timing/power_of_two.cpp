#include "timing/power_of_two.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace kpx {

namespace {

// x * 2^n, or an overflow error when the product leaves T's range.
template <typename T>
T TimesPowerOfTwo(T x, std::uint8_t n, const char* routine) {
    constexpr T kMax = std::numeric_limits<T>::max();
    constexpr T kMin = std::numeric_limits<T>::min();
    for (int i = 0; i < n && x != 0; ++i) {
        if (x > kMax / 2 || x < kMin / 2) {
            throw std::overflow_error(std::string(routine) + ": " + std::to_string(x) +
                                      " times 2^" + std::to_string(n) + " overflows");
        }
        x = static_cast<T>(x * 2);
    }
    return x;
}

// x / 2^n, truncating toward zero (C++ division does exactly that).
template <typename T>
T OverPowerOfTwo(T x, std::uint8_t n) {
    if (n >= 63) return 0;  // 2^n exceeds every operand we take
    const std::int64_t divisor = std::int64_t{1} << n;
    return static_cast<T>(static_cast<std::int64_t>(x) / divisor);
}

}  // namespace

void ShiftLeftVar(std::int64_t& v, std::uint8_t n) {
    v = TimesPowerOfTwo(v, n, "ShiftLeftVar");
}

void ShiftLeftLong(std::int32_t& x, std::uint8_t n) {
    x = TimesPowerOfTwo(x, n, "ShiftLeftLong");
}

void ShiftRightLong(std::int32_t& x, std::uint8_t n) {
    x = OverPowerOfTwo(x, n);
}

void ShiftRightInt(std::int16_t& x, std::uint8_t n) {
    x = OverPowerOfTwo(x, n);
}

void ShiftLeftByte(std::uint8_t& b, std::uint8_t n) {
    b = TimesPowerOfTwo(b, n, "ShiftLeftByte");
}

std::uint8_t ShiftRightByte(std::uint8_t& b, std::uint8_t n) {
    b = OverPowerOfTwo(b, n);
    return b;
}

std::int32_t ShiftRight(std::int32_t x, std::uint8_t n) {
    return OverPowerOfTwo(x, n);
}

}  // namespace kpx
