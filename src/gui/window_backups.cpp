#include "gui/window_backups.h"

#include <QAction>
#include <QDir>
#include <QMenu>

#include "gui/help_manual.h"
#include "image/charmap.h"

namespace kpx::gui {

WindowBackups::WindowBackups(MainWindow& window, BoardLink& link, BackupStore& store,
                             UserDialogs& dialogs)
    : link_(link),
      store_(store),
      dialogs_(dialogs),
      keeper_(std::make_unique<UnsavedKeeper>(window, store.folder())) {
    OpenFolder = OpenWithDesktop;
    store_.Prune();
    link_.Observed().afterRead = [this](const PagerImage& image) {
        Keep(image, "read");
        keeper_->Held(image);
    };
    link_.Observed().afterWrite = [this](const PagerImage& written, bool ok) {
        if (!ok) return;
        // The pager holds its own character set; a backup opens like any table file.
        PagerImage decoded = written;
        DecodeTextRegions(decoded);
        Keep(decoded, "write");
        keeper_->Held(decoded);
    };
    if (QMenu* file = window.findChild<QMenu*>("mnuFile")) {
        QAction* before = window.findChild<QAction*>("mnudash");
        action_ = new QAction("Open Backups Folder", file);
        action_->setObjectName("mnuBackups");
        file->insertAction(before, action_);
        QObject::connect(action_, &QAction::triggered, [this] { mnuBackups_Click(); });
    }
}

WindowBackups::~WindowBackups() {
    link_.Observed().afterRead = nullptr;
    link_.Observed().afterWrite = nullptr;
    delete action_;
}

void WindowBackups::mnuBackups_Click() {
    const QString folder = QString::fromStdString(store_.folder());
    QDir().mkpath(folder);
    OpenOrShowPath(OpenFolder, folder, "The backups folder", dialogs_);
}

void WindowBackups::Keep(const PagerImage& image, const std::string& operation) {
    std::string error;
    if (!store_.Save(image, operation, &error)) dialogs_.Inform("No backup kept: " + error);
}

}  // namespace kpx::gui
