#include "texts/prompt_text.h"

#include "support/gcc_string_warnings.h"

namespace kpx {

namespace {

std::string_view TrimLeft(std::string_view s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string_view{} : s.substr(b);
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    const std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string_view{} : s.substr(0, e + 1);
}

}  // namespace

std::string PromptDisplayText(const PagerImage& image, int slotAddress) {
    std::string s(image.at(slotAddress) & 0x0F, ' ');
    const int length = image.at(slotAddress + 1);
    // A length byte from a foreign file may claim more than the slot holds.
    for (int i = 0; i < length && i < kPromptTextBytes; ++i) {
        s.push_back(static_cast<char>(image.at(slotAddress + 2 + i)));
    }
    return s;
}

bool StorePromptText(PagerImage& image, int slotAddress, std::string_view text,
                     UserDialogs& dialogs) {
    const std::string_view afterLead = TrimLeft(text);
    std::size_t lead = text.size() - afterLead.size();
    // An all-blank text is stored as one blank after the lead: the last blank is that one, so
    // the box shows as many blanks as it held, and leaving it again changes nothing.
    if (afterLead.empty() && lead > 0 && lead <= 15) --lead;
    std::size_t extra = 0;
    if (lead >= 15) {
        extra = lead - 15;
        lead = 15;
    }
    const std::string_view trimmed = Trim(text);
    if (afterLead.size() > kPromptTextBytes || extra + trimmed.size() > kPromptTextBytes) {
        dialogs.Inform(kPromptTooLong);
        return false;
    }
    image.set(slotAddress,
              static_cast<std::uint8_t>((image.at(slotAddress) & 0xF0) | static_cast<int>(lead)));
    std::string s(extra, ' ');
    s += trimmed;
    const bool logo = slotAddress == kLogoSlot;
    if (s.empty()) {
        KPX_GCC_STRING_FALSE_POSITIVE_BEGIN
        s = " ";
        KPX_GCC_STRING_FALSE_POSITIVE_END
        if (logo) image.SetBits(0x3B, 0, 0, 2);
    } else if (logo) {
        image.SetBits(0x3B, 0, 2, 2);
    }
    image.set(slotAddress + 1, static_cast<std::uint8_t>(s.size()));
    for (std::size_t i = 0; i < s.size(); ++i) {
        image.set(slotAddress + 2 + static_cast<int>(i), static_cast<std::uint8_t>(s[i]));
    }
    return true;
}

std::string AlignLeft(std::string_view text) {
    return std::string(Trim(text));
}

std::string AlignCentre(std::string_view text, int width) {
    const std::string_view s = Trim(text);
    const int n = static_cast<int>(s.size());
    if (n > width) return std::string(s);
    return std::string(static_cast<std::size_t>((width - n) / 2), ' ') + std::string(s);
}

std::string AlignRight(std::string_view text, int width) {
    const std::string_view s = Trim(text);
    const int n = static_cast<int>(s.size());
    if (n > width) return std::string(s);
    return std::string(static_cast<std::size_t>(width - n), ' ') + std::string(s);
}

}  // namespace kpx
