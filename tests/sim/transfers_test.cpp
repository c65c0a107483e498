#include <gtest/gtest.h>

#include "link/board_watch.h"
#include "link/programming_dialog.h"
#include "link_rig.h"

namespace kpx::testing {
namespace {

// An image that programs cleanly: the pattern board's identification, capcode 1 enabled with a
// function.
PagerImage WritableImage() {
    PagerImage image;
    const auto memory = *LinkRig::PatternBoard().memory;
    std::copy_n(memory.begin(), kImageSize, image.bytes().begin());
    image.set(0x0ED, 0x01);
    image.set(0x38C, 0x01);
    image.set(0x38D, 0x01);
    image.set(0x38E, 0x01);
    PutCapcode(image, 0, 1234567);
    image.SetBits(0x360, 7, 1, 1);
    return image;
}

TEST(SerialReadAll, ReplacesTheImageOnlyAfterACompleteRead) {
    LinkRig rig(LinkRig::PatternBoard());
    rig.transfers.usb_readall(rig.image, 0, kImageLast);
    EXPECT_FALSE(rig.link.TransferFailed);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Read success!"});
    const auto memory = rig.board.memory();
    EXPECT_TRUE(std::equal(rig.image.bytes().begin(), rig.image.bytes().end(), memory.begin()));
    EXPECT_EQ(rig.host.imagesReplaced, 1);
    EXPECT_EQ(rig.view.status, "Reading Now.......");
    EXPECT_EQ(rig.view.colour, ProgressColour::Purple);
}

TEST(SerialReadAll, FailedReadLeavesTheImageUntouched) {
    sim::BoardOptions options = LinkRig::PatternBoard();
    options.fault = {sim::Fault::WrongReadChecksum, 9};  // the last block of the image read
    LinkRig rig(options);
    rig.image.set(0x100, 0x42);
    const PagerImage before = rig.image;
    rig.transfers.usb_readall(rig.image, 0, kImageLast);
    EXPECT_TRUE(rig.link.TransferFailed);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Read error!"});
    EXPECT_EQ(rig.image, before);
    EXPECT_EQ(rig.host.imagesReplaced, 0);
}

TEST(SerialReadAll, RefusesAnotherModel) {
    struct Case {
        std::vector<std::uint8_t> ident;
        const char* message;
    } cases[] = {
        {{'K', 'P', 'X', '4', 0x10, 'V', '1'},
         "This pager is not KPX41 !\r\n\r\nIt is KPX4 ( PCB , Software  )"},
        {{'K', 'P', 'X', '4', '2', 'V', '2', '.', '0', 'V', '1', '.', '0', '9'},
         "This pager is not KPX41 !\r\n\r\nIt is KPX42 ( PCB V2.0, Software V1.09 )"},
        {{'K', 'P', 'X', 0xC4, '1'},
         "This pager is not KPX41 !\r\n\r\nIt is KPX ( PCB , Software  )"},
    };
    for (const auto& c : cases) {
        sim::BoardOptions options;
        sim::BoardMemory m{};
        std::copy(c.ident.begin(), c.ident.end(), m.begin() + 0x3E1);
        options.memory = m;
        LinkRig rig(options);
        rig.image.set(0, 0x77);
        const PagerImage before = rig.image;
        rig.transfers.usb_readall(rig.image, 0, kImageLast);
        EXPECT_TRUE(rig.link.TransferFailed);
        ASSERT_EQ(rig.dialogs.shown().size(), 1u);
        EXPECT_EQ(rig.dialogs.shown()[0].text, c.message);
        EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
        EXPECT_EQ(rig.image, before);
        EXPECT_EQ(rig.board.reads(), 1);  // only the identification was read
    }
}

TEST(SerialWriteAll, DisablesCapcodesWithoutFunctions) {
    PagerImage image = WritableImage();
    for (int k = 0; k < 4; ++k) image.SetBits(0x360 + 3 * k, 7, 1, 1);
    image.set(0x0ED, 0xF0);  // capcode 1: no function enabled (high bits do not count)
    image.set(0x38D, 0x00);  // capcode 3: none
    DisableCapcodesWithoutFunction(image);
    EXPECT_EQ(image.GetBits(0x360, 7, 1), 0);
    EXPECT_EQ(image.GetBits(0x363, 7, 1), 1);
    EXPECT_EQ(image.GetBits(0x366, 7, 1), 0);
    EXPECT_EQ(image.GetBits(0x369, 7, 1), 1);
    EXPECT_EQ(CapcodeOf(image, 0), 1234567u);
}

TEST(SerialWriteAll, WritesTheImageWithTheWriteFlag) {
    LinkRig rig(LinkRig::PatternBoard());
    rig.image = WritableImage();
    rig.transfers.usb_writeall(rig.image, 0, kImageLast);
    EXPECT_FALSE(rig.link.TransferFailed);
    EXPECT_EQ(rig.image.at(0x3E0), 1);
    EXPECT_EQ(rig.host.refreshes, 1);
    const auto memory = rig.board.memory();
    EXPECT_TRUE(std::equal(rig.image.bytes().begin(), rig.image.bytes().end(), memory.begin()));
    EXPECT_EQ(rig.board.reads(), 1);  // the GP marker
    EXPECT_EQ(rig.board.writes(), 8);
    EXPECT_TRUE(rig.dialogs.Texts().empty());
}

TEST(SerialWriteAll, GpCrossCheck) {
    struct Case {
        bool pagerGp;
        int bandRow;
        const char* question;  // nullptr: none asked
        DialogAnswer answer;
        bool written;
    } cases[] = {
        {true, 2, "The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?", DialogAnswer::No,
         false},
        {true, 0, "The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?", DialogAnswer::Yes,
         true},
        {false, 3, "The Pager is Non GP(RoHS) ! \r\nAre you sure overwrite it?", DialogAnswer::No,
         false},
        {false, 3, "The Pager is Non GP(RoHS) ! \r\nAre you sure overwrite it?", DialogAnswer::Yes,
         true},
        {true, 3, nullptr, DialogAnswer::Yes, true},
        {false, 1, nullptr, DialogAnswer::Yes, true},
    };
    for (const auto& c : cases) {
        sim::BoardOptions options = LinkRig::PatternBoard();
        (*options.memory)[0x3F8] = c.pagerGp ? 0xAA : 0x00;
        LinkRig rig(options);
        rig.image = WritableImage();
        rig.host.bandRow = c.bandRow;
        rig.dialogs.AnswerNext(c.answer);
        rig.transfers.usb_writeall(rig.image, 0, kImageLast);
        if (c.question) {
            ASSERT_EQ(rig.dialogs.shown().size(), 1u);
            EXPECT_EQ(rig.dialogs.shown()[0].text, c.question);
            EXPECT_EQ(rig.dialogs.shown()[0].buttons, DialogButtons::YesNo);
            EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
        } else {
            EXPECT_TRUE(rig.dialogs.Texts().empty());
        }
        EXPECT_EQ(rig.link.TransferFailed, !c.written);
        EXPECT_EQ(rig.board.writes(), c.written ? 8 : 0);
    }
}

TEST(SerialVerify, ReportsTheFirstDifference) {
    LinkRig rig(LinkRig::PatternBoard());
    const auto memory = rig.board.memory();
    std::copy_n(memory.begin(), kImageSize, rig.image.bytes().begin());
    rig.transfers.usb_verify(rig.image, 0, kImageLast);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_FALSE(rig.link.TransferFailed);
    EXPECT_EQ(rig.view.status, "Verifying Now.....");

    rig.dialogs.Clear();
    rig.image.set(kImageLast, static_cast<std::uint8_t>(rig.image.at(kImageLast) + 1));
    rig.transfers.usb_verify(rig.image, 0, kImageLast);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Verify Error!"});
    EXPECT_TRUE(rig.link.TransferFailed);
}

// The dialog over the serial link, with the pattern board.
struct DialogRig : LinkRig {
    DialogRig() : LinkRig(PatternBoard()) {
        image = WritableImage();
        host.ReadCapcodes();
    }
    std::unique_ptr<ProgrammingDialog> Open() {
        view = RecordingDialogView();
        return std::make_unique<ProgrammingDialog>(transfers, nullptr, host, dialogs, image, view);
    }
};

TEST(ProgrammingDialog, PlainWriteWritesVerifiesAndCloses) {
    DialogRig rig;
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, false, false);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_TRUE(rig.view.closed);
    EXPECT_FALSE(rig.view.buttonsShown);
    EXPECT_EQ(rig.board.writes(), 8);
    EXPECT_EQ(rig.board.reads(), 1 + 8);
    // A second activation (after a message box) does nothing more.
    dialog->Form_Activate(kOperationWrite, false, false);
    EXPECT_EQ(rig.board.writes(), 8);
}

TEST(ProgrammingDialog, FailedWriteIsNotVerified) {
    DialogRig rig;
    rig.board.SetFault({sim::Fault::NoAck, 2});
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, false, false);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Write error!"});
    EXPECT_TRUE(dialog->TransferFailed());
    EXPECT_EQ(rig.board.reads(), 1);
    EXPECT_TRUE(rig.view.closed);
}

