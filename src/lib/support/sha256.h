#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kpx {

// SHA-256 of a byte string, as 32 bytes and as 64 lower-case hex digits. The production log
// records it for every image written, so a pager's contents can be matched to a backup later.
std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> data);
std::string Sha256Hex(std::span<const std::uint8_t> data);

}  // namespace kpx
