#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <iostream>

#include "catalogue/startup_image.h"
#include "gui/gui_fixture.h"
#include "gui/help_manual.h"
#include "gui/programmer.h"
#include "gui/widgets/custom_controls.h"
#include "image/table_file.h"
#include "settings/bands.h"
#include "settings/frequency.h"

namespace kpx::gui::testing {
namespace {

using StartUp = WindowTest;

TEST_F(StartUp, ShowsTheDefaultImage) {
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentText(), "130-180MHz");
    EXPECT_EQ(Get<QComboBox>("cboCtl(9)")->currentText(), "1200 bps");
    EXPECT_EQ(Get<CtlEBSlider>("Slider1")->Value(), 4);
    EXPECT_EQ(Get<QLabel>("lblValue")->text(), "4");
    EXPECT_EQ(Row("cboTone"), 0);
    EXPECT_EQ(Text("txtPrompt(0)"), "     ZENTRA");
    EXPECT_EQ(Byte(0x100) & 0x0F, 5);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(Get<QCheckBox>(("chkMenu(" + std::to_string(i) + ")").c_str())->isChecked());
    }
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(Get<QCheckBox>(("chkCtl(" + std::to_string(10 + k) + ")").c_str())->isChecked(),
                  k == 0);
    }
    EXPECT_EQ(window->windowTitle(), "Brightwater KPX41 Basic(USB) V01.2");
    EXPECT_EQ(Text("txtAddr(0)"), "1234567");
    EXPECT_EQ(Text("txtFreq"), "15300000");
    EXPECT_EQ(Get<QLabel>("lblPLLN")->text(), "CDA0");
    EXPECT_EQ(Get<QLabel>("lblPLLR")->text(), "2801");
    EXPECT_EQ(Get<QLabel>("lblCHANNEL(0)")->text(), "5KHz");
    EXPECT_EQ(Get<QLabel>("lblMUTL")->text(), "2");
    EXPECT_EQ(Word(0x39B), 0x00CDA0u);
    EXPECT_EQ(Word(0x398), 0x002801u);
    EXPECT_FALSE(window->State().contrastChanged);
    EXPECT_FALSE(Get<QMenu>("mnuPager")->isEnabled());
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_EQ(window->Image(), BuildStartupImage(settings)) << "the library's start-up image";
}

TEST_F(StartUp, SaveRightAfterStartWritesTheStartupImage) {
    window->mnuSBTF_Click();
    const TableFileLoad saved = LoadTableFile(folder.File("default.tbl"));
    ASSERT_EQ(saved.status, TableFileStatus::Ok);
    EXPECT_EQ(PagerImage(saved.bytes), BuildStartupImage(settings));
    EXPECT_EQ(window->windowTitle(), QString("Brightwater KPX41 Basic(USB) V01.2 - [") +
                                         QString::fromStdString(folder.File("default.tbl")) + "]");
}

TEST_F(StartUp, LoadsDefaultTblFromTheProgramFolder) {
    PagerImage im = BuildStartupImage(settings);
    im.set(0x0E9, 7);
    im.set(0x362, 0x88);
    ASSERT_EQ(SaveTableFile(folder.File("default.tbl"), im), "");
    window.reset();
    Start();
    EXPECT_EQ(Get<CtlEBSlider>("Slider1")->Value(), 7);
    EXPECT_EQ(Text("txtAddr(0)"), "1234568");
    EXPECT_TRUE(window->windowTitle().endsWith(
        " - [" + QString::fromStdString(folder.File("default.tbl")) + "]"));
    EXPECT_FALSE(window->State().contrastChanged);
}

TEST_F(StartUp, BadDefaultTblIsReportedAndTheDefaultStays) {
    QFile f(QString::fromStdString(folder.File("default.tbl")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1024, 'x'));
    f.close();
    window.reset();
    dialogs.Clear();
    Start();
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0], BadFormatMessage(folder.File("default.tbl")));
    EXPECT_EQ(window->Image(), BuildStartupImage(settings));
}

using PagerMenu = WindowTest;

TEST_F(PagerMenu, CheckBoxesWriteTheMenuList) {
    Get<QCheckBox>("chkMenu(3)")->setChecked(true);
    Get<QCheckBox>("chkMenu(6)")->setChecked(true);
    const std::uint8_t expect[] = {0xFF, 0xFF, 0x10, 0x11, 0x12, 0x14, 0x15};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Byte(0x0C0 + i), expect[i]);
    window->init_ctl();
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Get<QCheckBox>(("chkMenu(" + std::to_string(i) + ")").c_str())->isChecked(),
                  i == 3 || i == 6);
    }
    EXPECT_TRUE(Get<QComboBox>("cboTone")->isHidden());
    for (int i = 0; i < 7; ++i) {
        Get<QCheckBox>(("chkMenu(" + std::to_string(i) + ")").c_str())->setChecked(true);
    }
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Byte(0x0C0 + i), 0xFF);
    EXPECT_FALSE(Get<QComboBox>("cboTone")->isHidden());
}

