#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/data_dirs.h"
#include "testsupport/test_env.h"

namespace kpx {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool StartsWith(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

// Backups, their pruning and Qt's own files follow HOME and the XDG folders: in a test they
// must all lie in a temporary folder of the test, never in the developer's home.
TEST(TestHome, EveryTestRunsInAHomeOfItsOwn) {
    const std::string home = Env("HOME");
    const std::string tmp = std::filesystem::temp_directory_path().string();
    ASSERT_TRUE(StartsWith(home, tmp + "/kpx41-home-")) << home;
    EXPECT_TRUE(std::filesystem::is_directory(home));
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        EXPECT_NE(home, std::string(pw->pw_dir));
    }
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        EXPECT_TRUE(StartsWith(Env(name), home + "/")) << name << "=" << Env(name);
    }
    EXPECT_EQ(BackupFolder(), home + "/.local/share/kpx41/backups");
}

TEST(TestHome, ScopedEnvPutsBackWhatWasThere) {
    const testing::ScopedEnv outer("KPX41_TEST_VARIABLE", "outer");
    {
        const testing::ScopedEnv inner("KPX41_TEST_VARIABLE", "inner");
        EXPECT_EQ(Env("KPX41_TEST_VARIABLE"), "inner");
        {
            const testing::ScopedEnv gone("KPX41_TEST_VARIABLE", std::nullopt);
            EXPECT_EQ(std::getenv("KPX41_TEST_VARIABLE"), nullptr);
        }
        EXPECT_EQ(Env("KPX41_TEST_VARIABLE"), "inner");
    }
    EXPECT_EQ(Env("KPX41_TEST_VARIABLE"), "outer");
    {
        const testing::ScopedEnv fresh("KPX41_TEST_UNSET_BEFORE", "x");
        EXPECT_EQ(Env("KPX41_TEST_UNSET_BEFORE"), "x");
    }
    EXPECT_EQ(std::getenv("KPX41_TEST_UNSET_BEFORE"), nullptr);
}

}  // namespace
}  // namespace kpx
