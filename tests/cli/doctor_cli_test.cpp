#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/serial_link.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;
using testing::Kpx41;
using testing::Result;

TEST(DoctorCli, ExitsZeroOnlyWhenTheCableIsThereAndMayBeOpened) {
    testing::TempDir dir;
    const std::string sys = dir.File("sys"), dev = dir.File("dev"), proc = dir.File("proc");
    for (const auto& d : {sys + "/class/tty", dev, proc}) fs::create_directories(d);
    auto run = [&](std::string& out) {
        const Result r = Kpx41({"doctor", "--sysfs", sys, "--dev", dev, "--proc", proc});
        out = r.out;
        return r.code;
    };
    std::string out;
    EXPECT_EQ(run(out), 1);
    EXPECT_NE(out.find("Serial cable (the link of this build):\n  FAIL  no programming cable"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("A transfer will not work until the problems marked FAIL are fixed.\n"),
              std::string::npos);

    const fs::path usb = sys + "/devices/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0/ttyUSB0");
    std::ofstream(usb / "idVendor") << "067b\n";
    fs::create_directories(sys + "/class/tty/ttyUSB0");
    fs::create_directory_symlink(usb / "1-1:1.0", sys + "/class/tty/ttyUSB0/device");
    std::ofstream(dev + "/ttyUSB0") << "";  // ours, so we may open it
    EXPECT_EQ(run(out), 0) << out;
    EXPECT_NE(
        out.find("  ok    cable seen: /dev/ttyUSB0 is Prolific USB-to-Serial Comm Port (COM1)\n"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("Everything a transfer needs is in place.\n"), std::string::npos);

    EXPECT_EQ(Kpx41({"doctor", "--sysfs"}).code, 2);
}

// The link this build does not drive is information only: FAIL is printed exactly when the
// exit is 1, in either build.
TEST(DoctorCli, AFailLineAppearsExactlyWhenTheExitIsOne) {
    testing::TempDir dir;
    const std::string sys = dir.File("sys"), dev = dir.File("dev"), proc = dir.File("proc");
    for (const auto& d : {sys + "/class/tty", dev, proc}) fs::create_directories(d);
    auto run = [&](std::string& out) {
        const Result r = Kpx41({"doctor", "--sysfs", sys, "--dev", dev, "--proc", proc});
        out = r.out;
        return r.code;
    };
    auto fails = [](const std::string& out) { return out.find("FAIL") != std::string::npos; };
    // Only the link of this build is in place: the other one's problems are information.
    if (LinkIsUsb()) {
        const fs::path usb = sys + "/devices/usb1/1-1";
        fs::create_directories(usb / "1-1:1.0/ttyUSB0");
        std::ofstream(usb / "idVendor") << "067b\n";
        fs::create_directories(sys + "/class/tty/ttyUSB0");
        fs::create_directory_symlink(usb / "1-1:1.0", sys + "/class/tty/ttyUSB0/device");
        std::ofstream(dev + "/ttyUSB0") << "";
    } else {
        std::ofstream(proc + "/modules") << "ppdev 24576 0 - Live 0x0\nlp 20480 0 - Live 0x0\n";
        std::ofstream(dev + "/parport0") << "";
    }
    // --json says the same: "ready" with exit 0, a "fail" verdict exactly with exit 1.
    auto runJson = [&](std::string& out) {
        std::ostringstream o, e;
        const int code =
            RunCli({"doctor", "--json", "--sysfs", sys, "--dev", dev, "--proc", proc}, o, e);
        out = o.str();
        return code;
    };
    std::string out;
    EXPECT_EQ(run(out), 0) << out;
    EXPECT_FALSE(fails(out)) << out;
    EXPECT_NE(out.find("  info  "), std::string::npos) << out;
    EXPECT_NE(out.find("(not used by this build; for information):\n"), std::string::npos) << out;
    EXPECT_EQ(runJson(out), 0) << out;
    EXPECT_NE(out.find("\"ready\": true"), std::string::npos) << out;
    EXPECT_EQ(out.find("\"verdict\": \"fail\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"verdict\": \"info\""), std::string::npos) << out;

    // Now this build's own link is missing.
    fs::remove(dev + (LinkIsUsb() ? "/ttyUSB0" : "/parport0"));
    if (!LinkIsUsb()) fs::remove(proc + "/modules");
    EXPECT_EQ(run(out), 1) << out;
    EXPECT_TRUE(fails(out)) << out;
    EXPECT_EQ(runJson(out), 1) << out;
    EXPECT_NE(out.find("\"ready\": false"), std::string::npos) << out;
    EXPECT_NE(out.find("\"verdict\": \"fail\""), std::string::npos) << out;
}

}  // namespace
}  // namespace kpx::cli
