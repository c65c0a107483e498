// A failed Verify in the window offers the settings that differ.
#include "gui/dialogs/verify_differences.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPlainTextEdit>

#include "gui/board_window_fixture.h"
#include "image/charmap.h"
#include "settings/capcode.h"
#include "texts/prompt_text.h"

namespace kpx::gui::testing {
namespace {

class VerifyDifferences : public BoardWindowTest {
  protected:
    // The pager holds the window's image but for a capcode, a German prompt and one unnamed byte.
    void StartWithAlteredPager() {
        PlugInBoard();
        StartWindow();
        window->Timer1_Timer();
        PagerImage onPager = window->Image();
        onPager.SetBits(0x3A, 0, 8, 4);
        window->Image().SetBits(0x3A, 0, 8, 4);
        StoreCapcode(onPager, 2, 1234568);
        kpx::testing::RecordingDialogs silent;
        ASSERT_TRUE(StorePromptText(onPager, 0x114,
                                    "GR\xDC"
                                    "SSE",
                                    silent));
        onPager.set(0x3F9, 0x00);
        EncodeTextRegions(onPager);
        sim::BoardMemory memory{};
        std::copy(onPager.bytes().begin(), onPager.bytes().end(), memory.begin());
        board->simulator().SetMemory(memory);
        dialogs.Clear();
    }

    QDialog* DifferencesDialog() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "frmVerifyDiff" && w->isVisible())
                return qobject_cast<QDialog*>(w);
        }
        return window->findChild<QDialog*>("frmVerifyDiff");
    }
};

TEST_F(VerifyDifferences, YesListsTheSettingsThatDifferAfterTheVerifyError) {
    StartWithAlteredPager();
    dialogs.AnswerNext(DialogAnswer::Yes);
    window->mnuEB1_Click();
    ASSERT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"Verify Error!", kShowDifferencesQuestion}));
    EXPECT_EQ(dialogs.shown()[1].buttons, DialogButtons::YesNo);

    QDialog* dialog = DifferencesDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    auto* text = dialog->findChild<QPlainTextEdit*>("txtDifferences");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(),
              QString::fromUtf8("Cap #3: 1234561 -> 1234568\n"
                                "Prompt 1 (NO PAGES): \"    NO PAGES\" -> \"GRÜSSE\"\n"
                                "0x3F9: FF -> 00"));
    // The window's image is back in PC characters and unchanged.
    EXPECT_EQ(CapcodeValue(window->Image(), 2), 1234561);
    dialog->accept();
}

TEST_F(VerifyDifferences, NoShowsNothingMoreAndASuccessAsksNothing) {
    StartWithAlteredPager();
    dialogs.AnswerNext(DialogAnswer::No);
    window->mnuEB1_Click();
    EXPECT_EQ(dialogs.Texts().size(), 2u);
    EXPECT_EQ(DifferencesDialog(), nullptr);

    // A read replaces the image with the pager's; the verify then agrees and asks nothing.
    window->mnuEntire_Click();
    dialogs.Clear();
    window->mnuEB1_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
}

}  // namespace
}  // namespace kpx::gui::testing
