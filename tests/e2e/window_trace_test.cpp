// KPX41_TRACE in the real program: the start-up look for the board lands in the trace, frames
// over the cable or bus events over the parallel port, as the build's link is.
#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <chrono>
#include <sstream>

#include "link/bus_trace.h"
#include "link/frame_trace.h"
#include "link/serial_link.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

using kpx::testing::ReadFile;

TEST(WindowTrace, TheStartUpProbeIsTracedForTheBuildsLink) {
    testing::TempDir dir;
    const std::string trace = dir.File("window.trace");
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KPX41_TRACE", QString::fromStdString(trace));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", QString::fromStdString(dir.path()));
    env.insert("XDG_DATA_HOME", QString::fromStdString(dir.path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.path()));
    program.setProcessEnvironment(env);
    program.start(QString(KPX41_BIN_DIR) + "/kpx41-programmer", {"--simulate"});
    ASSERT_TRUE(program.waitForStarted(10000));

    // Done looking: the board answered, or the port was handed back.
    const std::string done = LinkIsUsb() ? " < " : " # release";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadFile(trace).find(done) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline &&
           program.state() == QProcess::Running) {
        QThread::msleep(50);
    }
    program.kill();
    program.waitForFinished(10000);

    const std::string text = ReadFile(trace);
    std::istringstream in(text);
    if (LinkIsUsb()) {
        const auto frames = DecodeTrace(in);
        ASSERT_GE(frames.size(), 2u) << text;
        EXPECT_EQ(frames[0].direction, '>');
        EXPECT_EQ(frames[1].direction, '<');
    } else {
        // The probe finds the simulated memory at the first base and lets the port go.
        EXPECT_NE(text.find(" 0x378 # sda high\n"), std::string::npos) << text;
        EXPECT_NE(text.find(" 0x378 # release\n"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace kpx
