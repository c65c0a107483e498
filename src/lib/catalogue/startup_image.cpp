#include "catalogue/startup_image.h"

#include "image/field_tags.h"
#include "settings/bands.h"
#include "texts/logo.h"
#include "texts/prompt_text.h"

namespace kpx {

namespace {

// Start-up makes no messages; anything a step wanted to say would be a fault in the defaults.
class SilentDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string&, DialogButtons, DialogIcon) override {
        return DialogAnswer::Ok;
    }
};

}  // namespace

PagerImage BuildStartupImage(const ProgramSettings& settings, FrequencyState* state) {
    PagerImage image = BuildDefaultImage();
    FrequencyState local;
    FrequencyState& st = state ? *state : local;
    SilentDialogs silent;
    SelectBand(image, st, kBandRow130, settings, silent);

    // The refresh selects the logo font from the image and writes its code back.
    const std::optional<int> logoRow = LogoListRow(image);
    const std::optional<LogoFont> font = ApplyLogoFont(image, logoRow.value_or(-1));
    const int width = font ? font->font.charLimit : kLogoDesignCharLimit;
    StorePromptText(image, kLogoSlot, AlignCentre(settings.logoText, width), silent);
    return image;
}

}  // namespace kpx
