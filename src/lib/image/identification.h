#pragma once

// The pager's identification: after the write flag, the model text and the board's and the
// software's versions ("KPX41V1.0V1.03"), at 0x3E1-0x3EE.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kpx {

inline constexpr int kWriteFlagAddress = 0x3E0;
inline constexpr int kIdentFirst = 0x3E1;
inline constexpr int kIdentLast = 0x3EE;
inline constexpr std::string_view kModelText = "KPX41";

// The bytes from 0x3E1 while they lie in 0x20..0x7F, at most up to 0x3EE.
std::string IdentificationText(std::span<const std::uint8_t> memory);
// Whether an identification text names this program's model.
bool IsKpx41(std::string_view identification);
// What the start-up image carries there: a fresh pager of this model.
std::string DefaultIdentification();
// `text` at 0x3E1, as much of it as the identification holds.
void WriteIdentification(std::span<std::uint8_t> memory, std::string_view text);

}  // namespace kpx
