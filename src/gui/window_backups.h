#pragma once

#include <QString>
#include <functional>

#include "gui/board_link.h"
#include "production/backups.h"

class QAction;

namespace kpx::gui {

// The window's backups: every image read from a pager and every image written to one goes
// into the backup folder, the File menu gains "Open Backups Folder", and backups older than a
// year are pruned when the window starts.
class WindowBackups {
  public:
    WindowBackups(MainWindow& window, BoardLink& link, BackupStore& store, UserDialogs& dialogs);
    ~WindowBackups();
    WindowBackups(const WindowBackups&) = delete;
    WindowBackups& operator=(const WindowBackups&) = delete;

    // Opens a folder in the desktop's file manager; tests replace it.
    std::function<void(const QString& folder)> OpenFolder;
    void mnuBackups_Click();

  private:
    void Keep(const PagerImage& image, const std::string& operation);

    BoardLink& link_;
    BackupStore& store_;
    UserDialogs& dialogs_;
    QAction* action_ = nullptr;
};

}  // namespace kpx::gui
