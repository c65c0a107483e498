#include <gtest/gtest.h>

#include "link/board_watch.h"
#include "link/device_lister.h"
#include "link/serial_transfers.h"

namespace kpx {
namespace {

TEST(PortNumberFromName, TakesTheDigitsAfterCom) {
    struct Case {
        const char* name;
        std::optional<int> port;
    } cases[] = {
        {"Prolific USB-to-Serial Comm Port (COM5)\r\n", 5},
        {"Prolific USB-to-Serial Comm Port (COM12)", 12},
        {"Prolific USB-to-Serial Comm Port (COM200)\r\n", 200},
        {"Prolific USB-to-Serial Comm Port", std::nullopt},
        {"Prolific USB-to-Serial Comm Port (COM)", std::nullopt},
        {"Prolific USB-to-Serial Comm Port (COMx)", std::nullopt},
        {"Prolific USB-to-Serial Comm Port (COM5", std::nullopt},
        {"Prolific USB-to-Serial Comm Port (COM99999999)", std::nullopt},
        {"Odd (LPT1) name (COM3)", 1},  // the first "(" decides
    };
    for (const auto& c : cases) EXPECT_EQ(PortNumberFromName(c.name), c.port) << c.name;
}

TEST(DescriptionMatches, CableAndCommunicationsPort) {
    EXPECT_TRUE(DescriptionMatches("Prolific USB-to-Serial Comm Port", kCableDescription));
    EXPECT_TRUE(DescriptionMatches("Communications   Port", kCableDescription));
    EXPECT_TRUE(DescriptionMatches("COMMUNICATIONS   PORT", kCableDescription));
    EXPECT_FALSE(DescriptionMatches("Communications Port", kCableDescription));
    EXPECT_FALSE(DescriptionMatches("prolific usb-to-serial comm port", kCableDescription));
}

TEST(BoardWatchDecision, ProbesForANewDeviceOrEvery9sWithNoBoardKnown) {
    struct Case {
        int n, count, port;
        std::optional<int> sinceProbe;
        WatchAction action;
    } cases[] = {
        {0, 0, -1, 0, WatchAction::Absent},
        {0, 2, 5, 0, WatchAction::Absent},
        {1, 0, -1, 0, WatchAction::Probe},
        {2, 1, -1, 0, WatchAction::Probe},
        {2, 1, 5, 0, WatchAction::LookUp},
        {1, 1, -1, 0, WatchAction::LookUp},
        {1, 2, -1, 8999, WatchAction::LookUp},
        {1, 1, 5, 60000, WatchAction::LookUp},
        {1, 1, -1, 9000, WatchAction::Probe},
        {1, 3, -1, 12000, WatchAction::Probe},
        {1, 1, -1, std::nullopt, WatchAction::Probe},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecideBoardWatch(c.n, c.count, c.port, c.sinceProbe), c.action)
            << c.n << " " << c.count << " " << c.port << " " << c.sinceProbe.value_or(-1);
    }
    EXPECT_TRUE(PortListed({"A (COM3)\r\n", "A (COM5)\r\n"}, 5));
    EXPECT_FALSE(PortListed({"A (COM3)\r\n"}, 5));
    EXPECT_FALSE(PortListed({"A (COM3)\r\n"}, -1));
}

TEST(IdentificationText, StopsAtTheFirstByteOutsidePrintable) {
    std::vector<std::uint8_t> bytes(0x3F0, 0);
    const std::string full = "KPX41V1.0V1.03";
    std::copy(full.begin(), full.end(), bytes.begin() + 0x3E1);
    EXPECT_EQ(IdentificationText(bytes), full);
    bytes[0x3E8] = 0x80;
    EXPECT_EQ(IdentificationText(bytes), "KPX41V1");
    bytes[0x3E8] = 0x7F;
    EXPECT_EQ(IdentificationText(bytes).size(), 14u);
    bytes[0x3E1] = 0x1F;
    EXPECT_EQ(IdentificationText(bytes), "");
    EXPECT_EQ(NotKpx41Message(""), "This pager is not KPX41 !\r\n\r\nIt is  ( PCB , Software  )");
}

// What the simulators put at 0x3E1 when told nothing is the start-up image's own text, a
// longer one is cut at the identification's end, and only the model text makes a KPX41.
TEST(IdentificationText, WrittenAsTheStartImageHoldsItAndRecognisedByTheModel) {
    EXPECT_EQ(DefaultIdentification(), "KPX41V1.0V1.03");
    std::vector<std::uint8_t> memory(2048, 0xEE);
    WriteIdentification(memory, "KPX41V9.9V9.99-and-more");
    EXPECT_EQ(IdentificationText(memory), "KPX41V9.9V9.99");
    EXPECT_EQ(memory[kIdentLast + 1], 0xEE);
    for (const char* other : {"KPX40V1.0", "kpx41V1.0", "KPX4", ""}) {
        EXPECT_FALSE(IsKpx41(other)) << other;
    }
    EXPECT_TRUE(IsKpx41("KPX41"));
}

}  // namespace
}  // namespace kpx
