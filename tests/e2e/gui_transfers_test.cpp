// The Pager menu against the board simulator on a real pseudo-terminal, through the window.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTimer>
#include <functional>

#include "gui/board_window_fixture.h"
#include "gui/dialogs/form3.h"
#include "gui/dialogs/verify_differences.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "link/serial_transfers.h"
#include "platform/sysfs_lister.h"
#include "platform/system_registry.h"
#include "settings/capcode.h"

namespace kpx::gui::testing {
namespace {

using kpx::testing::CapcodeOf;
using kpx::testing::GermanImage;

constexpr const char* kConnect = "  The Programmed Board Connect !";
constexpr const char* kDisconnect = "  The Programmed Board Disconnect !";

sim::BoardMemory MemoryOf(const PagerImage& image) {
    sim::BoardMemory m{};
    std::copy(image.bytes().begin(), image.bytes().end(), m.begin());
    return m;
}

PagerImage ImageOf(const sim::BoardMemory& m) {
    PagerImage image;
    for (int a = 0; a <= kImageLast; ++a) image.set(a, m[a]);
    return image;
}

class GuiTransfers : public BoardWindowTest {
  protected:
    // Starts the window with the board found by the start-up probe and shown by a first tick.
    void StartConnected(sim::BoardOptions options = {}) {
        PlugInBoard(options);
        StartWindow();
        window->Timer1_Timer();
        ASSERT_EQ(BoardLine(), kConnect);
        ASSERT_TRUE(PagerMenuEnabled());
        dialogs.Clear();
    }

    // Runs Write in production mode: presses Write once per pager while Form2's exec() runs
    // (before each press `next` may swap the pager on the board), then Exit.
    struct Press {
        QString auto1, auto2;  // lblAuto1 / lblAuto2 after the press
        sim::BoardMemory memory;
        bool buttonsDisabledDuringTransfer = false;
        bool purpleDuringTransfer = false;
        int barAfter = -1;
        QString statusAfter;
    };
    // With closeMidTransfer, Escape, the close box and Exit are tried while each pager is
    // being written; the dialog must stay.
    std::vector<Press> ProgramPagers(int pagers, const std::function<void(int)>& next = {},
                                     bool closeMidTransfer = false) {
        std::vector<Press> presses;
        bool acting = false;
        auto find = [&](const char* name) { return link->Dialog()->findChild<QWidget*>(name); };
        // A timer never fires inside its own handler, so the one that presses Write cannot
        // look at the dialog during the transfer; a second one does.
        QTimer sampler;
        sampler.setInterval(5);
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            if (!acting || !link->Dialog()) return;
            Press& p = presses.back();
            if (!find("cmdWrite")->isEnabled() && !find("cmdExit")->isEnabled())
                p.buttonsDisabledDuringTransfer = true;
            if (find("PB1")->palette().color(QPalette::Highlight) == QColor(0x800080))
                p.purpleDuringTransfer = true;
            if (closeMidTransfer) {
                Form2* f = link->Dialog();
                f->reject();
                f->Close1_Click();
                f->cmdExit_Click();
            }
        });
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            Form2* f = link->Dialog();
            if (!f) return;
            auto* write = f->findChild<QPushButton*>("cmdWrite");
            if (write->isHidden() || !write->isEnabled()) return;
            if (static_cast<int>(presses.size()) == pagers) {
                poll.stop();
                f->findChild<QPushButton*>("cmdExit")->click();
                return;
            }
            if (next) next(static_cast<int>(presses.size()));
            presses.emplace_back();
            acting = true;
            write->click();
            acting = false;
            Press& p = presses.back();
            p.auto1 = f->findChild<QLabel*>("lblAuto1")->text();
            p.auto2 = f->findChild<QLabel*>("lblAuto2")->text();
            p.memory = Memory();
            p.barAfter = f->findChild<QProgressBar*>("PB1")->value();
            p.statusAfter = f->findChild<QLabel*>("Label1")->text();
        });
        // Never hang the suite on a dialog that does not come up as expected.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (Form2* f = link->Dialog()) f->done(0);
        });
        guard.start(60000);
        sampler.start();
        poll.start();
        window->mnuEB_Click();
        return presses;
    }
};