TEST(ProgrammingDialog, ModifyModeRefusesToWrite) {
    DialogRig rig;
    rig.host.modifyMode = true;
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, true, false);
    ASSERT_EQ(rig.dialogs.shown().size(), 1u);
    EXPECT_EQ(rig.dialogs.shown()[0].text, "Modify Mode can not write! Please check!");
    EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
    EXPECT_TRUE(rig.view.closed);
    EXPECT_EQ(rig.board.writes() + rig.board.reads(), 0);

    // Verify is not affected.
    rig.dialogs.Clear();
    auto verify = rig.Open();
    verify->Form_Activate(kOperationVerify, false, false);
    EXPECT_EQ(rig.board.reads(), 8);
    EXPECT_TRUE(rig.view.closed);
}

TEST(ProgrammingDialog, ProductionModeCountsTheCapcodeUpToItsTop) {
    DialogRig rig;
    PutCapcode(rig.image, 0, 2097150);
    rig.host.ReadCapcodes();
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, true, false);
    EXPECT_FALSE(rig.view.closed);
    EXPECT_TRUE(rig.view.buttonsShown);
    EXPECT_TRUE(rig.view.autoLabelShown[1]);
    EXPECT_FALSE(rig.view.autoLabelShown[2]);
    EXPECT_EQ(rig.board.writes(), 0);

    const char* labels[] = {" 1st capcode : 2097150", " 1st capcode : 2097151",
                            " 1st capcode : 2097151"};
    const std::uint32_t written[] = {2097150, 2097151, 2097151};
    for (int pager = 0; pager < 3; ++pager) {
        rig.dialogs.Clear();
        rig.board.SetMemory(*LinkRig::PatternBoard().memory);  // the next, blank pager
        dialog->cmdWrite_Click();
        EXPECT_EQ(rig.view.autoLabelText[1], labels[pager]);
        const auto memory = rig.board.memory();
        PagerImage programmed;
        std::copy_n(memory.begin(), kImageSize, programmed.bytes().begin());
        EXPECT_EQ(CapcodeOf(programmed, 0), written[pager]) << "pager " << pager;
        std::vector<std::string> expected = {"Verify Success!"};
        if (pager >= 1) expected.push_back("Capcode 1 > 2097151 so can not be increase!");
        EXPECT_EQ(rig.dialogs.Texts(), expected);
        EXPECT_TRUE(rig.view.buttonsEnabled);
        EXPECT_EQ(rig.view.progressValue, 0);
        EXPECT_EQ(rig.view.status, "");
    }
    EXPECT_EQ(CapcodeOf(rig.image, 0), 2097151u);
    EXPECT_EQ(rig.host.capcodeText[0], "2097151");
    EXPECT_EQ(rig.image.GetBits(0x360, 7, 1), 1);
}

