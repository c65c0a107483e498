// Settings made in the window reach the pager: set through the controls, saved, reopened from
// the file and written to the simulated board.
#include <gtest/gtest.h>

#include "gui/board_window_fixture.h"
#include "gui/modal.h"
#include "image/charmap.h"
#include "image/table_file.h"

namespace kpx::gui::testing {
namespace {

TEST_F(BoardWindowTest, SettingsSavedAndReopenedAreWhatThePagerReceives) {
    PlugInBoard();
    StartWindow();
    window->Timer1_Timer();
    ASSERT_TRUE(PagerMenuEnabled());

    window->EMoptStatus_Click();
    Get<QCheckBox>("chkMenu(0)")->click();
    Pick(Get<QComboBox>("cboTone"), 4);
    Pick(Get<QComboBox>("cboSLC"), 2);
    Pick(Get<QComboBox>("cboORC"), 4);
    Pick(Get<QComboBox>("cboBatLev(1)"), 5);
    auto* pass = Get<QLineEdit>("txtPass(0)");
    pass->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(pass, "3141");
    QTest::keyClick(pass, Qt::Key_Return);
    window->EMoptCode_Click();
    QWidget* page = Get<QWidget>("picSet1");
    WhileModal([&] { In<QPushButton>(*page, "cmdFunc(3)")->click(); },
               [](QDialog& f) {
                   Pick(In<QComboBox>(f, "cboDisp(1)"), 4);
                   Pick(In<QComboBox>(f, "cboType(3)"), 15);
                   In<QCheckBox>(f, "chkPri(0)")->click();
               });
    WhileModal([&] { Get<QPushButton>("cmdAlert")->click(); },
               [](QDialog& f) {
                   Pick(In<QComboBox>(f, "cboMailAler(4)"), 3);
                   Pick(In<QComboBox>(f, "cboHis(4)"), 6);
                   Pick(In<QComboBox>(f, "cboMem(14)"), 4);
               });
    const std::string path = folder.File("settings.tbl");
    window->ChooseFile = [path](bool) { return QString::fromStdString(path); };
    ASSERT_TRUE(window->TableFileSave());
    const PagerImage set = window->Image();
    window->Image() = PagerImage();
    ASSERT_TRUE(window->TableFileOpen());
    ASSERT_TRUE(window->Image() == set);

    dialogs.Clear();
    SelectWriteMode();
    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    const sim::BoardMemory pager = Memory();
    struct Expect {
        int address;
        int value;
    } expected[] = {{0x0F7, 0x20}, {0x382, 134},  {0x37C, 3},  {0x37D, 1}, {0x37E, 4},
                    {0x37F, 1},    {0x35F, 0xFF}, {0x0D5, 16}, {0x013, 7}, {0x00A, 112}};
    for (const Expect& e : expected) EXPECT_EQ(pager[e.address], e.value) << e.address;
    EXPECT_EQ(pager[0x03C] & 0x0F, 0x09);
    EXPECT_EQ(pager[0x03D] & 0x0E, 0x0E);
    EXPECT_EQ(pager[0x0EE] & 0x0F, 4);
    EXPECT_EQ(pager[0x38F] & 0x80, 0x80);
    EXPECT_EQ(pager[0x037] & 0x08, 0x08);
}

}  // namespace
}  // namespace kpx::gui::testing