using TaggedControls = WindowTest;

TEST_F(TaggedControls, BaudListAndInvertedCheckBox) {
    window->Image().SetBits(0x375, 4, 0, 2);
    window->init_ctl();
    EXPECT_EQ(Row("cboCtl(9)"), -1) << "code 0 selects no row";
    Get<QComboBox>("cboCtl(9)")->setCurrentIndex(2);
    EXPECT_EQ(window->Image().GetBits(0x375, 4, 2), 3);
    EXPECT_EQ(Byte(0x372), 2);
    EXPECT_EQ(Byte(0x373), 17);
    Get<QComboBox>("cboCtl(9)")->setCurrentIndex(0);
    EXPECT_EQ(Byte(0x372), 5);
    EXPECT_EQ(Byte(0x373), 0x1F);

    auto* dispSource = Get<QCheckBox>("chkCtl(0)");  // chkN on 0x39 bit 7
    window->Image().SetBits(0x39, 7, 0, 1);
    window->init_ctl();
    EXPECT_TRUE(dispSource->isChecked());
    dispSource->setChecked(false);
    EXPECT_EQ(window->Image().GetBits(0x39, 7, 1), 1);
    dispSource->setChecked(true);
    EXPECT_EQ(window->Image().GetBits(0x39, 7, 1), 0);
}

TEST_F(TaggedControls, SideEffectsAndVisibility) {
    auto* lamp = Get<QCheckBox>("chkCtl(17)");
    lamp->setChecked(true);
    EXPECT_EQ(Byte(0x35A), 0x10);
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(3)")->isHidden());
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(21)")->isHidden());
    lamp->setChecked(false);
    EXPECT_EQ(Byte(0x35A), 0x20);
    EXPECT_TRUE(Get<QCheckBox>("chkCtl(3)")->isHidden());
    Get<QComboBox>("cboCtl(3)")->setCurrentIndex(1);
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(20)")->isHidden());
    Get<QComboBox>("cboCtl(3)")->setCurrentIndex(0);
    EXPECT_TRUE(Get<QCheckBox>("chkCtl(20)")->isHidden());
    // The capcode ON box switches the enable flag only.
    Get<QCheckBox>("chkCtl(10)")->setChecked(false);
    EXPECT_EQ(Byte(0x360), 0x12);
    EXPECT_EQ(Text("txtAddr(0)"), "1234567");
}

using Modes = WindowTest;

TEST_F(Modes, WriteModeDisablesEditingAndSpaceWrites) {
    int writes = 0;
    window->ShowProgrammingDialog = [&](int op) {
        EXPECT_EQ(op, 1);
        ++writes;
    };
    window->SetPagerMenuEnabled(true);  // the board is there
    Get<QRadioButton>("WriteOpt")->setChecked(true);
    EXPECT_FALSE(Get<QLineEdit>("txtFreq")->isEnabled());
    EXPECT_FALSE(Get<QComboBox>("cboDft")->isEnabled());
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(17)")->isEnabled());
    EXPECT_FALSE(Get<QCheckBox>("optAuto1")->isEnabled());
    EXPECT_TRUE(Get<CtlEBSlider>("Slider1")->isHidden());
    QTest::keyClick(Get<QWidget>("picTabBack"), Qt::Key_Space);
    EXPECT_EQ(writes, 1);
    auto* writeOpt = Get<QRadioButton>("WriteOpt");
    writeOpt->setFocus();
    QTest::keyClick(writeOpt, Qt::Key_Space);
    EXPECT_EQ(writes, 2);
    EXPECT_TRUE(writeOpt->hasFocus());

    Get<QRadioButton>("ModifyOpt")->setChecked(true);
    EXPECT_TRUE(Get<QLineEdit>("txtFreq")->isEnabled());
    EXPECT_FALSE(Get<CtlEBSlider>("Slider1")->isHidden());
    QTest::keyClick(Get<QWidget>("picTabBack"), Qt::Key_Space);
    EXPECT_EQ(writes, 2) << "Space writes only in Write Mode";
}

