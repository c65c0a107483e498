#include <QLabel>

#include "catalogue/startup_image.h"
#include "gui/gui_fixture.h"
#include "gui/modal.h"
#include "gui/widgets/custom_controls.h"
#include "image/table_file.h"
#include "settings/alerts.h"
#include "settings/frequency.h"

namespace kpx::gui::testing {
namespace {

class StatusPageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->EMoptStatus_Click();
        QApplication::processEvents();
        dialogs.Clear();
    }
    std::array<int, 4> Digits(int a) { return {Byte(a), Byte(a + 1), Byte(a + 2), Byte(a + 3)}; }
    void Focus(QWidget* w) {
        w->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void Leave() { Focus(Get<QWidget>("picTabBack")); }
    // Saves `im` as a table file and opens it as File / Open does.
    void Open(const PagerImage& im) {
        const std::string path = folder.File("loaded.tbl");
        ASSERT_EQ(SaveTableFile(path, im), "");
        window->ChooseFile = [path](bool) { return QString::fromStdString(path); };
        ASSERT_TRUE(window->TableFileOpen());
    }
};

TEST_F(StatusPageTest, PasswordTypedDigitByDigit) {
    auto* box = Get<QLineEdit>("txtPass(0)");
    EXPECT_EQ(box->text(), "0000");
    EXPECT_EQ(box->maxLength(), 4);
    EXPECT_EQ(Get<QLabel>("Label6(7)")->text(), "Password(4 Dec)");
    Focus(box);
    EXPECT_EQ(box->text(), "") << "getting the focus empties the box";
    const char digits[] = "4207";
    const std::array<int, 4> after[] = {{0, 0, 0, 4}, {0, 0, 4, 2}, {0, 4, 2, 0}, {4, 2, 0, 7}};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(box, digits[i]);
        EXPECT_EQ(Digits(0x37C), after[i]) << "after key " << i;
    }
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(Get<QWidget>("picTabBack")->hasFocus()) << "Enter ends the entry";
    EXPECT_EQ(box->text(), "4207");

    // Two digits and leaving: two zero digits in front.
    Focus(box);
    QTest::keyClicks(box, "12");
    Leave();
    EXPECT_EQ(box->text(), "0012");
    EXPECT_EQ(Digits(0x37C), (std::array<int, 4>{0, 0, 1, 2}));

    // Clicking in and leaving shows the stored code again and changes nothing.
    const PagerImage before = window->Image();
    Focus(box);
    Leave();
    EXPECT_EQ(box->text(), "0012");
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(StatusPageTest, MessagePasswordFollowsReadMsgPwAndRefusesWhatIsNotDigits) {
    auto* box = Get<QLineEdit>("txtPass(1)");
    auto* readPw = Get<QCheckBox>("chkCtl(22)");
    EXPECT_FALSE(readPw->isChecked());
    EXPECT_TRUE(box->isHidden());
    readPw->click();
    EXPECT_EQ(Byte(0x046) & 0x40, 0x40);
    EXPECT_FALSE(box->isHidden());
    EXPECT_EQ(box->text(), "1234");

    Focus(box);
    QTest::keyClick(box, '1');
    EXPECT_EQ(Digits(0x06B), (std::array<int, 4>{0, 0, 0, 1}));
    QTest::keyClick(box, '.');  // "1." reads as a number but not as digits
    ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kNotDecimalNumeric});
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Warning);
    EXPECT_EQ(Digits(0x06B), (std::array<int, 4>{0, 0, 0, 1}));
    EXPECT_EQ(box->text(), "0001");
    QApplication::processEvents();
    EXPECT_TRUE(box->hasFocus());

    dialogs.Clear();
    box->clear();
    QTest::keyClick(box, 'x');
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{kNotDecimalNumeric});
    EXPECT_EQ(Digits(0x06B), (std::array<int, 4>{0, 0, 0, 1}));
    Leave();

    readPw->click();
    EXPECT_TRUE(box->isHidden());
    window->init_ctl();
    EXPECT_TRUE(box->isHidden());
}

