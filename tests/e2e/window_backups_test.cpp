// The window's backups against the board simulator: every read and every write leaves a table
// file in the backup folder, the File menu opens the folder, old backups go at start.
#include "gui/window_backups.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <filesystem>
#include <fstream>

#include "gui/board_window_fixture.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "settings/capcode.h"

namespace kpx::gui::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

class WindowBackupsTest : public BoardWindowTest {
  protected:
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(backupDir.path())) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    kpx::testing::TempDir backupDir;
    WallClock::time_point now = sys_days(year(2026) / 3 / 4) + hours(5);
    BackupStore store{backupDir.path(), [this] { return now; }};
};

TEST_F(WindowBackupsTest, ReadAndWriteLeaveBackupsAndTheMenuOpensTheirFolder) {
    // A backup from more than a year ago goes when the window starts; a younger one stays.
    const std::string old = backupDir.File("20250303_050000_read_1234567.tbl");
    const std::string young = backupDir.File("20250305_050000_read_1234567.tbl");
    ASSERT_EQ(SaveTableFile(old, BuildDefaultImage()), "");
    ASSERT_EQ(SaveTableFile(young, BuildDefaultImage()), "");

    PlugInBoard();
    StartWindow();
    WindowBackups backups(*window, *link, store, dialogs);
    EXPECT_EQ(Names(), std::vector<std::string>{"20250305_050000_read_1234567.tbl"});
    window->Timer1_Timer();

    StoreCapcode(window->Image(), 0, 777);
    window->init_ctl();
    SelectWriteMode();
    window->mnuEB_Click();
    now += seconds(30);
    window->mnuEntire_Click();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Verify Success!", "Read success!"}));

    const auto names = Names();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[1], "20260304_050000_write_0000777.tbl");
    EXPECT_EQ(names[2], "20260304_050030_read_0000777.tbl");
    // Both hold the window's image in its own characters, as a table file would.
    for (const std::string& name : {names[1], names[2]}) {
        const TableFileLoad load = LoadTableFile(backupDir.File(name));
        ASSERT_EQ(load.status, TableFileStatus::Ok) << name;
        EXPECT_TRUE(PagerImage(load.bytes) == window->Image()) << name;
    }

    QString opened;
    backups.OpenFolder = [&](const QString& folder) {
        opened = folder;
        return true;
    };
    auto* entry = window->findChild<QAction*>("mnuBackups");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text(), "Open Backups Folder");
    const auto actions = window->findChild<QMenu*>("mnuFile")->actions();
    const auto at = std::find(actions.begin(), actions.end(), entry);
    ASSERT_NE(at, actions.end());
    EXPECT_EQ((*(at + 1))->objectName(), "mnudash");  // just above Exit
    entry->trigger();
    EXPECT_EQ(opened.toStdString(), backupDir.path());
    // Where no file manager starts, the folder is named in a message box.
    backups.OpenFolder = [](const QString&) { return false; };
    dialogs.Clear();
    entry->trigger();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{
                                   "The backups folder could not be shown here; it is at\n" +
                                   backupDir.path()});
}

}  // namespace
}  // namespace kpx::gui::testing
