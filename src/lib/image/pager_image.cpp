#include "image/pager_image.h"

#include <stdexcept>
#include <string>

namespace kpx {

namespace {

void CheckAddress(int address) {
    if (address < 0 || address >= kImageSize) {
        throw std::out_of_range("image address out of range: " + std::to_string(address));
    }
}

void CheckField(int firstBit, int bitCount) {
    if (firstBit < 0 || bitCount < 1 || firstBit + bitCount > 8) {
        throw std::overflow_error("bit field crosses the byte: first bit " +
                                  std::to_string(firstBit) + ", " + std::to_string(bitCount) +
                                  " bits");
    }
}

}  // namespace

std::uint8_t PagerImage::at(int address) const {
    CheckAddress(address);
    return bytes_[static_cast<std::size_t>(address)];
}

std::uint8_t& PagerImage::at(int address) {
    CheckAddress(address);
    return bytes_[static_cast<std::size_t>(address)];
}

std::uint8_t PagerImage::GetBits(int address, int firstBit, int bitCount) const {
    CheckField(firstBit, bitCount);
    const unsigned mask = (1u << bitCount) - 1u;
    return static_cast<std::uint8_t>((at(address) >> firstBit) & mask);
}

void PagerImage::SetBits(int address, int firstBit, std::uint8_t value, int bitCount) {
    CheckField(firstBit, bitCount);
    if (value >= (1u << bitCount)) {
        throw std::overflow_error("value " + std::to_string(value) + " does not fit " +
                                  std::to_string(bitCount) + " bits");
    }
    const unsigned fieldMask = ((1u << bitCount) - 1u) << firstBit;
    std::uint8_t& byte = at(address);
    byte = static_cast<std::uint8_t>((byte & ~fieldMask) | (unsigned{value} << firstBit));
}

}  // namespace kpx
