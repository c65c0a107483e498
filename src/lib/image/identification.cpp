#include "image/identification.h"

#include "image/default_image.h"

namespace kpx {

std::string IdentificationText(std::span<const std::uint8_t> memory) {
    std::string text;
    for (int a = kIdentFirst; a <= kIdentLast && a < static_cast<int>(memory.size()); ++a) {
        const std::uint8_t b = memory[static_cast<std::size_t>(a)];
        if (b < 0x20 || b > 0x7F) break;
        text += static_cast<char>(b);
    }
    return text;
}

bool IsKpx41(std::string_view identification) {
    return identification.substr(0, kModelText.size()) == kModelText;
}

std::string DefaultIdentification() {
    return IdentificationText(BuildDefaultImage().bytes());
}

void WriteIdentification(std::span<std::uint8_t> memory, std::string_view text) {
    const std::size_t room = kIdentLast - kIdentFirst + 1;
    for (std::size_t i = 0; i < text.size() && i < room; ++i) {
        memory[kIdentFirst + i] = static_cast<std::uint8_t>(text[i]);
    }
}

}  // namespace kpx