TEST_F(StatusPageTest, ToneLockoutReminderAndBatteryListsWriteTheirCodes) {
    auto* tone = Get<QComboBox>("cboTone");
    EXPECT_TRUE(tone->isHidden());
    Get<QCheckBox>("chkMenu(0)")->click();
    EXPECT_FALSE(tone->isHidden()) << "the tone is fixed here once the pager's menu is off";
    EXPECT_EQ(tone->count(), 5);
    Pick(tone, 2);
    EXPECT_EQ(Byte(0x0F7), 6);
    Pick(tone, 4);
    EXPECT_EQ(Byte(0x0F7), 0x20);
    Pick(tone, 0);
    EXPECT_EQ(Byte(0x0F7), 1);

    auto* slc = Get<QComboBox>("cboSLC");
    window->Image().set(0x3C, static_cast<std::uint8_t>((Byte(0x3C) & 0xF0) | 0x09));
    window->init_ctl();
    EXPECT_EQ(slc->currentText(), "60 seconds");
    Pick(slc, 5);
    EXPECT_EQ(Byte(0x3C) & 0x0F, 0x0D);
    Pick(slc, 0);
    EXPECT_EQ(Byte(0x3C) & 0x0F, 0x01);
    EXPECT_EQ(Byte(0x3C) & 0xF0, 0x40) << "the tagged bits stay";

    auto* orc = Get<QComboBox>("cboORC");
    Pick(orc, 3);  // "5 min"
    EXPECT_EQ(Byte(0x3D) & 0x0E, 0x0C);
    Pick(orc, 0);
    EXPECT_EQ(Byte(0x3D) & 0x0E, 0x04);

    auto* low = Get<QComboBox>("cboBatLev(0)");
    EXPECT_EQ(low->currentText(), "1.19V");
    EXPECT_EQ(Get<QComboBox>("cboBatLev(1)")->currentText(), "1.29V");
    EXPECT_EQ(Get<QComboBox>("cboBatLev(2)")->currentText(), "1.39V");
    EXPECT_TRUE(dialogs.Texts().empty());
    Pick(low, low->findText("1.34V"));
    EXPECT_EQ(Byte(0x381), 134);
    EXPECT_EQ(Byte(0x380), 134);
    ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kBatteryOrderWarning});
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Critical);
    dialogs.Clear();
    Pick(low, low->findText("1.09V"));
    EXPECT_EQ(Byte(0x380), 109);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(StatusPageTest, RefreshOfALoadedImageWritesEachChangedRowsCodeBack) {
    Pick(Get<QComboBox>("cboTone"), 2);
    PagerImage im = BuildStartupImage(settings);
    im.set(0x0F7, 4);                        // shown as "Tone 1", written back as 1
    im.set(0x381, 139), im.set(0x383, 119);  // levels out of order
    im.set(0x380, 0);
    im.set(0x3C, 0x44);  // 240 seconds without the "on" bit
    im.set(0x381 + 1, 129);
    dialogs.Clear();
    Open(im);
    EXPECT_EQ(Row("cboTone"), 0);
    EXPECT_EQ(Byte(0x0F7), 1);
    EXPECT_EQ(Get<QComboBox>("cboBatLev(0)")->currentText(), "1.39V");
    EXPECT_EQ(Get<QComboBox>("cboBatLev(2)")->currentText(), "1.19V");
    EXPECT_EQ(Byte(0x380), 139);
    // Low and High changed rows; each warns.
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{kBatteryOrderWarning, kBatteryOrderWarning}));
    EXPECT_EQ(Row("cboSLC"), 5);
    EXPECT_EQ(Byte(0x3C), 0x4C);

    // A level no row carries leaves its list where it was.
    window->Image().set(0x382, 120);
    window->init_ctl();
    EXPECT_EQ(Get<QComboBox>("cboBatLev(1)")->currentText(), "1.29V");
    EXPECT_EQ(Byte(0x382), 120);
}

TEST_F(StatusPageTest, SettingsSurviveSavingAndReopening) {
    Get<QCheckBox>("chkMenu(0)")->click();
    Pick(Get<QComboBox>("cboTone"), 3);
    Pick(Get<QComboBox>("cboSLC"), 4);
    Pick(Get<QComboBox>("cboORC"), 2);
    Pick(Get<QComboBox>("cboBatLev(2)"), 0);
    Get<QCheckBox>("chkCtl(22)")->click();
    auto* box = Get<QLineEdit>("txtPass(1)");
    Focus(box);
    QTest::keyClicks(box, "987");
    Leave();
    window->mnuSBTF_Click();  // saves default.tbl in the program folder, opened at start
    const PagerImage saved = window->Image();
    window.reset();
    Start();
    window->EMoptStatus_Click();
    EXPECT_EQ(window->Image(), saved);
    EXPECT_EQ(Get<QComboBox>("cboTone")->currentText(), "Tone 4");
    EXPECT_FALSE(Get<QComboBox>("cboTone")->isHidden());
    EXPECT_EQ(Get<QComboBox>("cboSLC")->currentText(), "175 seconds");
    EXPECT_EQ(Get<QComboBox>("cboORC")->currentText(), "2 min");
    EXPECT_EQ(Get<QComboBox>("cboBatLev(2)")->currentText(), "1.58V");
    EXPECT_EQ(Text("txtPass(1)"), "0987");
    EXPECT_FALSE(Get<QLineEdit>("txtPass(1)")->isHidden());
}

TEST_F(StatusPageTest, ContrastAndPagerMenuStillWork) {
    auto* slider = Get<CtlEBSlider>("Slider1");
    slider->SetValue(6);
    EXPECT_EQ(Byte(0x0E9), 6);
    EXPECT_EQ(Get<QLabel>("lblValue")->text(), "6");
    EXPECT_TRUE(window->State().contrastChanged);
    window->Image().set(0x0E9, 2);
    window->init_ctl();
    EXPECT_EQ(slider->Value(), 2);
    EXPECT_EQ(window->State().loadedContrast, 2);
    EXPECT_EQ(Get<QLabel>("lblContrast")->palette().color(QPalette::WindowText),
              QColor(10, 10, 10));
    // The logo frame has its place on this page.
    EXPECT_TRUE(Get<QWidget>("picSet2")->isAncestorOf(Get<QWidget>("Frame9")));
}

}  // namespace
}  // namespace kpx::gui::testing
