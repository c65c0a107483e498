#include "texts/prompt_slots.h"

#include <algorithm>

#include "image/default_image.h"

namespace kpx {

namespace {

constexpr std::array<std::uint8_t, kLanguageRows> kRowCodes = {
    kLangEnglish, kLangSpanish, kLangFrench, kLangGerman, kLangRussian};

constexpr int kSlotSize = 20;
constexpr int kMainBlockStart = 0x100;
constexpr int kSecondBlockStart = 0x3B0;

// Slot 26 shows a single ampersand; the label draws its text as it stands.
constexpr std::array<const char*, kPromptCount> kCaptions = {
    "",
    "NO PAGES ------->",
    "UP OR ESCAPE --->",
    "MESSAGE LOCK --->",
    "MESSAGE UNLOCK ->",
    "DELETE --------->",
    "DELETE ALL ----->",
    "MOVE TO MEMO --->",
    "SET SCROLL ----->",
    "SET TIME ------->",
    "SET ALARM ------>",
    "SET ALERT ------>",
    "PAGER OFF ------>",
    "TONE ONLY ------> ",
    "SLEEP ----------> ",
    "SILENT --------->",
    "PAGER OFF ? ---->",
    "DELETE? -------->",
    "DELETE ALL ? --->",
    "TIME SET ------->",
    "ALARM SET ------>",
    "SCROLL SET ----->",
    "AUTO SLEEP SET ->",
    "START END ------>",
    "MESSAGE AREA --->",
    "MAIL DROP AREA ->",
    "SILENT & BEEP -->",
    "ZOOM IN -------->",
    "ZOOM OUT ------->",
    "CHIRP ON ------->",
    "CHIRP OFF------->",
    "READ PASSWORD -->",
    "FLASH ONLY------>",
};

}  // namespace

const char* PromptCaption(int index) {
    return kCaptions.at(static_cast<std::size_t>(index));
}

std::optional<std::uint8_t> LanguageCodeForRow(int row) {
    if (row < 0 || row >= kLanguageRows) return std::nullopt;
    return kRowCodes[static_cast<std::size_t>(row)];
}

std::optional<int> LanguageRowFromImage(const PagerImage& image) {
    const std::uint8_t code = image.GetBits(0x3E, 0, 4);
    const auto it = std::find(kRowCodes.begin(), kRowCodes.end(), code);
    if (it == kRowCodes.end()) return std::nullopt;
    return static_cast<int>(it - kRowCodes.begin());
}

bool SelectPromptLanguage(PagerImage& image, int row) {
    const std::optional<std::uint8_t> code = LanguageCodeForRow(row);
    if (!code) return false;
    image.SetBits(0x3B, 0, 2, 2);
    image.SetBits(0x3A, 0, *code, 4);
    image.SetBits(0x3E, 0, *code, 4);
    const PromptBlocks& blocks = PromptDefaults(*code);
    std::copy(blocks.main.begin(), blocks.main.end(), image.bytes().begin() + kMainBlockStart);
    std::copy(blocks.second.begin(), blocks.second.end(),
              image.bytes().begin() + kSecondBlockStart);
    return true;
}

bool LoadPromptDefault(PagerImage& image, int slotAddress, int row) {
    const std::optional<std::uint8_t> code = LanguageCodeForRow(row);
    if (!code || row == kRussianRow) return false;
    if (RestoreFixedSlotText(image, slotAddress)) return true;
    const PromptBlocks& blocks = PromptDefaults(*code);
    const bool second = slotAddress >= kSecondBlockStart;
    const int offset = slotAddress - (second ? kSecondBlockStart : kMainBlockStart);
    const int blockSize = static_cast<int>(second ? blocks.second.size() : blocks.main.size());
    // Only whole slots of a block: anything else is not a prompt slot.
    if (offset < 0 || offset % kSlotSize != 0 || offset + kSlotSize > blockSize) return false;
    const std::uint8_t* from = (second ? blocks.second.data() : blocks.main.data()) + offset;
    std::copy(from, from + kSlotSize, image.bytes().begin() + slotAddress);
    return true;
}

const EditFont& EditFontFor(const PromptTag& tag, int row) {
    return tag.largeFont && row == 0 ? kLargeFont : kSmallFont;
}

}  // namespace kpx
