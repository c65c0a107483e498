// Ctrl+E (File / Exit) ends the program wherever the focus is, under the xcb platform whose
// key bindings give Ctrl+E to text boxes as "end of line".

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cctype>
#include <memory>
#include <ostream>

#include "gui/main_window.h"
#include "gui/programmer.h"
#include "testsupport/fakes.h"
#include "testsupport/window_start.h"
#include "texts/prompt_slots.h"

namespace kpx::gui {
namespace {

// Keyboard: the Cyrillic keyboard window beside the glyph page.
enum class Page { Code, Status, Prompts, Glyphs, Keyboard };

struct FocusCase {
    Page page;
    const char* control;
    bool click;  // the user clicks it; otherwise the focus is put there (Tab order, a handler)
};

// One control of every kind the window has, on each page.
const FocusCase kCases[] = {
    {Page::Code, "txtFreq", true},          {Page::Code, "txtAddr(0)", true},
    {Page::Code, "cboDft", false},          {Page::Code, "cboCtl(0)", false},
    {Page::Code, "chkCtl(10)", false},      {Page::Code, "optAuto1", false},
    {Page::Code, "ModifyOpt", false},       {Page::Code, "cmdFunc(0)", false},
    {Page::Code, "cboType(0)", false},      {Page::Code, "picTabBack", false},
    {Page::Status, "txtPass(0)", true},     {Page::Status, "cboSLC", false},
    {Page::Status, "chkMenu(0)", false},    {Page::Status, "Slider1", true},
    {Page::Status, "cboBatLev(0)", false},  {Page::Status, "txtPrompt(0)", true},
    {Page::Prompts, "txtPrompt(5)", true},  {Page::Status, "cboLng", false},
    {Page::Prompts, "txtPrompt(20)", true}, {Page::Glyphs, "Image1(0)", true},
    {Page::Glyphs, "Image1(41)", true},     {Page::Glyphs, "picSet6", false},
    {Page::Keyboard, "Picture1", false},
};

void PrintTo(const FocusCase& c, std::ostream* os) {
    *os << c.control;
}

class ExitShortcut : public ::testing::TestWithParam<FocusCase> {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        window = kpx::testing::NewMainWindow(settings, dialogs, folder);
        ASSERT_TRUE(kpx::testing::ShowAndLoad(*window));
    }

    void Show(Page page) {
        switch (page) {
            case Page::Code:
                window->EMoptCode_Click();
                break;
            case Page::Status:
                window->EMoptStatus_Click();
                break;
            case Page::Prompts:
            case Page::Glyphs:
            case Page::Keyboard: {
                auto* languages = window->findChild<QComboBox*>("cboLng");
                const int row = page == Page::Prompts ? 0 : kRussianRow;
                languages->setCurrentIndex(row);
                emit languages->activated(row);
                window->EMoptPrompts_Click();
                break;
            }
        }
        QApplication::processEvents();
        // The Cyrillic keyboard is a window of its own.
        QWidget* active = window.get();
        if (page == Page::Keyboard) active = window->findChild<QWidget*>("Form3");
        ASSERT_NE(active, nullptr);
        active->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(active));
    }

    QWidget* Control(const FocusCase& c) {
        QWidget* root = window.get();
        if (c.page == Page::Keyboard) root = window->findChild<QWidget*>("Form3");
        return root ? root->findChild<QWidget*>(c.control) : nullptr;
    }

    ProgramSettings settings;
    kpx::testing::RecordingDialogs dialogs;
    kpx::testing::TempDir folder;
    std::unique_ptr<MainWindow> window;
};

TEST_P(ExitShortcut, CtrlEEndsTheProgram) {
    const FocusCase& c = GetParam();
    Show(c.page);
    if (HasFatalFailure()) return;
    QWidget* control = Control(c);
    ASSERT_NE(control, nullptr) << c.control;
    ASSERT_TRUE(control->isVisible()) << c.control;
    if (c.click) {
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
    } else {
        control->setFocus(Qt::TabFocusReason);
    }
    QApplication::processEvents();
    if (control->focusPolicy() != Qt::NoFocus) {
        ASSERT_EQ(QApplication::focusWidget(), control) << c.control;
    }
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit) edit->setCursorPosition(0);
    const PagerImage before = window->Image();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);

    // The key goes to whatever has the focus, as the X server delivers it; the program must
    // leave its event loop with 0. A program that ignores the key is stopped after 3 s with 99.
    QTimer::singleShot(0, focus,
                       [focus] { QTest::keyClick(focus, Qt::Key_E, Qt::ControlModifier); });
    QTimer::singleShot(3000, qApp, [] { QApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0) << c.control << " kept Ctrl+E";
    if (edit) EXPECT_EQ(edit->cursorPosition(), 0) << "the box took Ctrl+E as end of line";
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

// A capcode box clicked into and left empty shows the stored capcode again: a pager is never
// written without its capcode on show. The image stays as it was.
class CapcodeBox : public ExitShortcut {};

TEST_F(CapcodeBox, LeftEmptyItShowsTheStoredCapcodeAgain) {
    Show(Page::Code);
    auto* box = window->findChild<QLineEdit*>("txtAddr(1)");
    ASSERT_NE(box, nullptr);
    const PagerImage before = window->Image();
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }, 2000));
    EXPECT_EQ(box->text(), "") << "emptied for typing";
    QTest::mouseClick(window->findChild<QWidget*>("picTabBack"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box->hasFocus(); }, 2000));
    EXPECT_EQ(box->text(), "1234560");
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryKindOfControl, ExitShortcut, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FocusCase>& info) {
                             std::string name;
                             for (const char* p = info.param.control; *p; ++p) {
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             }
                             return name;
                         });

}  // namespace
}  // namespace kpx::gui

namespace kpx::gui {
namespace {

// On a screen with room the window starts at its design size with the design font; it still
// may be made as small as 1000x700.
TEST(StartSize, AScreenWithRoomShowsTheDesignSize) {
    kpx::testing::RecordingDialogs dialogs;
    kpx::testing::TempDir folder;
    Programmer programmer(DefaultProgramSettings(), dialogs, QString::fromStdString(folder.path()),
                          0, 100000);
    programmer.Start();
    MainWindow& w = programmer.Window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.LoadFinished(); }, 10000));
    QApplication::processEvents();
    const double design = QApplication::font().pointSizeF();
    EXPECT_GT(w.width(), 1000);
    EXPECT_EQ(w.centralWidget()->width(), w.DesignSize().width());
    EXPECT_NEAR(w.centralWidget()->font().pointSizeF(), design, 0.01);
    EXPECT_LE(w.centralWidget()->minimumSizeHint().width(), w.centralWidget()->width());
    w.resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(w.size(), QSize(1000, 700));
    EXPECT_LT(w.centralWidget()->font().pointSizeF(), design);
}

}  // namespace
}  // namespace kpx::gui
