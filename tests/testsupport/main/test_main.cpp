// The main of every test suite without a window: the tests run in a home of their own.
#include <gtest/gtest.h>

#include "testsupport/test_env.h"

int main(int argc, char** argv) {
    const kpx::testing::IsolatedHome home;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
