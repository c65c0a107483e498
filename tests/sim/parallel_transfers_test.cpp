#include <gtest/gtest.h>

#include "image/charmap.h"
#include "link/observed_transfers.h"
#include "link/serial_transfers.h"
#include "parallel_rig.h"

namespace kpx::testing {
namespace {

using sim::EepromFault;

std::vector<std::string> Texts(std::initializer_list<const char*> texts) {
    return {texts.begin(), texts.end()};
}

// The German image with capcode 1 enabled with a function.
PagerImage GermanWithFunction() {
    PagerImage image = GermanImage();
    image.set(0x0ED, 0x01);
    return image;
}

TEST(ParallelBus, SelectAndAddressBytes) {
    struct Case {
        int address;
        std::uint8_t select, low;
    } cases[] = {{0x000, 0xA0, 0x00},
                 {0x0FF, 0xA0, 0xFF},
                 {0x100, 0xA2, 0x00},
                 {0x3FF, 0xA6, 0xFF},
                 {0x7FF, 0xAE, 0xFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(SelectByte(c.address), c.select) << c.address;
        EXPECT_EQ(AddressByte(c.address), c.low) << c.address;
    }
    EXPECT_THROW(SelectByte(0x800), std::out_of_range);
}

TEST(ParallelBus, ConnectTriesTheBasesInOrder) {
    struct Case {
        std::uint16_t base;  // where the memory sits
        bool found;
        std::uint16_t status;
    } cases[] = {
        {0x378, true, 0x379}, {0x278, true, 0x279}, {0x3BC, true, 0x3BD}, {0x300, false, 0}};
    for (const auto& c : cases) {
        sim::EepromOptions options = ParallelRig::DefaultPager();
        options.base = c.base;
        ParallelRig rig(options);
        EXPECT_EQ(rig.link.lpt_connect(), c.found) << c.base;
        if (c.found) {
            EXPECT_EQ(rig.link.LptDataPort, c.base);
            EXPECT_EQ(rig.link.LptStatusPort, c.status);
            EXPECT_TRUE(rig.dialogs.shown().empty());
        } else {
            ASSERT_EQ(rig.dialogs.shown().size(), 1u);
            EXPECT_EQ(rig.dialogs.shown()[0].text, "The Programmed Board is not responding!");
            EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
        }
        // The probe leaves the bus stopped.
        EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
    }
}

TEST(ParallelBus, ReadByteAtAndItsAcknowledgePolling) {
    struct Case {
        EepromFault fault;
        bool ok;
        int starts;  // start conditions the read sent
    } cases[] = {
        {EepromFault::None, true, 2},
        {EepromFault::NeverAck, false, 10},
        // The tenth start is answered, but too late to count.
        {EepromFault::AckFromTenthStart, false, 10},
    };
    for (const auto& c : cases) {
        ParallelRig rig(ParallelRig::WithFault(c.fault));
        rig.memory.memory()[0x3FF] = 0x5A;
        const auto b = rig.link.ReadByteAt(0x3FF);
        EXPECT_EQ(b.has_value(), c.ok);
        EXPECT_EQ(rig.memory.starts(), c.starts);
        EXPECT_EQ(rig.link.TransferFailed, !c.ok);
        if (c.ok) {
            EXPECT_EQ(*b, 0x5A);
            EXPECT_TRUE(rig.dialogs.shown().empty());
            EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
        } else {
            EXPECT_EQ(rig.dialogs.Texts(), Texts({"Read error!"}));
            EXPECT_EQ(rig.link.LptDataShadow, 0xFE);  // aborted: clock released, data low
        }
    }
}

TEST(ParallelWriteAll, WritesSixtyFourPagesWithTheWriteFlag) {
    ParallelRig rig;
    rig.memory.memory().fill(0xFF);
    rig.image = GermanWithFunction();
    EncodeTextRegions(rig.image);
    rig.transfers.lpt_writeall(rig.image, 0, kImageLast);
    EXPECT_FALSE(rig.link.TransferFailed);
    EXPECT_TRUE(rig.dialogs.shown().empty());
    EXPECT_EQ(rig.memory.pagesWritten(), 64);
    EXPECT_EQ(ImageIn(rig.memory.memory()), rig.image);
    EXPECT_EQ(rig.image.at(0x3E0), 1);
    EXPECT_EQ(rig.host.refreshes, 1);
    // Encoded on the wire: ä ß Ü in the German set.
    EXPECT_EQ(rig.memory.memory()[0x105], 0x7B);
    EXPECT_EQ(rig.memory.memory()[0x106], 0x7E);
    EXPECT_EQ(rig.memory.memory()[0x3B2], 0x5D);

    std::vector<int> expected = {0};  // the bar set up at the start
    for (int page = 0; page < 64; ++page) expected.push_back(page * 16);
    EXPECT_EQ(rig.view.positions, expected);
    EXPECT_EQ(rig.view.progressMax, kImageLast - 16);
    EXPECT_EQ(rig.view.status, "Writing Now.......");
    EXPECT_EQ(rig.view.colour, ProgressColour::Highlight);
    // Only the four line states go to the data register.
    EXPECT_EQ(rig.port.dataValues, (std::set<std::uint8_t>{0xFC, 0xFD, 0xFE, 0xFF}));
    EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
}

TEST(ParallelWriteAll, FailuresStopTheWrite) {
    struct Case {
        EepromFault fault;
        int address;
        const char* message;
        int pagesWritten;
    } cases[] = {
        // The pre-read of the GP mark is the first to go unanswered.
        {EepromFault::NeverAck, 0, "Read error!", 0},
        {EepromFault::AckFromTenthStart, 0, "Read error!", 0},
        // Pages before the one with the refused byte stay programmed.
        {EepromFault::NoDataAck, 0x123, "Write error!", 0x12},
    };
    for (const auto& c : cases) {
        ParallelRig rig(ParallelRig::WithFault(c.fault, c.address));
        rig.image = GermanWithFunction();
        rig.transfers.lpt_writeall(rig.image, 0, kImageLast);
        EXPECT_TRUE(rig.link.TransferFailed);
        EXPECT_EQ(rig.dialogs.Texts(), Texts({c.message}));
        EXPECT_EQ(rig.memory.pagesWritten(), c.pagesWritten);
    }
}

TEST(ParallelWriteAll, APageNotAcknowledgedWithinHalfASecondIsAWriteError) {
    sim::EepromOptions options = ParallelRig::DefaultPager();
    options.writeCycleMs = 2000;
    ParallelRig rig(options);
    rig.clock.SetTickStep(1);
    rig.image = GermanWithFunction();
    rig.transfers.lpt_writeall(rig.image, 0, kImageLast);
    EXPECT_TRUE(rig.link.TransferFailed);
    EXPECT_EQ(rig.dialogs.Texts(), Texts({"Write error!"}));
    EXPECT_EQ(rig.memory.pagesWritten(), 1);
    EXPECT_EQ(rig.view.positions.back(), 16);
}

TEST(ParallelWriteAll, GpQuestionAnsweredNoWritesNothing) {
    ParallelRig rig;
    rig.memory.memory()[0x3F8] = 0xAA;
    rig.dialogs.AnswerNext(DialogAnswer::No);
    rig.transfers.lpt_writeall(rig.image, 0, kImageLast);
    EXPECT_EQ(rig.dialogs.Texts(),
              Texts({"The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?"}));
    EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
    EXPECT_TRUE(rig.link.TransferFailed);
    EXPECT_EQ(rig.memory.pagesWritten(), 0);
}

TEST(ParallelReadAll, RoundTripDecodesTheGermanTexts) {
    PagerImage german = GermanWithFunction();
    EncodeTextRegions(german);
    sim::EepromOptions options;
    options.memory = MemoryWith(german);
    ParallelRig rig(options);
    rig.transfers.lpt_readall(rig.image, 0, kImageLast);
    EXPECT_FALSE(rig.link.TransferFailed);
    EXPECT_EQ(rig.dialogs.Texts(), Texts({"Read success!"}));
    EXPECT_EQ(rig.host.imagesReplaced, 1);
    EXPECT_EQ(rig.image, german);
    DecodeTextRegions(rig.image);
    EXPECT_EQ(rig.image, GermanWithFunction());
    EXPECT_EQ(rig.view.status, "Reading Now.......");
    EXPECT_EQ(rig.view.colour, ProgressColour::Purple);
    // The bar moves at the last byte of every page but the final one.
    ASSERT_EQ(rig.view.positions.size(), 1u + 63u);
    EXPECT_EQ(rig.view.positions[1], 15);
    EXPECT_EQ(rig.view.positions.back(), 1007);
}

TEST(ParallelReadAll, FailedOrImplausibleReadsKeepTheImage) {
    struct Case {
        const char* name;
        EepromFault fault;
        int address;
        long failAfter;  // data writes before the memory stops answering; -1 never
        std::vector<std::string> messages;
        bool failed;
    } cases[] = {
        {"never acknowledges", EepromFault::NeverAck, 0, -1, {"Read error!"}, true},
        {"tenth start", EepromFault::AckFromTenthStart, 0, -1, {"Read error!"}, true},
        {"stops half-way", EepromFault::None, 0, 20000, {"Read error!"}, true},
        {"signature bit",
         EepromFault::FlipBit,
         2,
         -1,
         {"Read success!", "The data in this pager is wrong!"},
         true},
        {"0x3F7 bit",
         EepromFault::FlipBit,
         0x3F7,
         -1,
         {"Read success!", "The data in this pager is wrong!"},
         true},
    };
    for (const auto& c : cases) {
        sim::EepromOptions options = ParallelRig::WithFault(c.fault, c.address);
        options.memory->fill(0x33);
        const std::string ident = "KPX41V1.0V1.03";
        std::copy(ident.begin(), ident.end(), options.memory->begin() + 0x3E1);
        const PagerImage defaults = BuildDefaultImage();
        std::copy_n(defaults.bytes().begin(), 4, options.memory->begin());
        std::copy_n(defaults.bytes().begin() + 0x3F0, 8, options.memory->begin() + 0x3F0);
        ParallelRig rig(options);
        rig.port.failAfter = c.failAfter;
        const PagerImage before = rig.image;
        // The backups hook: a read that kept the image is no read to keep.
        ObservedTransfers observed(rig.transfers);
        int reads = 0;
        observed.afterRead = [&reads](const PagerImage&) { ++reads; };
        observed.readall(rig.image, 0, kImageLast);
        EXPECT_EQ(reads, 0) << c.name;
        EXPECT_EQ(rig.dialogs.Texts(), c.messages) << c.name;
        EXPECT_EQ(rig.link.TransferFailed, c.failed) << c.name;
        EXPECT_EQ(rig.image, before) << c.name;
        EXPECT_EQ(rig.host.imagesReplaced, 0) << c.name;
    }
}

TEST(ParallelReadAll, RefusesAnotherModelWithAllFourteenBytes) {
    sim::EepromOptions options = ParallelRig::DefaultPager();
    const std::uint8_t ident[] = {'K', 'P', 'X', '4', '2', 'V', '2',
                                  '.', '0', 'V', '1', '.', '0', '9'};
    std::copy(std::begin(ident), std::end(ident), options.memory->begin() + 0x3E1);
    ParallelRig rig(options);
    const PagerImage before = rig.image;
    rig.transfers.lpt_readall(rig.image, 0, kImageLast);
    ASSERT_EQ(rig.dialogs.shown().size(), 1u);
    EXPECT_EQ(rig.dialogs.shown()[0].text,
              "This pager is not KPX41 !\r\n\r\nIt is KPX42 ( PCB V2.0, Software V1.09 )");
    EXPECT_EQ(rig.dialogs.shown()[0].icon, DialogIcon::Warning);
    EXPECT_TRUE(rig.link.TransferFailed);
    EXPECT_EQ(rig.image, before);
}

TEST(ParallelVerify, ComparesEveryByteInOneSequentialRead) {
    struct Case {
        const char* name;
        EepromFault fault;
        int address;
        int changedInImage;  // -1: none
        const char* message;
        int starts;
    } cases[] = {
        {"same", EepromFault::None, 0, -1, "Verify Success!", 2},
        {"last address in the image", EepromFault::None, 0, kImageLast, "Verify Error!", 2},
        {"last address read wrong", EepromFault::FlipBit, kImageLast, -1, "Verify Error!", 2},
        {"block boundary", EepromFault::FlipBit, 0x100, -1, "Verify Error!", 2},
        // Left to the dialog's release step to stop the bus.
        {"never acknowledges", EepromFault::NeverAck, 0, -1, "Read error!", 10},
    };
    for (const auto& c : cases) {
        ParallelRig rig(ParallelRig::WithFault(c.fault, c.address));
        if (c.changedInImage >= 0) rig.image.at(c.changedInImage) ^= 0x80;
        rig.transfers.lpt_verify(rig.image, 0, kImageLast);
        EXPECT_EQ(rig.dialogs.Texts(), Texts({c.message})) << c.name;
        EXPECT_EQ(rig.link.TransferFailed, std::string(c.message) != "Verify Success!") << c.name;
        EXPECT_EQ(rig.memory.starts(), c.starts) << c.name;
        EXPECT_EQ(rig.view.status, "Verifying Now.....");
        if (c.starts == 2) EXPECT_EQ(rig.link.LptDataShadow, kBusIdle) << c.name;
        // After a difference the read went on to the end: the whole pager, for the list of what
        // differs.
        const auto pager = rig.transfers.MismatchedPager();
        const bool differs = std::string(c.message) == "Verify Error!";
        ASSERT_EQ(pager.has_value(), differs) << c.name;
        ImageBytes read = ImageIn(rig.memory.memory()).bytes();
        if (c.fault == EepromFault::FlipBit) read[c.address] ^= 0x01;
        if (differs) EXPECT_EQ(*pager, read) << c.name;
    }
    ParallelRig rig;
    rig.transfers.lpt_verify(rig.image, 0, kImageLast);
    std::vector<int> expected = {0};
    for (int page = 0; page < 64; ++page) expected.push_back(page * 16);
    EXPECT_EQ(rig.view.positions, expected);
}

TEST(ParallelTransfersRelease, StopsTheBusAndHandsThePortBack) {
    ParallelRig rig;
    rig.link.SdaLow();
    rig.transfers.Release();
    EXPECT_EQ(rig.link.LptDataShadow, kBusIdle);
    EXPECT_EQ(rig.memory.releases(), 1);
}

}  // namespace
}  // namespace kpx::testing