TEST_F(GuiTransfers, WriteThenReadCarriesGermanTextsEncodedOnTheWire) {
    StartConnected();
    window->Image() = GermanImage();
    window->init_ctl();
    SelectWriteMode();

    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_EQ(link->Dialog(), nullptr);
    const sim::BoardMemory written = Memory();
    EXPECT_EQ(written[0x105], 0x7B);  // ä in the German set
    EXPECT_EQ(written[0x106], 0x7E);  // ß
    EXPECT_EQ(written[0x3B2], 0x5D);  // Ü
    EXPECT_EQ(written[0x3E0], 1);
    // The window holds its own characters again.
    EXPECT_EQ(window->Image().at(0x105), 0xE4);
    EXPECT_EQ(window->Image().at(0x3B2), 0xDC);

    // A fresh window reads the pager back.
    window->Image() = BuildDefaultImage();
    window->init_ctl();
    dialogs.Clear();
    window->mnuEntire_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Read success!"});
    PagerImage expected = ImageOf(written);
    DecodeTextRegions(expected);
    EXPECT_TRUE(window->Image() == expected);
    EXPECT_EQ(window->Image().at(0x105), 0xE4);
    EXPECT_EQ(window->Image().at(0x106), 0xDF);
}

// What a user does: picks German, types a prompt with umlauts and no leading blank, writes
// the pager and reads it back; then the same with a Russian prompt from the keyboard.
TEST_F(GuiTransfers, TypedGermanAndRussianPromptsComeBackFromThePager) {
    StartConnected();
    auto pickLanguage = [&](int row) {
        auto* list = Get<QComboBox>("cboLng");
        list->setCurrentIndex(row);
        emit list->activated(row);
        QApplication::processEvents();
    };
    auto writeThenReadBack = [&] {
        SelectWriteMode();
        dialogs.Clear();
        window->mnuEB_Click();
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
        const PagerImage sent = window->Image();
        window->Image() = BuildDefaultImage();
        window->init_ctl();
        dialogs.Clear();
        window->mnuEntire_Click();
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Read success!"});
        EXPECT_TRUE(window->Image() == sent);
        Get<QRadioButton>("ModifyOpt")->setChecked(true);
    };

    pickLanguage(3);
    window->EMoptPrompts_Click();
    auto* box = Get<QLineEdit>("txtPrompt(3)");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    box->clear();
    for (QChar c : QString("Grüße")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
    Get<QWidget>("picTabBack")->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(window->Image().at(0x13C), 0x40);  // display attribute 4, no blank column
    writeThenReadBack();
    EXPECT_EQ(Memory()[0x13C], 0x40);
    EXPECT_EQ(Memory()[0x140], 0x7D);  // ü in the pager's German set
    EXPECT_EQ(Get<QComboBox>("cboLng")->currentIndex(), 3);
    EXPECT_EQ(Get<QLineEdit>("txtPrompt(3)")->text(), "Grüße");

    pickLanguage(4);
    window->EMoptPrompts_Click();
    QApplication::processEvents();
    QTest::mouseClick(Get<QWidget>("Image1(40)"), Qt::LeftButton);
    auto* keyboard = window->findChild<Form3*>("Form3");
    ASSERT_NE(keyboard, nullptr);
    for (int code : {97, 111, 115}) keyboard->Key(code)->click();  // Б Ч Ы
    writeThenReadBack();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Memory()[0x13E + i], (std::array{97, 111, 115})[i]);
    EXPECT_EQ(Get<QComboBox>("cboLng")->currentIndex(), 4);
}

TEST_F(GuiTransfers, ReadRecognisesTheBandAndVerifyComparesEveryByte) {
    PagerImage pager = BuildDefaultImage();
    pager.set(0x390, 4);  // 380-499 MHz
    StartConnected({.memory = MemoryOf(pager)});

    window->mnuEntire_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Read success!"});
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentIndex(), 1);
    EXPECT_EQ(window->Frequency().bandRow, 1);

    // Verify runs in Modify Mode too.
    dialogs.Clear();
    window->mnuEB1_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});

    sim::BoardMemory changed = Memory();
    changed[kImageLast] ^= 0x01;
    board->simulator().SetMemory(changed);
    dialogs.Clear();
    dialogs.AnswerNext(DialogAnswer::No);  // no list of differences
    window->mnuEB1_Click();
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"Verify Error!", kShowDifferencesQuestion}));
    EXPECT_EQ(board->simulator().writes(), 0);
}