// With no board (the Pager menu disabled), or while a probe or a transfer is on the port,
// Space in Write Mode starts nothing; the key is still taken.
TEST_F(Modes, SpaceWritesOnlyWithTheBoardThereAndTheLinkIdle) {
    int writes = 0;
    window->ShowProgrammingDialog = [&](int) { ++writes; };
    bool busy = false;
    window->LinkBusy = [&] { return busy; };
    Get<QRadioButton>("WriteOpt")->setChecked(true);
    const struct {
        bool menu, busy;
        int writes;
    } cases[] = {{false, false, 0}, {true, true, 0}, {false, true, 0}, {true, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.menu) + std::to_string(c.busy));
        window->SetPagerMenuEnabled(c.menu);
        busy = c.busy;
        writes = 0;
        QTest::keyClick(Get<QWidget>("picTabBack"), Qt::Key_Space);
        EXPECT_EQ(writes, c.writes);
    }
}

TEST_F(Modes, RefusedFrequencyCancelsThePagerCommand) {
    int runs = 0;
    window->ShowProgrammingDialog = [&](int) { ++runs; };
    auto* box = Get<QLineEdit>("txtFreq");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(box, "19000000");
    window->mnuEB_Click();  // leaves the box first, which refuses the value
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(window->State().validationFailed) << "the command lowers the flag it found";
    EXPECT_EQ(window->State().ProgramOperation, 1);
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts()[0], "Frequency setting error(13000000 < = Frequency < =18000000 )");
    window->mnuEB1_Click();
    EXPECT_EQ(runs, 1);
}

TEST_F(Modes, TabStripShowsTwoButtons) {
    window->EMoptStatus_Click();
    EXPECT_TRUE(Get<QWidget>("EMoptStatus")->isHidden());
    EXPECT_FALSE(Get<QWidget>("EMoptCode")->isHidden());
    EXPECT_TRUE(Get<QWidget>("picSet2")->isVisible());
    window->EMoptPrompts_Click();
    EXPECT_TRUE(Get<QWidget>("EMoptPrompts")->isHidden());
    EXPECT_TRUE(Get<QWidget>("picSet5")->isVisible());
    window->EMoptCode_Click();
    EXPECT_TRUE(Get<QWidget>("picSet1")->isVisible());
}

TEST_F(Modes, ContrastSlider) {
    auto* slider = Get<CtlEBSlider>("Slider1");
    slider->SetValue(6);
    EXPECT_EQ(Byte(0x0E9), 6);
    EXPECT_EQ(Get<QLabel>("lblValue")->text(), "6");
    EXPECT_TRUE(window->State().contrastChanged);
    EXPECT_EQ(Get<QLabel>("lblContrast")->palette().color(QPalette::WindowText),
              QColor(20, 20, 20));
}

TEST_F(Modes, FontsScaleWithTheWindow) {
    const double before = window->centralWidget()->font().pointSizeF();
    window->resize(window->width() * 2, window->height() * 2);
    QApplication::processEvents();
    EXPECT_GT(window->centralWidget()->font().pointSizeF(), before * 1.5);
}

}  // namespace
}  // namespace kpx::gui::testing

#include <QProcess>

namespace kpx::gui::testing {
namespace {

TEST_F(StartUp, CliNewWritesWhatSaveWritesAfterStart) {
    const std::string saved = folder.File("gui.tbl");
    window->ChooseFile = [&](bool) { return QString::fromStdString(saved); };
    ASSERT_TRUE(window->TableFileSave());
    const std::string made = folder.File("cli.tbl");
    QProcess cli;
    cli.start(QString(KPX41_BIN_DIR) + "/kpx41", {"new", QString::fromStdString(made)});
    ASSERT_TRUE(cli.waitForFinished(10000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    QFile a(QString::fromStdString(saved));
    QFile b(QString::fromStdString(made));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    const QByteArray guiBytes = a.readAll();
    EXPECT_EQ(guiBytes.size(), 1024);
    EXPECT_EQ(guiBytes, b.readAll());
}

}  // namespace
}  // namespace kpx::gui::testing

namespace kpx::gui::testing {
namespace {

TEST_F(Modes, PagerShortcutsFollowTheMenu) {
    std::vector<int> ops;
    window->ShowProgrammingDialog = [&](int op) { ops.push_back(op); };
    QTest::keyClick(window.get(), Qt::Key_F4);
    EXPECT_TRUE(ops.empty()) << "disabled until the board is seen";
    window->SetPagerMenuEnabled(true);
    EXPECT_TRUE(Get<QMenu>("mnuPager")->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_F3);
    QTest::keyClick(window.get(), Qt::Key_F4);
    QTest::keyClick(window.get(), Qt::Key_F9);
    EXPECT_EQ(ops, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(window->findChild<QAction*>("mnuEB1")->text(), "Verfy");
    // The station follows the three transfers.
    QStringList items;
    for (QAction* a : Get<QMenu>("mnuPager")->actions()) {
        if (!a->isSeparator()) items << a->text();
    }
    EXPECT_EQ(items, (QStringList{"Read", "Write", "Verfy", "Production Station..."}));
    int opened = 0;
    window->ShowProductionStation = [&] { ++opened; };
    window->findChild<QAction*>("mnuStation")->trigger();
    EXPECT_EQ(opened, 1);
}

using Edit = WindowTest;

// Each user change is one step of Undo and Redo; the window shows the restored image, and a
// box being edited keeps Ctrl+Z for itself.
TEST_F(Edit, UndoAndRedoStepThroughTheUsersChanges) {
    QStringList menus;
    for (QAction* a : window->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"File", "Edit", "Pager", "Help"}));
    auto undo = [&] { QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier); };
    auto redo = [&] { QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier); };
    const PagerImage start = window->Image();
    QTest::mouseClick(Get<QCheckBox>("chkCtl(11)"), Qt::LeftButton);
    QApplication::processEvents();
    const PagerImage switched = window->Image();
    ASSERT_NE(switched, start);
    Enter("txtAddr(1)", "42");
    ASSERT_EQ(Text("txtAddr(1)"), "0000042");

