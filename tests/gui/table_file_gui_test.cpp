#include <QDir>
#include <QFile>
#include <QMimeDatabase>

#include "catalogue/startup_image.h"
#include "gui/gui_fixture.h"
#include "gui/widgets/custom_controls.h"
#include "image/table_file.h"
#include "settings/bands.h"

namespace kpx::gui::testing {
namespace {

class TableFiles : public WindowTest {
  protected:
    std::string Write(const char* name, const QByteArray& bytes) {
        const std::string path = folder.File(name);
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QByteArray StartupBytes(int size = 1024) {
        const PagerImage im = BuildStartupImage(settings);
        QByteArray b(reinterpret_cast<const char*>(im.bytes().data()), 1024);
        return b.left(size);
    }
    void Choose(const std::string& path) {
        window->ChooseFile = [path](bool) { return QString::fromStdString(path); };
    }
};

// A file cut short would put zeros over a pager's identification: File/Open refuses it with
// the format message and keeps the image; a longer file opens by its first 1024 bytes.
// The file type the package installs: a file manager knows a table by its name, or by its
// model text when it is named otherwise, and opens it with the program.
TEST_F(TableFiles, TheDesktopKnowsATableByItsNameOrItsModelText) {
    const QString packages = qEnvironmentVariable("XDG_DATA_HOME") + "/mime/packages";
    ASSERT_TRUE(QDir().mkpath(packages));
    ASSERT_TRUE(QFile::copy(KPX41_SOURCE_DIR "/dist/kpx41-programmer.xml",
                            packages + "/kpx41-programmer.xml"));
    QByteArray lowerCase = StartupBytes();
    lowerCase.replace(0x3E1, 5, "kpx41");
    const struct {
        const char* name;
        QByteArray bytes;
        bool table;
    } cases[] = {
        {"zeros.tbl", QByteArray(1024, '\0'), true},
        {"pager-copy", StartupBytes(), true},
        {"other-copy", lowerCase, false},
    };
    const QMimeDatabase types;
    for (const auto& c : cases) {
        const QString type =
            types.mimeTypeForFile(QString::fromStdString(Write(c.name, c.bytes))).name();
        EXPECT_EQ(type == "application/x-kpx41-table", c.table)
            << c.name << " " << type.toStdString();
    }
}

TEST_F(TableFiles, ShortFileIsRefusedLongerFileOpens) {
    QByteArray b = StartupBytes();
    b[0x0E9] = 2;
    const PagerImage before = window->Image();
    for (const int size : {998, 1000, 1023}) {
        dialogs.Clear();
        const std::string path = Write("short.tbl", b.left(size));
        Choose(path);
        EXPECT_FALSE(window->TableFileOpen()) << size;
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{BadFormatMessage(path)});
        EXPECT_EQ(window->Image(), before) << size;
    }
    dialogs.Clear();
    Choose(Write("long.tbl", b + QByteArray(300, 'x')));
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(Get<CtlEBSlider>("Slider1")->Value(), 2);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(TableFiles, LowerCaseModelIsRefused) {
    QByteArray b = StartupBytes();
    b.replace(0x3E1, 5, "kpx41");
    const std::string path = Write("lower.tbl", b);
    Choose(path);
    const PagerImage before = window->Image();
    const QString caption = window->windowTitle();
    EXPECT_FALSE(window->TableFileOpen());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"The [" + path +
                                                        "] is not correct format, the file will "
                                                        "discard !"});
    EXPECT_EQ(window->Image(), before);
    EXPECT_EQ(window->windowTitle(), caption);
}

// Save after a refused Open writes to the table that was open before, never over the refused
// file: a photo or a text file chosen by mistake stays as it was.
TEST_F(TableFiles, SaveAfterARefusedOpenLeavesTheRefusedFileAlone) {
    const std::string table = Write("table.tbl", StartupBytes());
    Choose(table);
    ASSERT_TRUE(window->TableFileOpen());
    const QByteArray photo("\xFF\xD8\xFF\xE0 not a table");
    const QByteArray text("shopping list\n");
    for (const auto& [name, bytes] : {std::pair{"photo.jpg", photo}, std::pair{"notes.txt", text},
                                      std::pair{"short.tbl", StartupBytes(0x3E3)}}) {
        const std::string refused = Write(name, bytes);
        Choose(refused);
        dialogs.Clear();
        EXPECT_FALSE(window->TableFileOpen()) << name;
        EXPECT_EQ(dialogs.Texts().size(), 1u) << name;
        EXPECT_EQ(window->State().currentTablePath.toStdString(), table) << name;
        window->mnuSBTF_Click();  // Ctrl+S
        QFile f(QString::fromStdString(refused));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        EXPECT_EQ(f.readAll(), bytes) << name << " was overwritten";
        EXPECT_EQ(window->windowTitle().toStdString(),
                  "Brightwater KPX41 Basic(USB) V01.2 - [" + table + "]")
            << name;
    }
    // A file that cannot be read, and one that is not there, leave it as well.
    for (const std::string& failed : {folder.path(), folder.File("gone.tbl")}) {
        Choose(failed);
        EXPECT_FALSE(window->TableFileOpen()) << failed;
        EXPECT_EQ(window->State().currentTablePath.toStdString(), table) << failed;
    }
    EXPECT_EQ(QFile(QString::fromStdString(table)).size(), 1024);
}

TEST_F(TableFiles, MissingFileIsReported) {
    Choose(folder.File("nothing.tbl"));
    EXPECT_FALSE(window->TableFileOpen());
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"This file is not exit!"});
}