TEST_F(GuiTransfers, ProductionModeAdvancesBothCapcodesAcrossThreePagers) {
    StartConnected();
    EnterCapcode(0, "2097150");
    EnterCapcode(1, "1234567");
    Get<QCheckBox>("optAuto1")->setChecked(true);
    Get<QCheckBox>("optAuto2")->setChecked(true);
    SelectWriteMode();
    const sim::BoardMemory blank = Memory();

    const std::vector<Press> presses = ProgramPagers(3, [&](int) {
        board->simulator().SetMemory(blank);  // the next pager on the board
    });
    ASSERT_EQ(presses.size(), 3u);
    const std::uint32_t first[] = {2097150, 2097151, 2097151};
    const std::uint32_t second[] = {1234567, 1234568, 1234569};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const PagerImage pager = ImageOf(presses[i].memory);
        EXPECT_EQ(CapcodeOf(pager, 0), first[i]);
        EXPECT_EQ(CapcodeOf(pager, 1), second[i]);
        EXPECT_EQ(presses[i].auto1, QString(" 1st capcode : %1").arg(first[i]));
        EXPECT_EQ(presses[i].auto2, QString(" 2nd capcode : %1").arg(second[i]));
        EXPECT_TRUE(presses[i].buttonsDisabledDuringTransfer);
        EXPECT_TRUE(presses[i].purpleDuringTransfer);
        EXPECT_EQ(presses[i].barAfter, 0);
        EXPECT_EQ(presses[i].statusAfter, "");
    }
    const std::string top = "Capcode 1 > 2097151 so can not be increase!";
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Verify Success!", "Verify Success!", top,
                                                         "Verify Success!", top}));
    EXPECT_EQ(link->Dialog(), nullptr);  // Exit unloaded it
    EXPECT_EQ(Get<QLineEdit>("txtAddr(0)")->text(), "2097151");
    EXPECT_EQ(Get<QLineEdit>("txtAddr(1)")->text(), "1234570");
    EXPECT_EQ(CapcodeOf(window->Image(), 1), 1234570u);
}

TEST_F(GuiTransfers, AFailedPagerInTheSeriesKeepsItsCapcodeForTheNext) {
    // The 9th write block is the first of the second pager: it is not acknowledged.
    StartConnected({.fault = *sim::ParseFault("wrong-ack@9")});
    EnterCapcode(0, "0000100");
    EnterCapcode(1, "0000200");
    Get<QCheckBox>("optAuto2")->setChecked(true);
    SelectWriteMode();

    const std::vector<Press> presses = ProgramPagers(3, {}, true);
    ASSERT_EQ(presses.size(), 3u);
    const std::uint32_t second[] = {200, 201, 201};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(presses[i].auto2, QString(" 2nd capcode : %1").arg(second[i], 7, 10, QChar('0')));
        EXPECT_EQ(CapcodeOf(ImageOf(presses[i].memory), 0), 100u);  // never advanced
    }
    EXPECT_EQ(CapcodeOf(ImageOf(presses[2].memory), 1), 201u);
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"Verify Success!", "Write error!", "Verify Success!"}));
    EXPECT_EQ(Get<QLineEdit>("txtAddr(0)")->text(), "0000100");
    EXPECT_EQ(Get<QLineEdit>("txtAddr(1)")->text(), "0000202");
}

TEST_F(GuiTransfers, ModifyModeRefusesAWriteAndSendsNothing) {
    StartConnected();
    const sim::BoardMemory before = Memory();
    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Modify Mode can not write! Please check!"});
    EXPECT_EQ(board->simulator().reads(), 0);
    EXPECT_EQ(board->simulator().writes(), 0);
    EXPECT_TRUE(Memory() == before);
}

