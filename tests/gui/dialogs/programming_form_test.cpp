#include <gtest/gtest.h>

#include <QImage>

#include "gui/board_window_fixture.h"
#include "gui/programmer.h"
#include "gui/screenshots.h"
#include "link/serial_link.h"

namespace kpx::gui::testing {
namespace {

using Icon = DialogIcon;

class ProgrammingFormTest : public BoardWindowTest {
  protected:
    std::unique_ptr<Form2> MakeForm(int operation, bool auto1, bool auto2) {
        return std::make_unique<Form2>(link->UsbForDialog(), link->LptForDialog(), link->Host(),
                                       dialogs, window->Image(), operation, auto1, auto2,
                                       window.get());
    }
    static bool Shown(Form2& f, const char* name) {
        return !f.findChild<QWidget*>(name)->isHidden();
    }
};

TEST_F(ProgrammingFormTest, StartsWithTheBarAndTitleAndHidesTheProductionControls) {
    StartWindow();
    auto form = MakeForm(kOperationRead, false, false);
    EXPECT_EQ(form->objectName(), "Form2");
    EXPECT_TRUE(form->isModal());
    EXPECT_EQ(form->findChild<QLabel*>("Label2")->text(), "Pager Program");
    EXPECT_EQ(form->findChild<QLabel*>("Label1")->text(), "");
    EXPECT_EQ(form->findChild<QPushButton*>("cmdWrite")->text(), "Write");
    EXPECT_EQ(form->findChild<QPushButton*>("cmdExit")->text(), "Exit");
    EXPECT_EQ(form->findChild<QLabel*>("lblAuto1")->text(), " 1st capcode : ");
    EXPECT_EQ(form->findChild<QLabel*>("lblAuto2")->text(), " 2nd capcode : ");
    EXPECT_NE(form->findChild<CloseBox*>("Close1"), nullptr);
    EXPECT_EQ(form->font().family(), "Courier New");
    EXPECT_TRUE(form->font().fixedPitch());
    for (const char* name : {"cmdWrite", "cmdExit", "lblAuto1", "lblAuto2"}) {
        EXPECT_FALSE(Shown(*form, name)) << name;
    }

    auto* bar = form->findChild<QProgressBar*>("PB1");
    form->SetProgressMax(1007);
    form->SetProgressValue(512);
    form->SetProgressColour(ProgressColour::Purple);
    EXPECT_EQ(bar->maximum(), 1007);
    EXPECT_EQ(bar->value(), 512);
    EXPECT_EQ(bar->palette().color(QPalette::Highlight), QColor(0x80, 0x00, 0x80));
    form->SetProgressColour(ProgressColour::Highlight);
    EXPECT_EQ(bar->palette().color(QPalette::Highlight),
              QApplication::palette().color(QPalette::Highlight));
    // The last block ends past the bar's maximum (end - 16); the bar stops full.
    form->SetProgressValue(1024);
    EXPECT_EQ(bar->value(), 1007);
}

TEST_F(ProgrammingFormTest, ProductionModeShowsTheLabelsOfTheOptionsAndWaitsForWrite) {
    PlugInBoard();
    StartWindow();
    ASSERT_EQ(link->Link().boardPort, board->com());
    dialogs.Clear();
    const sim::BoardMemory before = Memory();
    SelectWriteMode();
    struct Case {
        bool auto1, auto2;
    };
    for (const Case c : {Case{true, false}, Case{false, true}, Case{true, true}}) {
        auto form = MakeForm(kOperationWrite, c.auto1, c.auto2);
        form->Form_Activate();
        EXPECT_EQ(Shown(*form, "lblAuto1"), c.auto1);
        EXPECT_EQ(Shown(*form, "lblAuto2"), c.auto2);
        EXPECT_TRUE(Shown(*form, "cmdWrite"));
        EXPECT_TRUE(Shown(*form, "cmdExit"));
        // Nothing goes to the board before Write is pressed.
        EXPECT_EQ(board->simulator().reads(), 0);
        EXPECT_EQ(board->simulator().writes(), 0);
    }
    EXPECT_EQ(Memory(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(ProgrammingFormTest, ModifyModeRefusesTheWriteCommandWithoutTouchingTheLink) {
    StartWindow();
    dialogs.Clear();
    window->SetPagerMenuEnabled(true);
    link->Link().boardPort = 7;  // a board thought known; nothing may be sent to it
    const PagerImage before = window->Image();
    window->mnuEB_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Modify Mode can not write! Please check!");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
    EXPECT_EQ(link->Dialog(), nullptr);  // the dialog closed itself
    EXPECT_TRUE(window->Image() == before);
    EXPECT_EQ(link->Link().boardPort, 7);
}

TEST_F(ProgrammingFormTest, NoBoardAtStartIsToldOnceAndTheWatchShowsItDisconnected) {
    StartWindow();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "The Programmed Board is not responding!");
    EXPECT_EQ(dialogs.shown()[0].icon, Icon::Warning);
    EXPECT_EQ(link->Link().boardPort, -1);
    EXPECT_FALSE(PagerMenuEnabled());
    EXPECT_EQ(BoardLine(), "Message:");  // nothing shown until the first tick

    window->Timer1_Timer();
    EXPECT_EQ(BoardLine(), "  The Programmed Board Disconnect !");
    EXPECT_EQ(BoardLineColour(), QColor(255, 0, 0));
    EXPECT_FALSE(PagerMenuEnabled());
    EXPECT_TRUE(window->Timer1()->isActive());  // the tick starts its timer again
    EXPECT_EQ(dialogs.shown().size(), 1u);      // the watch never tells the user
}

TEST_F(ProgrammingFormTest, TheLoadStepStartsTheWatchTimerAfterTheProbe) {
    window = kpx::testing::NewMainWindow(settings, dialogs, folder);
    link = std::make_unique<BoardLink>(*window, port, lister, registry, dialogs);
    EXPECT_FALSE(window->Timer1()->isActive());
    window->show();
    window->Load();
    EXPECT_TRUE(window->Timer1()->isActive());
    EXPECT_EQ(window->Timer1()->interval(), 3000);
}

TEST(ProgrammerScreenshots, IncludeTheProgrammingDialog) {
    kpx::testing::TempDir dir;
    QString error;
    ASSERT_TRUE(WriteScreenshots(QString::fromStdString(dir.path()), &error))
        << error.toStdString();
    for (const char* name : {"picSet1.png", "picSet2.png", "picSet5.png", "picSet6.png",
                             "Form3.png", "Form5.png", "Form6.png", "about.png", "Form2.png"}) {
        const QImage picture(QString::fromStdString(dir.File(name)));
        EXPECT_FALSE(picture.isNull()) << name;
    }
    const QImage form(QString::fromStdString(dir.File("Form2.png")));
    EXPECT_GE(form.width(), 420);
}

}  // namespace
}  // namespace kpx::gui::testing