TEST_F(TableFiles, GpMarkerSelectsTheGpBand) {
    QByteArray b = StartupBytes();
    b[0x3F8] = static_cast<char>(0xAA);
    b[0x390] = 4;  // the digit does not count with the marker
    Choose(Write("gp.tbl", b));
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentText(), "130-180MHz-GP(RoHS)");
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(4)")->isHidden());
    EXPECT_FALSE(window->State().RefreshingControls);
}

TEST_F(TableFiles, CaptionHoldsOneBracketedPath) {
    Choose(Write("first.tbl", StartupBytes()));
    ASSERT_TRUE(window->TableFileOpen());
    const std::string second = folder.File("second.tbl");
    Choose(second);
    ASSERT_TRUE(window->TableFileSave());
    EXPECT_EQ(window->windowTitle().toStdString(),
              "Brightwater KPX41 Basic(USB) V01.2 - [" + second + "]");
    // Saved and reopened: the same 1024 bytes.
    const PagerImage saved = window->Image();
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(window->Image(), saved);
    EXPECT_EQ(QFile(QString::fromStdString(second)).size(), 1024);
}

TEST_F(TableFiles, SaveAsAsksBeforeOverwriting) {
    const std::string path = Write("exists.tbl", QByteArray(10, 'a'));
    Choose(path);
    dialogs.AnswerNext(DialogAnswer::No);
    EXPECT_FALSE(window->TableFileSave());
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{
                  "This file is arealy exist ! \r\nAre you sure overwrite this file?"});
    EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 10);
    dialogs.AnswerNext(DialogAnswer::Yes);
    EXPECT_TRUE(window->TableFileSave());
    EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 1024);
}

TEST_F(TableFiles, FailedSaveSaysSoAndNamesTheFile) {
    const std::string path = folder.File("no-such-folder/x.tbl");
    Choose(path);
    const QString caption = window->windowTitle();
    EXPECT_FALSE(window->TableFileSave());
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_NE(dialogs.Texts()[0].find("x.tbl"), std::string::npos) << dialogs.Texts()[0];
    EXPECT_EQ(window->windowTitle(), caption);
}

TEST_F(TableFiles, FailedOpenSaysSoAndNamesTheFile) {
    Choose(folder.path());  // a folder: it exists but cannot be read as a file
    const PagerImage before = window->Image();
    EXPECT_FALSE(window->TableFileOpen());
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_NE(dialogs.Texts()[0].find(folder.path()), std::string::npos) << dialogs.Texts()[0];
    EXPECT_EQ(window->Image(), before);
}

TEST_F(TableFiles, CancelEndsQuietly) {
    window->ChooseFile = [](bool) { return QString(); };
    EXPECT_FALSE(window->TableFileOpen());
    EXPECT_FALSE(window->TableFileSave());
    EXPECT_TRUE(dialogs.Texts().empty());
}

}  // namespace
}  // namespace kpx::gui::testing