TEST(ProgrammingDialog, OnlyTheSecondCapcodeAdvancesAndFailuresDoNot) {
    DialogRig rig;
    PutCapcode(rig.image, 1, 131071);
    rig.image.set(0x363, 0x81);
    rig.host.ReadCapcodes();
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, false, true);
    dialog->cmdWrite_Click();
    EXPECT_EQ(rig.image.at(0x363), 0x82);
    EXPECT_EQ(rig.image.at(0x364), 0x00);
    EXPECT_EQ(rig.image.at(0x365), 0x00);
    EXPECT_EQ(CapcodeOf(rig.image, 0), 1234567u);
    EXPECT_EQ(rig.view.autoLabelText[2], " 2nd capcode : 0131071");

    rig.board.SetFault({sim::Fault::WrongReadChecksum, 0});
    dialog->cmdWrite_Click();
    EXPECT_EQ(CapcodeOf(rig.image, 1), 131072u);
    EXPECT_TRUE(rig.view.buttonsEnabled);
}

TEST(ProgrammingDialog, SetCapcodeKeepsTheFlagAndCountsOnFromTheImageWhenTheBoxIsEmpty) {
    DialogRig rig;
    auto dialog = rig.Open();
    dialog->set_capcode(0);
    EXPECT_EQ(rig.image.at(0x360), 0x92);
    EXPECT_EQ(rig.image.at(0x361), 0xD6);
    EXPECT_EQ(rig.image.at(0x362), 0x88);
    EXPECT_EQ(rig.host.capcodeText[0], "1234568");

    rig.host.capcodeText[0] = "";
    dialog->set_capcode(0);
    EXPECT_EQ(CapcodeOf(rig.image, 0), 1234569u);
}

TEST(ProgrammingDialog, ReadRunsAndCloses) {
    DialogRig rig;
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationRead, false, false);
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Read success!"});
    EXPECT_EQ(rig.host.imagesReplaced, 1);
    EXPECT_TRUE(rig.view.closed);
}

