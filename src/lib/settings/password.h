#pragma once

#include <string>
#include <string_view>

#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx {

// Two four-digit codes, one decimal digit (0-9, as a number) per byte, most significant first:
// the pager password behind txtPass(0) and the message-read password behind txtPass(1).
inline constexpr int kPasswordBoxes = 2;
inline constexpr int kPasswordDigits = 4;
inline constexpr int kPasswordMaxLength = 4;
inline constexpr const char* kPasswordRange = "Please insert a number between 0000 to 9999";

int PasswordAddress(int box);  // 0x37C for box 0, 0x06B for box 1; others throw out_of_range
// The decimal text of each byte, concatenated ("0012").
std::string PasswordText(const PagerImage& image, int box);
// txtPass(1) is on show while "Read Msg. PW" (0x046 bit 6) is set.
bool MessagePasswordShown(const PagerImage& image);

// A key released in a password box holding `text`.
enum class PasswordEntry {
    Empty,       // nothing happens
    NotNumeric,  // "Please insert a decimal numeric!" shown; the boxes are rewritten
    OutOfRange,  // the range message shown; the boxes are rewritten
    Stored,      // the digits typed so far, behind leading zero digits
};
// Only plain decimal digits (blanks around them allowed) are stored: text that merely looks
// numeric ("1.5", "+12", "1e3") cannot be read as digits and is refused like any non-number.
PasswordEntry PasswordKeyUp(PagerImage& image, int box, std::string_view text,
                            UserDialogs& dialogs);

}  // namespace kpx
