#include "support/hex.h"

#include <gtest/gtest.h>

namespace kpx {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Hex, BytesInEachSpellingTheProgramWrites) {
    const Bytes bytes = {0x00, 0x1F, 0xA0, 0xFF};
    EXPECT_EQ(HexBytes(bytes), "00 1F A0 FF");
    EXPECT_EQ(HexBytes(bytes, ","), "00,1F,A0,FF");
    EXPECT_EQ(HexBytes(bytes, "", HexCase::Lower), "001fa0ff");
    EXPECT_EQ(HexBytes(Bytes{}), "");
}

TEST(Hex, ReadingBytesTakesPairsWithBlanksAndNothingElse) {
    const struct {
        const char* text;
        std::optional<Bytes> bytes;
    } cases[] = {
        {"001F", Bytes{0x00, 0x1F}},
        {" 00 1f  a0 ", Bytes{0x00, 0x1F, 0xA0}},
        {"", Bytes{}},
        {"0", std::nullopt},    // a digit alone
        {"0 0", std::nullopt},  // a pair split by a blank
        {"001", std::nullopt},
        {"0g", std::nullopt},
        {"00,1F", std::nullopt},
        {"0x1F", std::nullopt},
        {"00\t1F", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexBytes(c.text), c.bytes) << c.text;
    // Every byte written comes back.
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    EXPECT_EQ(ParseHexBytes(HexBytes(all)), all);
    EXPECT_EQ(ParseHexBytes(HexBytes(all, "", HexCase::Lower)), all);
}

TEST(Hex, WholeNumbersBothWays) {
    EXPECT_EQ(HexNumber(0), "0");
    EXPECT_EQ(HexNumber(0x1F, 3), "01F");
    EXPECT_EQ(HexNumber(0x3FF, 3), "3FF");
    EXPECT_EQ(HexNumber(0x12345, 3), "12345");
    EXPECT_EQ(HexNumber(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(HexNumber(0xAB, 8), "000000AB");

    const struct {
        const char* text;
        std::optional<std::uint32_t> value;
    } cases[] = {
        {"1f", 0x1F},         {"FFFFFFFF", 0xFFFFFFFF}, {"000000001", std::nullopt},
        {"", std::nullopt},   {"0x1", std::nullopt},    {"-1", std::nullopt},
        {" 1", std::nullopt}, {"1g", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexNumber(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace kpx