    undo();
    EXPECT_EQ(Text("txtAddr(1)"), "1234560");
    EXPECT_EQ(window->Image(), switched);
    undo();
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(11)")->isChecked());
    EXPECT_EQ(window->Image(), start);
    undo();
    EXPECT_EQ(window->Image(), start) << "nothing before the start";
    redo();
    redo();
    EXPECT_EQ(Text("txtAddr(1)"), "0000042");
    EXPECT_TRUE(Get<QCheckBox>("chkCtl(11)")->isChecked());

    const PagerImage done = window->Image();
    auto* box = Get<QLineEdit>("txtAddr(2)");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(box, "99");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(box->text(), "99") << "the box undid its typing";
    EXPECT_EQ(window->Image(), done);
    Get<QWidget>("picTabBack")->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();

    // At least 100 steps back.
    for (int i = 0; i < 102; ++i) {
        QTest::mouseClick(Get<QCheckBox>("chkCtl(12)"), Qt::LeftButton);
        QApplication::processEvents();
    }
    auto* undoAction = window->findChild<QAction*>("mnuUndo");
    int steps = 0;
    for (; undoAction->isEnabled() && steps < 200; ++steps) undoAction->trigger();
    EXPECT_EQ(steps, 100);
    EXPECT_TRUE(dialogs.Texts().empty());
}

// Help / "Manual" opens the documentation; where nothing can show it, a message box names it.
TEST_F(Edit, ManualOpensTheDocumentationOrNamesIt) {
    auto* manual = window->findChild<HelpManual*>();
    ASSERT_NE(manual, nullptr);
    QString opened;
    manual->Open = [&](const QString& path) {
        opened = path;
        return !path.isEmpty();
    };
    window->findChild<QAction*>("mnuManual")->trigger();
    EXPECT_TRUE(QFile::exists(opened)) << opened.toStdString() << " (the source tree's docs)";
    EXPECT_TRUE(dialogs.Texts().empty());
    manual->Open = [](const QString&) { return false; };
    window->findChild<QAction*>("mnuManual")->trigger();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"The manual could not be shown here; it "
                                                        "is at\n" +
                                                        opened.toStdString()});
}

// `kpx41-programmer FILE` opens FILE after the start-up, as File/Open does.
TEST_F(StartUp, AFileGivenToTheProgramOpensAsFileOpenDoes) {
    PagerImage im = BuildStartupImage(settings);
    im.set(0x0E9, 6);
    ASSERT_EQ(SaveTableFile(folder.File("given.tbl"), im), "");
    window.reset();
    Programmer programmer(settings, dialogs, QString::fromStdString(folder.path()), 0, 100000);
    const QByteArray given = QFile::encodeName(QString::fromStdString(folder.File("given.tbl")));
    std::vector<QByteArray> args = {"kpx41-programmer", "--screenshot", "dir", given};
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    OpenFileArgument(programmer, static_cast<int>(argv.size()), argv.data());
    programmer.Start();
    MainWindow& w = programmer.Window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.LoadFinished(); }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(w.Image().at(0x0E9), 6);
    EXPECT_EQ(w.State().currentTablePath.toStdString(), folder.File("given.tbl"));
    EXPECT_EQ(w.windowTitle().toStdString(),
              "Brightwater KPX41 Basic(USB) V01.2 - [" + folder.File("given.tbl") + "]");
    EXPECT_TRUE(dialogs.Texts().empty());
}

}  // namespace
}  // namespace kpx::gui::testing
