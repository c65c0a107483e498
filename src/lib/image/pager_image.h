#pragma once

// image/: the pager's 1024 bytes, their field tags, the default image and its tables, the
// national character maps and table files. It may use support/ and timing/.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kpx {

// The pager's configuration memory: 1024 bytes, index = pager address.
inline constexpr int kImageSize = 1024;
inline constexpr int kImageLast = kImageSize - 1;

using ImageBytes = std::array<std::uint8_t, kImageSize>;

// One copy of the pager memory. Every access is bounds-checked: an address outside
// 0x000-0x3FF is a programming error and throws std::out_of_range.
class PagerImage {
  public:
    PagerImage() { bytes_.fill(0); }
    explicit PagerImage(const ImageBytes& bytes) : bytes_(bytes) {}

    std::uint8_t at(int address) const;
    std::uint8_t& at(int address);
    void set(int address, std::uint8_t value) { at(address) = value; }

    // Reads bits firstBit .. firstBit+bitCount-1 of one byte (bit 0 is the least significant).
    std::uint8_t GetBits(int address, int firstBit, int bitCount) const;
    // Writes value into that field; a value that does not fit the field, or a field that would
    // cross the byte, throws std::overflow_error and leaves the byte alone.
    void SetBits(int address, int firstBit, std::uint8_t value, int bitCount);

    const ImageBytes& bytes() const { return bytes_; }
    ImageBytes& bytes() { return bytes_; }

    bool operator==(const PagerImage&) const = default;

  private:
    ImageBytes bytes_;
};

}  // namespace kpx
