// The board watch with its timer running while the Pager menu's transfers let window events
// run: a tick must not change the link under a transfer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTimer>

#include "gui/board_window_fixture.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "testsupport/child_process.h"

namespace kpx::gui::testing {
namespace {

constexpr const char* kConnect = "  The Programmed Board Connect !";
constexpr const char* kDisconnect = "  The Programmed Board Disconnect !";

class WatchDuringTransfers : public BoardWindowTest {
  protected:
    void StartConnected() {
        PlugInBoard();
        StartWindow();
        window->Timer1_Timer();
        ASSERT_EQ(BoardLine(), kConnect);
        dialogs.Clear();
        SelectWriteMode();
        window->Image() = BuildDefaultImage();
        // The watch at work, every few milliseconds, through the whole command.
        window->Timer1()->start(2);
    }
};

// The cable's list goes empty once the first block is on the board. A tick during the write
// or the verify would then set boardPort to -1 and the next block would go to no port; held
// until the dialog closes, it shows the board gone right after.
TEST_F(WatchDuringTransfers, TicksWaitForTheDialogAndCatchUpAfter) {
    StartConnected();
    int ticksDuringTransfer = 0;
    QTimer unplug;
    QObject::connect(&unplug, &QTimer::timeout, [&] {
        if (board->simulator().writes() > 0) lister.devices.clear();
        if (link->Dialog() && link->Watch().TickHeld()) ++ticksDuringTransfer;
    });
    unplug.start(1);
    window->mnuEB_Click();
    unplug.stop();

    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_EQ(board->simulator().writes(), 8);
    const sim::BoardMemory memory = Memory();
    for (int a = 0; a < kImageSize; ++a) ASSERT_EQ(memory[a], window->Image().at(a)) << a;
    EXPECT_GT(ticksDuringTransfer, 0) << "no tick came during the transfer";
    // Caught up at once, before any further event: the list is empty now.
    EXPECT_FALSE(link->Watch().TickHeld());
    EXPECT_EQ(BoardLine(), kDisconnect);
    EXPECT_EQ(link->Link().boardPort, -1);
    EXPECT_FALSE(PagerMenuEnabled());
    EXPECT_TRUE(window->Timer1()->isActive());
}

// In production mode the dialog waits for Write between pagers; the watch waits with it.
TEST_F(WatchDuringTransfers, TicksWaitWhileTheProductionDialogIsOpen) {
    StartConnected();
    Get<QCheckBox>("optAuto1")->setChecked(true);
    window->State().AutoIncrease1 = true;
    bool heldWhileOpen = false;
    bool looked = false;
    // The Pager command lets events run before it shows the dialog: wait for it to be up.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        Form2* form = link->Dialog();
        if (!form || !form->isVisible() || looked) return;
        looked = true;
        lister.devices.clear();
        QTimer wait;
        wait.setSingleShot(true);
        wait.start(50);
        while (wait.isActive()) QApplication::processEvents();
        heldWhileOpen = link->Watch().TickHeld();
        EXPECT_EQ(link->Link().boardPort, board->com());
        EXPECT_EQ(BoardLine(), kConnect);
        form->cmdExit_Click();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (Form2* f = link->Dialog()) f->done(0);
    });
    guard.start(30000);
    poll.start(5);
    window->mnuEB_Click();
    poll.stop();
    EXPECT_TRUE(looked);
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_EQ(BoardLine(), kDisconnect);
    EXPECT_EQ(link->Link().boardPort, -1);
}

// Another program writes a pager on the board's cable while the window's watch probes for a
// board on every tick. The watch skips the port the write holds, without a word; before the
// ports were held, its probe landed between the write's frames and broke the pager's write.
TEST_F(WatchDuringTransfers, AnotherProgramsWriteIsNeverProbedHalfWay) {
    PlugInBoard();
    StartWindow();
    dialogs.Clear();
    PagerImage image = BuildDefaultImage();
    image.set(0x10, 0x5A);
    const std::string table = folder.File("other.tbl");
    ASSERT_EQ(SaveTableFile(table, image), "");
    const int probesBefore = board->simulator().probes();
    kpx::testing::ChildProcess write(kpx::testing::Kpx41Exe(),
                                     {"write", "--port", board->path(), table, "--no-backup"},
                                     folder.path());
    // From its first block on the port is the write's; before it, the window may hold the port
    // for a probe, and then the write is the one refused.
    for (int waited = 0; board->simulator().writes() == 0 && !write.Ended() && waited < 10000;
         waited += 1) {
        QTest::qWait(1);
    }
    int ticks = 0;
    while (!write.Ended()) {
        // As if a cable had just been plugged in: the tick probes.
        link->Link().boardPort = -1;
        link->Link().boardDeviceCount = 0;
        window->Timer1_Timer();
        ++ticks;
        QApplication::processEvents();
    }
    EXPECT_EQ(write.Wait(), 0) << write.Err();
    EXPECT_EQ(write.Err(), "Verify Success!\n");
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(dialogs.Texts().empty());
    const sim::BoardMemory memory = Memory();
    for (int a = 0; a < kImageSize; ++a) ASSERT_EQ(memory[a], image.at(a)) << a;
    // The port free again, the watch finds the board.
    link->Link().boardDeviceCount = 0;
    window->Timer1_Timer();
    EXPECT_EQ(BoardLine(), kConnect);
    EXPECT_GT(board->simulator().probes(), probesBefore);
}

}  // namespace
}  // namespace kpx::gui::testing
