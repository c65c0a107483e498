#pragma once

// texts/: the prompts and their languages, the logo, the Cyrillic glyphs and the memory and
// history allocation. It may use settings/, image/ and the layers below.

#include <string>
#include <string_view>

#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx {

// A prompt slot: attribute (low nibble = leading blank columns), length, 18 text bytes.
// Texts are Windows-1252 bytes.
inline constexpr int kPromptTextBytes = 18;
inline constexpr int kLogoSlot = 0x100;
inline constexpr const char* kPromptTooLong = "Can not exceed 18 characters exclude left space!";

// The two fonts a pager line is edited in: the box's boldness, its character limit (also the
// line width for alignment), the number of spaces whose width the box gets, and the tooltip of
// the slot's caption.
struct EditFont {
    bool bold;
    int charLimit;
    int widthSpaces;
    const char* tooltip;
};
inline constexpr EditFont kLargeFont{true, 16, 17, " Large Font ( Less than 17 characters ) "};
inline constexpr EditFont kSmallFont{false, 21, 22, " Small Font ( Less than 19 characters ) "};

// What the slot's text box shows: the leading blanks from the attribute, then the text.
std::string PromptDisplayText(const PagerImage& image, int slotAddress);

// Stores a box's text into its slot as the box losing the focus does: leading spaces become
// the attribute's blank count (at most 15, the rest stays in the text), trailing spaces go, an
// empty text is one space. The logo slot also records in 0x3B bits 0-1 whether it is empty.
// A text that does not fit the 18 text bytes is refused with the message and changes nothing.
bool StorePromptText(PagerImage& image, int slotAddress, std::string_view text,
                     UserDialogs& dialogs);

// Alignment of a box's text on a line of `width` columns. A text longer than the line is left
// as it is (trimmed), so nothing is ever longer than the box allows.
std::string AlignLeft(std::string_view text);
std::string AlignCentre(std::string_view text, int width);
std::string AlignRight(std::string_view text, int width);

}  // namespace kpx
