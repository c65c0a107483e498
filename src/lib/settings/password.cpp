#include "settings/password.h"

#include <stdexcept>

#include "settings/frequency.h"

namespace kpx {

int PasswordAddress(int box) {
    if (box == 0) return 0x37C;
    if (box == 1) return 0x06B;
    throw std::out_of_range("password box");
}

std::string PasswordText(const PagerImage& image, int box) {
    const int a = PasswordAddress(box);
    std::string text;
    for (int i = 0; i < kPasswordDigits; ++i) text += std::to_string(image.at(a + i));
    return text;
}

bool MessagePasswordShown(const PagerImage& image) {
    return image.GetBits(0x46, 6, 1) != 0;
}

PasswordEntry PasswordKeyUp(PagerImage& image, int box, std::string_view text,
                            UserDialogs& dialogs) {
    const int a = PasswordAddress(box);
    if (text.empty()) return PasswordEntry::Empty;
    const std::optional<double> value = NumericValue(text);
    if (!value) {
        dialogs.Warn(kNotDecimalNumeric);
        return PasswordEntry::NotNumeric;
    }
    if (text.size() > kPasswordMaxLength || *value > 9999 || *value < 0) {
        dialogs.Warn(kPasswordRange);
        return PasswordEntry::OutOfRange;
    }
    const std::size_t b = text.find_first_not_of(' ');
    const std::string_view digits = text.substr(b, text.find_last_not_of(' ') - b + 1);
    for (char c : digits) {
        if (c < '0' || c > '9') {
            dialogs.Warn(kNotDecimalNumeric);
            return PasswordEntry::NotNumeric;
        }
    }
    // Right-aligned: the last typed digit is the last byte, missing leading digits are 0.
    const std::size_t pad = kPasswordDigits - digits.size();
    for (int i = 0; i < kPasswordDigits; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        image.set(a + i, k < pad ? 0 : static_cast<std::uint8_t>(digits[k - pad] - '0'));
    }
    return PasswordEntry::Stored;
}

}  // namespace kpx
