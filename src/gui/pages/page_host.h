#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QString>
#include <QWidget>
#include <functional>

#include "gui/dialogs/editor_host.h"
#include "image/default_image.h"
#include "image/field_tags.h"

namespace kpx::gui {

// What the window's handlers tell each other between events. The frame owns it; its pieces
// reach it through their host.
struct WindowState {
    // A reader is putting the image into the controls: list handlers leave the image alone.
    bool RefreshingControls = false;
    // The refresh follows a whole new image (table file, pager read).
    bool loadingImage = false;
    // The frequency box refused its text; the Pager command that took the focus does not run.
    bool validationFailed = false;
    int ProgramOperation = 0;  // 0 read, 1 write, 2 verify
    int loadedContrast = 0;
    bool contrastChanged = false;
    // The capcodes that count up after each write.
    bool AutoIncrease1 = false;
    bool AutoIncrease2 = false;
    // The table file Save writes, and whether Open/Save use it without asking.
    QString currentTablePath;
    bool useCurrentPath = false;
};

// The main window as its pages and panels see it. The frame implements it; a piece gets it as
// the first argument of its constructor.
class PageHost : public EditorHost {
  public:
    virtual WindowState& State() = 0;
    virtual const ProgramSettings& Settings() const = 0;
    // The window itself: the parent and the place of the windows a piece opens.
    virtual QWidget* Frame() = 0;

    // init_ctl: every control rewritten from the image.
    virtual void RefreshControls() = 0;
    // Fills in a reader step of the refresh.
    virtual void InstallReader(ReaderStep step, std::function<void()> reader) = 0;
    // Visibility of controls that follow tagged controls (txtPass(1), the capcode-disable notes).
    virtual void OnTaggedVisibility(std::function<void(const TaggedVisibility&)> apply) = 0;
    // The generic binding: a check box or list bound to its tag, for the pages that place them.
    virtual QCheckBox* MakeTaggedCheckBox(int index, QWidget* parent) = 0;
    virtual QComboBox* MakeTaggedList(int index, QWidget* parent) = 0;

    // The tab background, where Enter in an entry box sends the focus.
    virtual QWidget* TabBackground() const = 0;
    // Pages: added to the panel stack, brought to the front with the focus.
    virtual void AddPage(QWidget* page) = 0;
    virtual void ShowPage(QWidget* page) = 0;
    // The logo group's place on the "Alerts and Status" page.
    virtual void PlaceLogoFrame(QWidget* frame) = 0;

    virtual bool ModifyMode() const = 0;
    // The load step of start-up is over.
    virtual bool LoadFinished() const = 0;

  protected:
    ~PageHost() = default;
};

}  // namespace kpx::gui
