#include "catalogue/open_table.h"

#include <algorithm>
#include <set>

#include "image/field_tags.h"
#include "catalogue/startup_image.h"
#include "settings/alerts.h"
#include "settings/bands.h"
#include "settings/function_table.h"
#include "settings/panel_fields.h"
#include "texts/logo.h"

namespace kpx {

namespace {

// The same warning from several handlers of one refresh is told once.
class OnceDialogs final : public UserDialogs {
  public:
    explicit OnceDialogs(UserDialogs& to) : to_(to) {}
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override {
        if (!said_.insert(text).second) return DialogAnswer::Ok;
        return to_.Message(text, buttons, icon);
    }

  private:
    UserDialogs& to_;
    std::set<std::string> said_;
};

// The tagged check boxes and lists, in the refresh's order, each handler run with the value
// its control shows.
void WriteBackTaggedControls(PagerImage& image) {
    for (const FieldTag& tag : FieldTags()) {
        switch (tag.kind) {
            case TagKind::Chk:
            case TagKind::ChkN:
                WriteCheckBox(image, tag, ReadCheckBox(image, tag));
                break;
            case TagKind::Cbo:
            case TagKind::CboBaud:
                // A list without a row runs its handler, which stores nothing.
                if (const int row = ReadListRow(image, tag); row >= 0) {
                    WriteListRow(image, tag, row);
                }
                break;
            case TagKind::Lng:
                break;
        }
    }
}

// The logo list shows the image's row; for a code it has no row for it keeps the row it had,
// which in a window that has just started is the start-up image's.
void WriteBackLogoFont(PagerImage& image, const ProgramSettings& settings) {
    std::optional<int> row = LogoListRow(image);
    if (!row) row = LogoListRow(BuildStartupImage(settings));
    ApplyLogoFont(image, row.value_or(-1));
}

}  // namespace

PagerImage OpenImageAsWindow(const ImageBytes& bytes, const ProgramSettings& settings,
                             UserDialogs& dialogs, FrequencyState* state) {
    PagerImage image(bytes);
    OnceDialogs once(dialogs);

    if (state) {
        BuildStartupImage(settings, state);
        const BandRecognition band = DetectBandFromImage(bytes);
        if (band.multiplier) state->multiplier = *band.multiplier;
        if (band.row) state->bandRow = *band.row;
    }

    WriteBackTaggedControls(image);
    WriteBackLogoFont(image, settings);
    WriteLockoutRow(image, LockoutRowFromImage(image));
    WriteOutOfServiceRow(image, OutOfServiceRowFromImage(image));
    // The slider holds the value to its range and stores what it shows.
    WriteContrast(image, std::clamp<int>(ContrastFromImage(image), 0, kContrastMax));
    for (int i = 0; i < 2; ++i) {
        if (const auto row = SingleTypeRow(image, i)) WriteSingleType(image, i, *row);
    }
    WriteToneRow(image, ToneRowFromImage(image));
    // The display summaries rewrite codes above 4, capcode 1 first.
    for (int element : {3, 0, 1, 2}) DisplaySummary(image, element);
    for (int level = 0; level < kBatteryLevels; ++level) {
        if (const auto row = BatteryRowFromImage(image, level)) {
            SelectBatteryLevel(image, level, *row, once);
        }
    }
    return image;
}

OpenedTable OpenTableAsWindow(const std::string& path, const ProgramSettings& settings,
                              UserDialogs& dialogs) {
    OpenedTable opened;
    const TableFileLoad load = LoadTableFile(path);
    opened.status = load.status;
    opened.message = load.message;
    opened.reason = load.reason;
    if (load.status != TableFileStatus::Ok) return opened;
    opened.image = OpenImageAsWindow(load.bytes, settings, dialogs, &opened.frequency);
    return opened;
}

}  // namespace kpx
