#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "gui/board_link.h"
#include "gui/unsaved_keeper.h"
#include "production/backups.h"

class QAction;

namespace kpx::gui {

// The window's backups: every image read from a pager and every image written to one goes
// into the backup folder, the File menu gains "Open Backups Folder", and backups older than a
// year are pruned when the window starts. Edits that would be lost are kept there too.
class WindowBackups {
  public:
    WindowBackups(MainWindow& window, BoardLink& link, BackupStore& store, UserDialogs& dialogs);
    ~WindowBackups();
    WindowBackups(const WindowBackups&) = delete;
    WindowBackups& operator=(const WindowBackups&) = delete;

    // Opens a folder in the desktop's file manager (false when none can be started); tests
    // replace it.
    std::function<bool(const QString& folder)> OpenFolder;
    void mnuBackups_Click();
    UnsavedKeeper& Keeper() { return *keeper_; }

  private:
    void Keep(const PagerImage& image, const std::string& operation);

    BoardLink& link_;
    BackupStore& store_;
    UserDialogs& dialogs_;
    QAction* action_ = nullptr;
    std::unique_ptr<UnsavedKeeper> keeper_;
};

}  // namespace kpx::gui
