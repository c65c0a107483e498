#include "link/device_lister.h"

#include <cctype>

namespace kpx {

std::optional<int> PortNumberFromName(const std::string& friendlyName) {
    const auto open = friendlyName.find('(');
    if (open == std::string::npos) return std::nullopt;
    const auto first = open + 4;
    const auto close = friendlyName.find(')', open);
    if (close == std::string::npos || close <= first) return std::nullopt;
    const std::string digits = friendlyName.substr(first, close - first);
    if (digits.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    // The port number is kept in a 16-bit signed field.
    if (value > 32767) return std::nullopt;
    return value;
}

bool DescriptionMatches(const std::string& description, const std::string& wanted) {
    if (description == wanted) return true;
    std::string lower = description;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "communications   port";
}

}  // namespace kpx
