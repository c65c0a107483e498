#include "settings/panel_fields.h"

#include <stdexcept>

namespace kpx {

PagerMenuDisabled ReadPagerMenu(const PagerImage& image) {
    PagerMenuDisabled disabled;
    disabled.fill(true);
    for (int i = 0; i < kPagerMenuItems; ++i) {
        const int code = image.at(0x0C0 + i);
        if (code >= 0x10 && code < 0x10 + kPagerMenuItems) {
            disabled[static_cast<std::size_t>(code - 0x10)] = false;
        }
    }
    return disabled;
}

void WritePagerMenu(PagerImage& image, const PagerMenuDisabled& disabled) {
    int n = kPagerMenuItems - 1;
    for (int b = kPagerMenuItems - 1; b >= 0; --b) {
        if (!disabled[static_cast<std::size_t>(b)]) {
            image.set(0x0C0 + n, static_cast<std::uint8_t>(0x10 + b));
            --n;
        }
    }
    for (; n >= 0; --n) image.set(0x0C0 + n, 0xFF);
}

int ToneRowFromImage(const PagerImage& image) {
    const int v = image.at(0x0F7);
    if (v == 0x20) return 4;
    if (v >= 4 && v <= 7) return v - 4;
    return 0;
}

void WriteToneRow(PagerImage& image, int row) {
    if (row < 0 || row > 4) throw std::out_of_range("tone row");
    image.set(0x0F7, row == 0 ? 1 : row == 4 ? 0x20 : static_cast<std::uint8_t>(row + 4));
}

std::uint8_t ContrastFromImage(const PagerImage& image) {
    return image.at(kContrastAddress);
}

void WriteContrast(PagerImage& image, int value) {
    if (value < 0 || value > 255) throw std::overflow_error("contrast");
    image.set(kContrastAddress, static_cast<std::uint8_t>(value));
}

}  // namespace kpx
