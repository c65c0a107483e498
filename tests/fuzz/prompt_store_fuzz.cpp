// The prompt store rule: a box's text into its slot, as the box losing the focus stores it.
#include "fuzz_support.h"
#include "image/default_image.h"
#include "image/field_tags.h"
#include "testsupport/fakes.h"
#include "texts/prompt_text.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "prompt_store";
constexpr int kSlotBytes = 2 + kPromptTextBytes;
constexpr int kLogoFlagAddress = 0x3B;

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

int Fuzz_prompt_store(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const auto tags = PromptTags();
    const int slot = tags[in.Byte() % tags.size()].address;
    const std::string text = in.Rest();

    static const PagerImage kDefault = BuildDefaultImage();
    PagerImage image = kDefault;
    const PagerImage before = image;
    testing::RecordingDialogs dialogs;
    const bool stored = StorePromptText(image, slot, text, dialogs);

    for (int a = 0; a < kImageSize; ++a) {
        const bool inSlot = a >= slot && a < slot + kSlotBytes;
        const bool logoFlag = slot == kLogoSlot && a == kLogoFlagAddress;
        if (!stored || (!inSlot && !logoFlag)) {
            Check(image.at(a) == before.at(a), kName, "a byte outside the slot changed");
        }
    }
    if (!stored) {
        Check(dialogs.Texts() == std::vector<std::string>{kPromptTooLong}, kName,
              "a refusal without its message");
        return 0;
    }
    Check(dialogs.Texts().empty(), kName, "a message for a stored text");
    Check(image.at(slot + 1) >= 1 && image.at(slot + 1) <= kPromptTextBytes, kName,
          "stored length outside the slot");
    // The box shows what was typed, less the blanks at its end; a text of blanks only shows as
    // blanks.
    const std::string shown = PromptDisplayText(image, slot);
    const std::string typed = TrimRight(text);
    if (typed.empty()) {
        Check(!shown.empty() && shown.find_first_not_of(' ') == std::string::npos, kName,
              "a blank text shows as something else");
    } else {
        Check(shown == typed, kName, "the slot does not show what was stored");
    }
    // Storing what the box shows changes nothing more. (A blank text is stored as blanks, which
    // store again as leading blanks, so it is left out.)
    if (typed.empty()) return 0;
    const PagerImage once = image;
    Check(StorePromptText(image, slot, shown, dialogs) && image == once, kName,
          "storing the shown text again changed the slot");
    return 0;
}

}  // namespace kpx::fuzz