TEST_F(GuiTransfers, FailedReadsLeaveTheImageAlone) {
    struct Case {
        const char* fault;
        std::string message;
        bool disconnected;
    };
    for (const Case& c : {Case{"wrong-checksum@2", "Read error!", false},
                          Case{"no-reply@2", "Read Time Out!", false},
                          Case{"hangup-read@3", "Read error!", true}}) {
        SCOPED_TRACE(c.fault);
        PagerImage pager = BuildDefaultImage();
        pager.set(0x390, 9);
        StartConnected({.memory = MemoryOf(pager), .fault = *sim::ParseFault(c.fault)});
        window->Image().set(0x123, 0x5A);
        const PagerImage before = window->Image();

        window->mnuEntire_Click();
        EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(window->Image() == before);
        EXPECT_EQ(Get<QComboBox>("cboDft")->currentIndex(), 2);
        EXPECT_TRUE(link->Link().TransferFailed);
        if (c.disconnected) {
            // The cable gone mid-read: the window says so at once, the next command finds no
            // board.
            EXPECT_EQ(BoardLine(), kDisconnect);
            EXPECT_EQ(BoardLineColour(), QColor(255, 0, 0));
            EXPECT_FALSE(PagerMenuEnabled());
            EXPECT_EQ(link->Link().boardPort, -1);
        } else {
            EXPECT_EQ(BoardLine(), kConnect);
            EXPECT_EQ(link->Link().boardPort, board->com());
        }
        link.reset();
        window.reset();
        board.reset();
    }
}

TEST_F(GuiTransfers, HangUpDuringAWriteShowsTheDisconnectLine) {
    StartConnected({.fault = *sim::ParseFault("hangup-write@2")});
    SelectWriteMode();
    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Write error!"});
    EXPECT_EQ(BoardLine(), kDisconnect);
    EXPECT_FALSE(PagerMenuEnabled());
    EXPECT_EQ(link->Link().boardPort, -1);
}

TEST_F(GuiTransfers, UnplugAndReplugFollowTheWatchTicks) {
    StartConnected();
    const int com = board->com();
    ASSERT_EQ(link->Link().boardPort, com);

    struct Tick {
        std::vector<int> listed;
        const char* line;
        bool menu;
    };
    const Tick ticks[] = {
        {{com}, kConnect, true},          // still there: no frame exchanged
        {{}, kDisconnect, false},         // cable pulled
        {{}, kDisconnect, false},         // still out
        {{com}, kConnect, true},          // plugged in again: more devices than before, probed
        {{com}, kConnect, true},          // still there
        {{com + 1}, kDisconnect, false},  // the known port no longer listed
    };
    int tick = 0;
    for (const Tick& t : ticks) {
        SCOPED_TRACE(tick++);
        lister.SetComs(t.listed);
        window->Timer1_Timer();
        EXPECT_EQ(BoardLine(), t.line);
        EXPECT_EQ(BoardLineColour(), t.menu ? QColor(0, 0, 0) : QColor(255, 0, 0));
        EXPECT_EQ(PagerMenuEnabled(), t.menu);
        EXPECT_TRUE(window->Timer1()->isActive());
    }
    EXPECT_EQ(board->simulator().probes(), 2);  // the start-up probe and the re-plug
    EXPECT_TRUE(dialogs.Texts().empty());
}

// As `kpx41-programmer --simulate` wires it: the simulated board is found through the
// machine's device list and registry, both reading the port map it is plugged into.
TEST_F(GuiTransfers, SimulatedBoardIsListedAsACablePortAndAnswersThePagerMenu) {
    PagerImage pager = BuildDefaultImage();
    pager.set(0x390, 9);  // 929-932 MHz
    PlugInBoard({.memory = MemoryOf(pager)});
    kpx::testing::TempDir noSysfs;  // no real cable may get in the way
    SysfsDeviceLister machineLister(map, noSysfs.path());
    SystemRegistry machineRegistry(map, noSysfs.path());
    RegistryAccess machineAccess(machineRegistry);
    window = kpx::testing::NewMainWindow(settings, dialogs, folder);
    link = std::make_unique<BoardLink>(*window, port, machineLister, machineAccess, dialogs);
    window->show();
    window->Load();
    window->Timer1()->stop();
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_EQ(link->Link().boardPort, board->com());
    window->Timer1_Timer();
    EXPECT_EQ(BoardLine(), kConnect);
    ASSERT_TRUE(PagerMenuEnabled());

    window->mnuEntire_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Read success!"});
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentIndex(), 0);
    link.reset();
    window.reset();
}

}  // namespace
}  // namespace kpx::gui::testing
