// Without a display the programmer says what to set instead of letting Qt abort.

#include "gui/display_check.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <string>

#include "testsupport/test_env.h"

namespace kpx::gui {
namespace {

TEST(DisplayCheck, AWindowIsTriedOnlyWhereThePlatformCanOpenOne) {
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        bool available;
    } cases[] = {
        {nullptr, nullptr, nullptr, false},
        {"", "", "", false},
        {nullptr, ":0", nullptr, true},
        {nullptr, nullptr, "wayland-0", true},
        {"xcb", nullptr, "wayland-0", false},
        {"xcb", ":1", nullptr, true},
        {"xcb:nograb", ":1", nullptr, true},
        {"offscreen", nullptr, nullptr, true},
        {"minimal", nullptr, nullptr, true},
        {"vnc:size=800x600", nullptr, nullptr, true},
        // Qt's own list of platforms to try in turn.
        {"xcb;offscreen", nullptr, nullptr, true},
        {"xcb;xcb", nullptr, nullptr, false},
        // Qt looks for the default Wayland socket itself.
        {"wayland", nullptr, nullptr, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DisplayAvailable(c.platform, c.display, c.wayland), c.available)
            << (c.platform ? c.platform : "(unset)")
            << " DISPLAY=" << (c.display ? c.display : "(unset)")
            << " WAYLAND_DISPLAY=" << (c.wayland ? c.wayland : "(unset)");
    }
}

TEST(DisplayCheck, ThePlatformArgumentWinsOverTheEnvironment) {
    const kpx::testing::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    const char* plain[] = {"kpx41-programmer", "--simulate"};
    EXPECT_EQ(RequestedPlatform(2, const_cast<char**>(plain)), "offscreen");
    const char* given[] = {"kpx41-programmer", "-platform", "xcb"};
    EXPECT_EQ(RequestedPlatform(3, const_cast<char**>(given)), "xcb");
    const char* doubled[] = {"kpx41-programmer", "--platform", "minimal"};
    EXPECT_EQ(RequestedPlatform(3, const_cast<char**>(doubled)), "minimal");
}

// The real program, started as from a terminal without a desktop.
TEST(DisplayCheck, TheProgramWithoutADisplayPrintsOneLineAndExitsOne) {
    const struct {
        const char* platform;  // nullptr: unset
        QStringList args;
        int code;
        bool message;
    } cases[] = {
        {nullptr, {}, 1, true},
        {"xcb", {"--simulate"}, 1, true},
        {nullptr, {"-platform", "xcb"}, 1, true},
        {nullptr, {"--help"}, 0, false},
    };
    for (const auto& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        if (c.platform) env.insert("QT_QPA_PLATFORM", c.platform);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString(KPX41_BIN_DIR) + "/kpx41-programmer", c.args);
        ASSERT_TRUE(program.waitForFinished(20000));
        const std::string err = program.readAllStandardError().toStdString();
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << what << "\n" << err;
        EXPECT_EQ(program.exitCode(), c.code) << what << "\n" << err;
        if (c.message) {
            EXPECT_EQ(err, std::string(kNoDisplayMessage) + "\n") << what;
            EXPECT_TRUE(program.readAllStandardOutput().isEmpty()) << what;
        }
    }
}

}  // namespace
}  // namespace kpx::gui
