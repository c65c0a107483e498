// The window's table files: File/Open, Save and Save As, and the caption that names the file.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "catalogue/open_table.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/main_window.h"
#include "gui/recent_files.h"
#include "image/table_file.h"
#include "platform/data_dirs.h"
#include "platform/user_settings.h"
#include "settings/bands.h"

namespace kpx::gui {

namespace {

// The refresh after an open shows the handlers' messages itself.
class QuietDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string&, DialogButtons, DialogIcon) override {
        return DialogAnswer::Ok;
    }
};

}  // namespace

// ---------------------------------------------------------------- table files

void MainWindow::UpdateCaption(const QString& path) {
    setWindowTitle(FromCp1252(CaptionWithPath(ToCp1252(windowTitle()), ToCp1252(path))));
}

void MainWindow::KeepDialogFolderIn(UserSettings* store) {
    folderStore_ = store;
    recent_->KeepIn(store);
}

QString MainWindow::DialogFolder() const {
    if (!folderStore_) return programFolder_;
    const QString last = QFile::decodeName(folderStore_->LastFolder().c_str());
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QFile::decodeName(HomeFolder().c_str());
}

void MainWindow::NoteDialogFolder(const QString& chosen) {
    if (!folderStore_) return;
    const QString folder = QFileInfo(chosen).absolutePath();
    if (QFileInfo(folder).isDir())
        folderStore_->SetLastFolder(QFile::encodeName(folder).toStdString());
}

bool MainWindow::TableFileOpen() {
    if (state_.useCurrentPath) return OpenTable(state_.currentTablePath);
    const QString path = ChooseFile(false);
    if (path.isEmpty()) return false;  // cancel ends the command quietly
    NoteDialogFolder(path);
    return OpenFile(path);
}

bool MainWindow::OpenFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        dialogs_.Inform(kFileNotExist);
        return false;
    }
    return OpenTable(path);
}

bool MainWindow::OpenTable(const QString& path) {
    const TableFileLoad load = LoadTableFile(QFile::encodeName(path).toStdString());
    if (load.status != TableFileStatus::Ok) {
        dialogs_.Inform(load.status == TableFileStatus::BadFormat ? BadFormatMessage(ToCp1252(path))
                                                                  : load.message);
        return false;
    }
    // Only a file that opened becomes the one Save writes: Ctrl+S after a refused photo or
    // text file must not write the image over it.
    state_.currentTablePath = path;
    // The bytes the refresh's handlers write back are written here, whatever the controls
    // showed before, so a file gives the same image here as on the command line.
    QuietDialogs quiet;
    if (BeforeImageReplaced) BeforeImageReplaced();
    image_ = OpenImageAsWindow(load.bytes, settings_, quiet);
    RefreshFromNewImage();
    UpdateCaption(path);
    FileUsed(path);
    return true;
}

bool MainWindow::EntryAccepted() {
    TabBackground()->setFocus();
    QCoreApplication::processEvents();
    if (!state_.validationFailed) return true;
    state_.validationFailed = false;
    return false;
}

bool MainWindow::TableFileSave() {
    // As the Pager commands do: a half-typed frequency is validated first, and a refused one
    // would otherwise be shown in the box but not saved.
    if (!EntryAccepted()) return false;
    QString path;
    if (state_.useCurrentPath) {
        path = state_.currentTablePath;
    } else {
        path = ChooseFile(true);
        if (path.isEmpty()) return false;
        if (QFileInfo(path).suffix().isEmpty()) path += ".tbl";
        NoteDialogFolder(path);
        if (QFileInfo::exists(path) && !dialogs_.AskYesNo(kFileExistsQuestion)) return false;
        state_.currentTablePath = path;
    }
    const std::string error = SaveTableFile(QFile::encodeName(path).toStdString(), image_);
    if (!error.empty()) {
        dialogs_.Warn(error);
        return false;
    }
    UpdateCaption(path);
    FileUsed(path);
    return true;
}

void MainWindow::FileUsed(const QString& path) {
    // A chosen file, not the one Save or the start-up writes and reads without asking.
    if (!state_.useCurrentPath) recent_->Add(path);
    if (ImageHeld) ImageHeld();
}

void MainWindow::mnuSBTF_Click() {
    state_.useCurrentPath = true;
    TableFileSave();
    state_.useCurrentPath = false;
}

}  // namespace kpx::gui
