#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "image/field_tags.h"
#include "image/pager_image.h"
#include "texts/prompt_text.h"

namespace kpx {

// The 33 prompt slots of the editor (txtPrompt(0..32)) and the prompt language (cboLng).
inline constexpr int kPromptCount = 33;
inline constexpr int kLanguageRows = 5;
inline constexpr int kLanguageRowGerman = 3;
inline constexpr int kRussianRow = 4;
inline constexpr std::array<const char*, kLanguageRows> kLanguageItems = {
    "English", "Spainish", "French", "German", "Russian"};

// The caption beside a slot's box, as the window shows it; slot 0 (the logo) has none.
const char* PromptCaption(int index);

// The language code of a cboLng row; nothing for a row the list does not have.
std::optional<std::uint8_t> LanguageCodeForRow(int row);
// The cboLng row the refresh selects from the prompt language (0x3E bits 0-3); nothing for a
// code the list does not show.
std::optional<int> LanguageRowFromImage(const PagerImage& image);

// Choosing a language: 0x3B bits 0-1 = 2, the code into 0x3A and 0x3E, and the language's
// built-in texts over both text blocks (the logo slot included). The slots 0x057 and 0x070 keep
// theirs. Returns false, changing nothing, for a row the list does not have.
bool SelectPromptLanguage(PagerImage& image, int row);

// "Load Default" for one slot in the language of `row` (0-3): the slot's 20 bytes from that
// language's built-in block; the slots 0x057 and 0x070, which no block covers, get the
// default image's texts back. Russian (row 4) has its own command: nothing changes. Returns
// whether anything was written. Only the slot's own bytes are ever written.
bool LoadPromptDefault(PagerImage& image, int slotAddress, int row);

// The font a slot's box is edited in: large only for the large-font slots in English.
const EditFont& EditFontFor(const PromptTag& tag, int row);

}  // namespace kpx
