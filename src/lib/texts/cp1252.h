#pragma once

#include <string>
#include <string_view>

namespace kpx {

// The image's texts are Windows-1252 bytes; the window shows Unicode (UTF-8 here).
// Bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same value, so every byte survives the round trip.
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace kpx
