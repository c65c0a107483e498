#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kpx {

// Every frame to and from the programming board starts with this magic.
inline constexpr std::string_view kFrameMagic = "Brightwave";
inline constexpr std::size_t kMagicLength = 10;

// The five constant frames of the board protocol.
inline constexpr std::array<std::uint8_t, 18> kProbeCommand = {
    'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '5', 'R', 0x03, 0x00, 0x00, 0x00, 0x00, 0x8A};
inline constexpr std::array<std::uint8_t, 13> kProbeReplyHeader = {
    'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '5', 'R', 0x02};
inline constexpr std::array<std::uint8_t, 13> kReadHeader = {
    'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '3', 'R', 0x03};
inline constexpr std::array<std::uint8_t, 12> kWriteHeader = {
    'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '3', 'S'};
inline constexpr std::array<std::uint8_t, 16> kWriteAck = {
    'B', 'r', 'i', 'g', 'h', 't', 'w', 'a', 'v', 'e', '3', 'S', 0x01, 0x06, 0x00, 0x8D};

// Sum of the bytes from index 10 to the third-last, modulo 65536: the checksum a frame of this
// length carries in its last two bytes (high byte first).
constexpr std::uint16_t FrameChecksum(std::span<const std::uint8_t> frame) {
    std::uint16_t sum = 0;
    for (std::size_t i = kMagicLength; i + 2 < frame.size(); ++i) {
        sum = static_cast<std::uint16_t>(sum + frame[i]);
    }
    return sum;
}

}  // namespace kpx
