// The main of the offscreen window suites: a home of their own, then the application.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "testsupport/test_env.h"

int main(int argc, char** argv) {
    // A home of its own before Qt starts: Qt and fontconfig keep files there.
    const kpx::testing::IsolatedHome home;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const kpx::testing::ScopedEnv offscreen("QT_QPA_PLATFORM",
                                            platform ? std::string(platform) : "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