TEST(BoardWatch, UnplugAndReplug) {
    LinkRig rig;
    rig.port.AttachSilent(2);
    // Start: the board on COM5 found at start-up.
    rig.link.boardPort = -1;
    ASSERT_TRUE(StartupBoardProbe(rig.link, rig.host));
    EXPECT_TRUE(rig.host.timerRunning);

    struct Tick {
        std::vector<int> listed;
        bool unplugged;
        const char* line;
        int boardPort;
    } ticks[] = {
        {{2, 5}, false, "  The Programmed Board Connect !", 5},  // first tick: looked up
        {{2, 5}, false, "  The Programmed Board Connect !", 5},  // still there
        {{2}, true, "  The Programmed Board Disconnect !", -1},  // cable pulled
        {{2}, true, "  The Programmed Board Disconnect !", -1},  // no new device: no probe
        {{2, 5}, false, "  The Programmed Board Connect !", 5},  // plugged in: probed
        {{}, false, "  The Programmed Board Disconnect !", -1},  // nothing listed
    };
    int i = 0;
    for (const auto& t : ticks) {
        rig.lister.SetComs(t.listed);
        if (t.unplugged) {
            rig.port.Unplug(5);
        } else {
            rig.port.Replug(5);
        }
        const int probesBefore = rig.board.probes();
        BoardWatchTick(rig.link, rig.host);
        EXPECT_EQ(rig.host.boardLine, t.line) << "tick " << i;
        EXPECT_EQ(rig.host.boardColour, t.boardPort > 0 ? 0u : 255u) << "tick " << i;
        EXPECT_EQ(rig.host.pagerMenu, t.boardPort > 0) << "tick " << i;
        EXPECT_EQ(rig.link.boardPort, t.boardPort) << "tick " << i;
        EXPECT_EQ(rig.link.boardDeviceCount, static_cast<int>(t.listed.size())) << "tick " << i;
        EXPECT_TRUE(rig.host.timerRunning);
        if (i == 4) EXPECT_EQ(rig.board.probes(), probesBefore + 1);
        if (i == 3) EXPECT_EQ(rig.board.probes(), probesBefore);
        ++i;
    }
    EXPECT_TRUE(rig.dialogs.Texts().empty());
}

// The cable is listed but no board is known: because the board was still switched off at the
// start-up probe, or because a transfer lost the port. The watch probes again, at most every 9 s.
TEST(BoardWatch, ABoardSwitchedOnLateIsFoundByARetriedProbe) {
    for (const bool afterPortError : {false, true}) {
        SCOPED_TRACE(afterPortError ? "after a port error" : "board off at start-up");
        LinkRig rig;
        rig.link.boardPort = -1;
        if (afterPortError) {
            ASSERT_TRUE(StartupBoardProbe(rig.link, rig.host));
            rig.board.SetFault({sim::Fault::HangUpOnRead, 1});
            ASSERT_FALSE(rig.link.usb_read(0, 127, kBlockSize));
            ASSERT_EQ(rig.link.boardPort, -1);
            rig.port.Replug(5);
        } else {
            rig.port.AttachBoard(5, nullptr);  // the cable is in, the board is off
            ASSERT_FALSE(StartupBoardProbe(rig.link, rig.host));
        }
        rig.port.AttachBoard(5, &rig.board);  // now the board answers
        rig.board.SetFault({});
        const int probesBefore = rig.board.probes();
        std::vector<int> probedAt;
        for (int tick = 1; tick <= 4 && rig.link.boardPort < 0; ++tick) {
            rig.clock.Advance(kWatchIntervalMs);
            const int probes = rig.board.probes();
            BoardWatchTick(rig.link, rig.host);
            if (rig.board.probes() > probes) probedAt.push_back(tick);
        }
        EXPECT_EQ(probedAt, std::vector<int>{3}) << "the third tick is 9 s after the last probe";
        EXPECT_EQ(rig.board.probes(), probesBefore + 1);
        EXPECT_EQ(rig.link.boardPort, 5);
        EXPECT_EQ(rig.host.boardLine, "  The Programmed Board Connect !");
        EXPECT_TRUE(rig.host.pagerMenu);
        EXPECT_TRUE(rig.host.timerRunning);
    }
}

TEST(BoardWatch, KnownPortGoneFromTheListClearsIt) {
    LinkRig rig;
    rig.link.boardPort = 5;
    rig.link.boardDeviceCount = 1;
    rig.lister.SetComs({6});
    BoardWatchTick(rig.link, rig.host);
    EXPECT_EQ(rig.link.boardPort, -1);
    EXPECT_EQ(rig.host.boardLine, "  The Programmed Board Disconnect !");
}

}  // namespace
}  // namespace kpx::testing
