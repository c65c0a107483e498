#include "timing/power_of_two.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace kpx {
namespace {

TEST(PowerOfTwo, RightShiftsTruncateTowardZero) {
    struct Case {
        std::int32_t x;
        std::uint8_t n;
        std::int32_t expected;
    };
    const Case cases[] = {
        {-5, 1, -2},
        {5, 1, 2},
        {-1, 1, 0},
        {-8, 3, -1},
        {7, 0, 7},
        {1 << 30, 30, 1},
        {std::numeric_limits<std::int32_t>::min(), 31, -1},
        {std::numeric_limits<std::int32_t>::max(), 31, 0},
        {123, 40, 0},
        {-123, 255, 0},
    };
    for (const Case& c : cases) {
        std::int32_t x = c.x;
        ShiftRightLong(x, c.n);
        EXPECT_EQ(x, c.expected) << c.x << " >> " << int{c.n};
        EXPECT_EQ(ShiftRight(c.x, c.n), c.expected) << c.x << " >> " << int{c.n};
    }

    std::int16_t i = 7;
    ShiftRightInt(i, 2);
    EXPECT_EQ(i, 1);
    i = -7;
    ShiftRightInt(i, 2);
    EXPECT_EQ(i, -1);
    i = std::numeric_limits<std::int16_t>::min();
    ShiftRightInt(i, 15);
    EXPECT_EQ(i, -1);

    std::uint8_t b = 0xF0;
    EXPECT_EQ(ShiftRightByte(b, 4), 0x0F);
    EXPECT_EQ(b, 0x0F);
    EXPECT_EQ(ShiftRightByte(b, 8), 0);
}

TEST(PowerOfTwo, LeftShiftsMultiplyUpToTheLimitOfTheirType) {
    std::uint8_t b = 0x40;
    ShiftLeftByte(b, 1);
    EXPECT_EQ(b, 0x80);
    b = 0;
    ShiftLeftByte(b, 200);
    EXPECT_EQ(b, 0);

    std::int32_t x = -3;
    ShiftLeftLong(x, 4);
    EXPECT_EQ(x, -48);
    x = -1;
    ShiftLeftLong(x, 31);
    EXPECT_EQ(x, std::numeric_limits<std::int32_t>::min());
    x = 1;
    ShiftLeftLong(x, 30);
    EXPECT_EQ(x, 1 << 30);

    std::int64_t v = 2097151;  // the largest capcode
    ShiftLeftVar(v, 40);
    EXPECT_EQ(v, std::int64_t{2097151} << 40);
}

TEST(PowerOfTwo, ResultsThatDoNotFitThrowAndLeaveTheOperand) {
    std::uint8_t b = 0x81;
    EXPECT_THROW(ShiftLeftByte(b, 1), std::overflow_error);
    EXPECT_EQ(b, 0x81);
    b = 1;
    EXPECT_THROW(ShiftLeftByte(b, 8), std::overflow_error);

    std::int32_t x = 1;
    EXPECT_THROW(ShiftLeftLong(x, 31), std::overflow_error);
    EXPECT_EQ(x, 1);
    x = -2;
    EXPECT_THROW(ShiftLeftLong(x, 31), std::overflow_error);
    x = 3;
    EXPECT_THROW(ShiftLeftLong(x, 255), std::overflow_error);

    std::int64_t v = 1;
    EXPECT_THROW(ShiftLeftVar(v, 63), std::overflow_error);
    v = -1;
    EXPECT_NO_THROW(ShiftLeftVar(v, 63));
    EXPECT_EQ(v, std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace kpx
