// Where the window's file dialogs open, and which folder an installed program keeps for them.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <filesystem>

#include "gui/gui_fixture.h"
#include "catalogue/startup_image.h"
#include "image/table_file.h"
#include "platform/user_settings.h"

namespace kpx::gui::testing {
namespace {

namespace fs = std::filesystem;

class DialogFolders : public WindowTest {
  protected:
    // Runs File/Open or Save As with the window's own file dialog and returns the folder the
    // dialog showed; the dialog is then cancelled.
    QString FolderOfRealDialog(bool save) {
        QString shown = "(no dialog)";
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            shown = dialog->directory().absolutePath();
            dialog->reject();
        });
        poll.start();
        if (save)
            window->TableFileSave();
        else
            window->TableFileOpen();
        return shown;
    }
    std::string WriteTable(const std::string& dir, const char* name) {
        fs::create_directories(dir);
        const std::string path = dir + "/" + name;
        EXPECT_EQ(SaveTableFile(path, BuildStartupImage(settings)), "");
        return path;
    }
    std::string Home() const { return QDir::homePath().toStdString(); }
};

TEST_F(DialogFolders, ABuildTreeOpensTheDialogsInTheProgramFolder) {
    EXPECT_EQ(window->DialogFolder(), QString::fromStdString(folder.path()));
    EXPECT_EQ(FolderOfRealDialog(false), QString::fromStdString(folder.path()));
    // Choosing a file elsewhere changes nothing here.
    const std::string other = WriteTable(folder.File("elsewhere"), "a.tbl");
    window->ChooseFile = [&](bool) { return QString::fromStdString(other); };
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(window->DialogFolder(), QString::fromStdString(folder.path()));
    EXPECT_FALSE(fs::exists(folder.File("settings.reg")));
}

TEST_F(DialogFolders, AnInstalledProgramOpensThemInTheFolderLastUsedElseHome) {
    const std::string file = folder.File("settings.reg");
    auto store = std::make_unique<UserSettings>(file);
    window->KeepDialogFolderIn(store.get());
    EXPECT_EQ(window->DialogFolder().toStdString(), Home()) << "nothing used yet";
    EXPECT_EQ(FolderOfRealDialog(false).toStdString(), Home());

    const std::string shop = folder.File("shop");
    const std::string table = WriteTable(shop, "series.tbl");
    window->ChooseFile = [&](bool) { return QString::fromStdString(table); };
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(window->DialogFolder().toStdString(), shop);

    // Save As into another folder makes that one the last used.
    const std::string out = folder.File("out");
    fs::create_directories(out);
    window->ChooseFile = [&](bool) { return QString::fromStdString(out + "/copy.tbl"); };
    ASSERT_TRUE(window->TableFileSave());
    EXPECT_EQ(window->DialogFolder().toStdString(), out);

    // The next start of the program, with the real dialog.
    window.reset();
    store = std::make_unique<UserSettings>(file);
    Start();
    window->KeepDialogFolderIn(store.get());
    EXPECT_EQ(FolderOfRealDialog(true).toStdString(), out);

    // A last folder that has gone since: home again.
    fs::remove_all(out);
    EXPECT_EQ(window->DialogFolder().toStdString(), Home());
    EXPECT_TRUE(dialogs.Texts().empty());
}

}  // namespace
}  // namespace kpx::gui::testing
