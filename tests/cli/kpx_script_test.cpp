// ./kpx against a cmake that only records what it was asked: which folder it configures (and
// how), and what it builds.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

using kpx::testing::ReadFile;

void Executable(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
    fs::permissions(file, fs::perms::owner_all);
}

struct ScriptCase {
    const char* what;
    const char* cache;  // the folder's CMakeCache.txt before the run, empty: a fresh folder
    const char* command;
    bool configures;
    const char* built;  // the arguments after the folder of "cmake --build"
    // How a configure sets the tests: the window alone needs neither them nor GoogleTest.
    const char* tests = "-DKPX41_BUILD_TESTS=ON";
};

TEST(KpxScript, ConfiguresAFolderSetUpOtherwiseAndRunBuildsOnlyThePrograms) {
    const std::string matching =
        "CMAKE_BUILD_TYPE:STRING=RelWithDebInfo\nKPX41_WERROR:BOOL=ON\n"
        "KPX41_BUILD_TESTS:BOOL=ON\nKPX41_LINK_KIND:STRING=USB\nKPX41_SANITIZE:BOOL=OFF\n";
    const std::string withoutTests =
        "CMAKE_BUILD_TYPE:STRING=RelWithDebInfo\nKPX41_WERROR:BOOL=ON\n"
        "KPX41_BUILD_TESTS:BOOL=OFF\nKPX41_LINK_KIND:STRING=USB\nKPX41_SANITIZE:BOOL=OFF\n";
    const std::string release =
        "CMAKE_BUILD_TYPE:STRING=Release\nKPX41_WERROR:BOOL=OFF\n"
        "KPX41_BUILD_TESTS:BOOL=ON\nKPX41_LINK_KIND:STRING=USB\nKPX41_SANITIZE:BOOL=OFF\n";
    const ScriptCase cases[] = {
        {"a fresh folder", "", "soak", true, "-j 2 --target kpx41_soak"},
        {"a folder switched to Release", release.c_str(), "soak", true, "-j 2 --target kpx41_soak"},
        {"warnings not errors", "CMAKE_BUILD_TYPE:STRING=RelWithDebInfo\n", "soak", true,
         "-j 2 --target kpx41_soak"},
        {"a folder set up as needed", matching.c_str(), "soak", false, "-j 2 --target kpx41_soak"},
        {"the window", matching.c_str(), "run", false,
         "-j 2 --target kpx41-programmer kpx41_tool kpx41-boardsim"},
        {"the window in a fresh folder", "", "run", true,
         "-j 2 --target kpx41-programmer kpx41_tool kpx41-boardsim", "-DKPX41_BUILD_TESTS=OFF"},
        {"the window in its own folder", withoutTests.c_str(), "run", false,
         "-j 2 --target kpx41-programmer kpx41_tool kpx41-boardsim"},
    };
    for (const ScriptCase& c : cases) {
        testing::TempDir dir;
        const fs::path build = fs::path(dir.path()) / "build";
        fs::create_directories(build);
        if (*c.cache) {
            std::ofstream(build / "CMakeCache.txt") << c.cache;
            std::ofstream(build / "build.ninja") << "";
        }
        const fs::path log = fs::path(dir.path()) / "cmake.log";
        Executable(fs::path(dir.path()) / "fake/cmake",
                   "#!/bin/sh\necho \"$*\" >> '" + log.string() + "'\n");
        Executable(build / "bin/kpx41_soak", "#!/bin/sh\nexit 0\n");
        Executable(build / "bin/kpx41-programmer", "#!/bin/sh\nexit 0\n");
        const std::string command = "cd '" + std::string(KPX41_SOURCE_DIR) + "' && PATH='" +
                                    dir.path() + "/fake':$PATH KPX_BUILD_DIR='" + build.string() +
                                    "' ./kpx " + c.command + " > /dev/null 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what;

        const std::string calls = ReadFile(log);
        const bool configured =
            calls.find("-S . -B " + build.string() + " -G Ninja") != std::string::npos;
        EXPECT_EQ(configured, c.configures) << c.what << ":\n" << calls;
        if (configured) {
            for (const char* setting : {"-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DKPX41_WERROR=ON",
                                        c.tests, "-DKPX41_LINK_KIND=USB"}) {
                EXPECT_NE(calls.find(setting), std::string::npos) << c.what << ": " << setting;
            }
        }
        EXPECT_NE(calls.find("--build " + build.string() + " " + c.built + "\n"), std::string::npos)
            << c.what << ":\n"
            << calls;
    }
}

}  // namespace
}  // namespace kpx
