// The programming dialog over the parallel link; these run in the LPT build.
#include <gtest/gtest.h>

#include "link/programming_dialog.h"
#include "link/serial_link.h"
#include "parallel_rig.h"

namespace kpx::testing {
namespace {

// The dialog over the parallel link; the serial side is never reached.
struct DialogRig : ParallelRig {
    explicit DialogRig(sim::EepromOptions options = DefaultPager()) : ParallelRig(options) {
        image.set(0x0ED, 0x01);  // capcode 1 has a function, so it stays enabled
        image.set(0x3E0, 1);
        if (options.memory) memory.memory() = MemoryWith(image);
        host.ReadCapcodes();
    }
    std::unique_ptr<ProgrammingDialog> Open() {
        view = RecordingDialogView();
        return std::make_unique<ProgrammingDialog>(unused, &transfers, host, dialogs, image, view);
    }

    // Any use of the serial link fails the test.
    struct NoSerial : PagerTransfers {
        void writeall(PagerImage&, int, int) override { ADD_FAILURE() << "serial write"; }
        void readall(PagerImage&, int, int) override { ADD_FAILURE() << "serial read"; }
        void verify(const PagerImage&, int, int) override { ADD_FAILURE() << "serial verify"; }
        bool TransferFailed() const override { return false; }
        void SetView(TransferView*) override {}
    } unused;
};

TEST(ParallelDialog, EachOperationConnectsFirstAndReleasesAfterEveryTransfer) {
    struct Case {
        int operation;
        std::vector<std::string> messages;
        int releases;
    } cases[] = {
        {kOperationRead, {"Read success!"}, 1},
        {kOperationVerify, {"Verify Success!"}, 1},
        {kOperationWrite, {"Verify Success!"}, 2},  // the write, then the verify
    };
    for (const auto& c : cases) {
        DialogRig rig;
        rig.memory.SetWriteCycleMs(0);
        auto dialog = rig.Open();
        dialog->Form_Activate(c.operation, false, false);
        EXPECT_EQ(rig.dialogs.Texts(), c.messages) << c.operation;
        EXPECT_EQ(rig.memory.releases(), c.releases) << c.operation;
        EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
        EXPECT_TRUE(rig.view.closed);
    }
}

TEST(ParallelDialog, NoMemoryOnAnyBaseClosesWithoutATransfer) {
    for (int operation : {kOperationRead, kOperationWrite, kOperationVerify}) {
        sim::EepromOptions options = ParallelRig::DefaultPager();
        options.base = 0x300;
        DialogRig rig(options);
        auto dialog = rig.Open();
        dialog->Form_Activate(operation, true, false);
        EXPECT_EQ(rig.dialogs.Texts(),
                  std::vector<std::string>{"The Programmed Board is not responding!"});
        EXPECT_TRUE(rig.view.closed);
        EXPECT_FALSE(rig.view.buttonsShown);
        EXPECT_EQ(rig.memory.dataWrites(), 0);
        EXPECT_EQ(rig.memory.releases(), 1);  // the probed ports handed back
    }
}

TEST(ParallelDialog, ModifyModeRefusesAfterConnecting) {
    DialogRig rig;
    rig.host.modifyMode = true;
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, false, false);
    EXPECT_EQ(rig.dialogs.Texts(),
              std::vector<std::string>{"Modify Mode can not write! Please check!"});
    EXPECT_EQ(rig.memory.starts(), 0);  // the probe only, no transfer
    EXPECT_EQ(rig.memory.pagesWritten(), 0);
}

TEST(ParallelDialog, ProductionModeAdvancesTheCapcodeAfterAGoodPagerOnly) {
    DialogRig rig;
    rig.memory.SetWriteCycleMs(0);
    auto dialog = rig.Open();
    dialog->Form_Activate(kOperationWrite, true, false);
    EXPECT_TRUE(rig.view.buttonsShown);
    EXPECT_EQ(rig.memory.pagesWritten(), 0);

    const std::uint32_t first = CapcodeOf(rig.image, 0);
    dialog->cmdWrite_Click();
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_EQ(CapcodeOf(ImageIn(rig.memory.memory()), 0), first);
    EXPECT_EQ(CapcodeOf(rig.image, 0), first + 1);

    rig.dialogs.Clear();
    rig.memory.SetFault({sim::EepromFault::NoDataAck, 0x361});
    dialog->cmdWrite_Click();
    EXPECT_EQ(rig.dialogs.Texts(), std::vector<std::string>{"Write error!"});
    EXPECT_EQ(CapcodeOf(rig.image, 0), first + 1);
    EXPECT_TRUE(rig.view.buttonsEnabled);
    EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
}

}  // namespace
}  // namespace kpx::testing
