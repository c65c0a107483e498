#include "settings/capcode.h"

#include <cstdlib>
#include <stdexcept>

#include "settings/frequency.h"

namespace kpx {

int CapcodeAddress(int entry) {
    if (entry < 0 || entry >= kCapcodeCount) throw std::out_of_range("capcode entry");
    return 0x360 + 3 * entry;
}

std::int32_t CapcodeValue(const PagerImage& image, int entry) {
    const int a = CapcodeAddress(entry);
    return (image.at(a) & 0x7F) * 65536 + image.at(a + 1) * 256 + image.at(a + 2);
}

bool CapcodeEnabled(const PagerImage& image, int entry) {
    return (image.at(CapcodeAddress(entry)) & 0x80) != 0;
}

void StoreCapcode(PagerImage& image, int entry, std::int32_t value) {
    if (value < 0 || value > 0x7FFFFF) throw std::out_of_range("capcode exceeds 23 bits");
    const int a = CapcodeAddress(entry);
    image.set(a, static_cast<std::uint8_t>((image.at(a) & 0x80) | (value >> 16)));
    image.set(a + 1, static_cast<std::uint8_t>((value >> 8) & 0xFF));
    image.set(a + 2, static_cast<std::uint8_t>(value & 0xFF));
}

std::string CapcodeDigits(std::int32_t value) {
    std::string digits = std::to_string(std::abs(std::int64_t{value}));
    const std::size_t width = value < 0 ? kCapcodeTextMaxLength - 1 : kCapcodeTextMaxLength;
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string CapcodeText(const PagerImage& image, int entry) {
    return CapcodeDigits(CapcodeValue(image, entry));
}

CapcodeEntry EnterCapcode(PagerImage& image, int entry, std::string_view text,
                          UserDialogs& dialogs) {
    CapcodeAddress(entry);
    if (text.empty()) return CapcodeEntry::Empty;
    const std::optional<double> value = NumericValue(text);
    if (!value) {
        dialogs.Warn(kCapcodeNotNumeric);
        return CapcodeEntry::NotNumeric;
    }
    if (*value < kCapcodeMin || *value > kCapcodeMax) {
        dialogs.Warn(kCapcodeRange);
        return CapcodeEntry::OutOfRange;
    }
    StoreCapcode(image, entry, static_cast<std::int32_t>(RoundHalfEven(*value)));
    return CapcodeEntry::Stored;
}

}  // namespace kpx
