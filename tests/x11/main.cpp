// The window under a real X server: Xvfb on a display number it picks itself, the xcb platform.
// The developer's own DISPLAY is never used.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

pid_t xvfb = -1;

void StopXvfb() {
    if (xvfb <= 0) return;
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    xvfb = -1;
}

// Starts Xvfb and returns its display (":N"), or an empty string with the reason on stderr.
std::string StartXvfb() {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    xvfb = ::fork();
    if (xvfb < 0) return {};
    if (xvfb == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                 "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        std::fprintf(stderr, "cannot run Xvfb: %s\n", std::strerror(errno));
        ::_exit(127);
    }
    ::close(fds[1]);
    // Xvfb writes the number of the display it took once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 20000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        std::fprintf(stderr, "Xvfb gave no display number\n");
        StopXvfb();
        return {};
    }
    return ":" + number;
}

}  // namespace

int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strstr(argv[i], "--gtest_list_tests");
    if (listing) {
        // Listing the tests needs no window system.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        const std::string display = StartXvfb();
        if (display.empty()) return 1;
        setenv("DISPLAY", display.c_str(), 1);
        setenv("XAUTHORITY", "/dev/null", 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    StopXvfb();
    return result;
}
