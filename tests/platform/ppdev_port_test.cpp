#include "platform/ppdev_port.h"

#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <stdlib.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx {
namespace {

// The kernel as the adapter sees it: records every call, answers as set.
class FakeParportSystem : public ParportSystem {
  public:
    struct Call {
        std::string what;  // "open PATH", "ioctl NAME", "close"
        std::uint8_t value = 0;
        bool operator==(const Call&) const = default;
    };

    int Open(const std::string& path) override {
        calls.push_back({"open " + path});
        return openResult;
    }
    int Ioctl(int, unsigned long request, std::uint8_t* value) override {
        std::string name = request == PPCLAIM     ? "PPCLAIM"
                           : request == PPRELEASE ? "PPRELEASE"
                           : request == PPWDATA   ? "PPWDATA"
                           : request == PPRDATA   ? "PPRDATA"
                           : request == PPRSTATUS ? "PPRSTATUS"
                                                  : "other";
        if (request == PPRSTATUS) *value = status;
        if (request == PPRDATA) *value = data;
        if (request == PPWDATA) data = *value;
        calls.push_back({"ioctl " + name, value ? *value : std::uint8_t{0}});
        return request == PPCLAIM ? claimResult : 0;
    }
    void Close(int) override { calls.push_back({"close"}); }

    std::vector<Call> calls;
    int openResult = 7;
    int claimResult = 0;
    std::uint8_t status = 0x7F;
    std::uint8_t data = 0;
};

using Call = FakeParportSystem::Call;

TEST(PpdevPortIo, ClaimsAtFirstUseWritesReadsAndReleases) {
    FakeParportSystem kernel;
    PpdevPortIo io({{0x378, "/dev/parport0"}}, kernel);
    io.Out(0x378, 0xFE);
    EXPECT_EQ(io.In(0x379), 0x7F);
    EXPECT_EQ(io.In(0x378), 0xFE);
    io.Release();
    const std::vector<Call> expected = {{"open /dev/parport0"},
                                        {"ioctl PPCLAIM"},
                                        {"ioctl PPWDATA", 0xFE},
                                        {"ioctl PPRSTATUS", 0x7F},
                                        {"ioctl PPRDATA", 0xFE},
                                        {"ioctl PPRELEASE"},
                                        {"close"}};
    EXPECT_EQ(kernel.calls, expected);
    EXPECT_TRUE(io.Problems().empty());

    // The next transfer claims it again.
    kernel.calls.clear();
    io.Out(0x378, 0xFC);
    EXPECT_EQ(kernel.calls.size(), 3u);
    EXPECT_EQ(kernel.calls[1].what, "ioctl PPCLAIM");
}

TEST(PpdevPortIo, UnusableBasesReadLikeAnEmptyPortAndSayWhy) {
    struct Case {
        const char* name;
        int openResult;
        int claimResult;
        std::uint16_t base;  // the one asked for
        std::vector<std::string> problems;
        std::vector<std::string> calls;
    } cases[] = {
        {"no device for the base", 7, 0, 0x278, {}, {}},
        {"no permission",
         -EACCES,
         0,
         0x378,
         {"cannot open /dev/parport0 for the port at 0x378: Permission denied (join the group "
          "lp: sudo usermod -aG lp $USER, then log in again)"},
         {"open /dev/parport0"}},
        {"no such device",
         -ENOENT,
         0,
         0x378,
         {"cannot open /dev/parport0 for the port at 0x378: No such file or directory"},
         {"open /dev/parport0"}},
        {"busy",
         7,
         -EBUSY,
         0x378,
         {"cannot claim /dev/parport0: Device or resource busy"},
         {"open /dev/parport0", "ioctl PPCLAIM", "close"}},
    };
    for (const auto& c : cases) {
        FakeParportSystem kernel;
        kernel.openResult = c.openResult;
        kernel.claimResult = c.claimResult;
        PpdevPortIo io({{0x378, "/dev/parport0"}}, kernel);
        io.Out(c.base, 0xFD);
        EXPECT_EQ(io.In(c.base + 1), 0xFF) << c.name;  // status bit 3 set: no board
        EXPECT_EQ(io.In(c.base), 0xFF) << c.name;
        std::vector<std::string> calls;
        for (const auto& call : kernel.calls) calls.push_back(call.what);
        // A failed device is tried once per transfer, not at every access.
        EXPECT_EQ(calls, c.calls) << c.name;
        EXPECT_EQ(io.Problems(), c.problems) << c.name;
    }
}

TEST(ParportLookup, ParsesTheOverrideList) {
    std::string problem;
    const auto map =
        ParseParportList("0x378=/dev/parport0,0x278=/dev/parport1,956=/dev/pp3", &problem);
    ASSERT_TRUE(map.has_value()) << problem;
    EXPECT_EQ(*map, (ParportMap{
                        {0x378, "/dev/parport0"}, {0x278, "/dev/parport1"}, {0x3BC, "/dev/pp3"}}));
    for (const char* bad : {"0x378", "0x378=", "=/dev/parport0", "zz=/dev/x", "0x378=/dev/a,x"}) {
        EXPECT_FALSE(ParseParportList(bad, &problem).has_value()) << bad;
        EXPECT_NE(problem.find("not BASE=DEVICE"), std::string::npos) << bad;
    }
    EXPECT_EQ(ParseParportList("", &problem), ParportMap{});
}

TEST(ParportLookup, ScansTheKernelsBaseAddresses) {
    testing::TempDir proc;
    namespace fs = std::filesystem;
    auto port = [&](const std::string& name, const std::string& text) {
        fs::create_directories(proc.File(name));
        std::ofstream(proc.File(name + "/base-addr")) << text;
    };
    port("parport0", "888\t1912\n");
    port("parport1", "632\t1656\n");
    port("parport2", "garbage\n");
    fs::create_directories(proc.File("default"));
    EXPECT_EQ(ScanParports(proc.path()),
              (ParportMap{{0x378, "/dev/parport0"}, {0x278, "/dev/parport1"}}));
    EXPECT_EQ(ScanParports(proc.File("missing")), ParportMap{});
}

TEST(ParportLookup, TheEnvironmentOverridesTheKernel) {
    {
        const testing::ScopedEnv named("KPX41_PARPORTS", "0x3BC=/dev/parport9");
        EXPECT_EQ(MachineParports(), (ParportMap{{0x3BC, "/dev/parport9"}}));
    }
    const testing::ScopedEnv nonsense("KPX41_PARPORTS", "nonsense");
    std::string problem;
    EXPECT_EQ(MachineParports(&problem), ParportMap{});
    EXPECT_EQ(problem, "KPX41_PARPORTS: not BASE=DEVICE: nonsense");
}

}  // namespace
}  // namespace kpx
