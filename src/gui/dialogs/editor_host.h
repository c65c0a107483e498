#pragma once

#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx::gui {

// The steps of the window's refresh (init_ctl) that its pieces fill in.
enum class ReaderStep {
    Capcodes,
    SequentialLockout,
    OutOfService,
    LogoFont,
    PromptLanguage,
    PromptWidths,
    Contrast,
    AddressType,
    Tone,
    Frequency,
    Prompts,
    Display,
    Type,
    FunctionEnable,
    Priority,
    Password,
    BatteryLevels,
    Alerts,
    PagerMenu
};

// The main window as an editor window (Form5, Form6) sees it: the image it edits, the message
// boxes, and the refresh of the summaries its changes show in.
class EditorHost {
  public:
    virtual PagerImage& Image() = 0;
    // The message boxes of the entry rules.
    virtual UserDialogs& Dialogs() = 0;
    // Runs one reader step of the refresh.
    virtual void RunReader(ReaderStep step) = 0;
    // Applies the visibility rules again (after a change the tags do not see, such as Form5's).
    virtual void ApplyTaggedVisibility() = 0;

  protected:
    ~EditorHost() = default;
};

}  // namespace kpx::gui
