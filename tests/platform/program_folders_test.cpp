// Where default.tbl and the settings live: beside a program its user can write to, else in the
// user's configuration folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/data_dirs.h"
#include "platform/user_settings.h"
#include "testsupport/fakes.h"
#include "testsupport/test_env.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

using kpx::testing::ReadFile;

using EnvVar = kpx::testing::ScopedEnv;

TEST(ProgramFolders, AFolderTheUserCanWriteKeepsDefaultTblAndNoSettings) {
    testing::TempDir bin;
    const ProgramFolders f = ChooseProgramFolders(bin.path());
    EXPECT_EQ(f.program, bin.path());
    EXPECT_EQ(f.settingsFile, "");
}

// An installed program: its folder belongs to root and is read-only to the user running it.
TEST(ProgramFolders, AnInstalledProgramKeepsThemInTheConfigurationFolder) {
    testing::TempDir root;
    const std::string bin = root.File("usr-bin");
    const std::string config = root.File("config");
    fs::create_directories(bin);
    fs::create_directories(config);
    ::chmod(root.path().c_str(), 0755);
    ::chmod(bin.c_str(), 0555);
    ::chmod(config.c_str(), 0777);
    EnvVar xdg("XDG_CONFIG_HOME", config);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root may write anywhere; run the choice as an ordinary user.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const ProgramFolders f = ChooseProgramFolders(bin);
        const std::string text = f.program + "\n" + f.settingsFile + "\n";
        const bool made = fs::is_directory(f.program);
        ::_exit(::write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                        made
                    ? 0
                    : 4);
    }
    ::close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the configuration folder is made";
    EXPECT_EQ(text, config + "/kpx41\n" + config + "/kpx41/settings.reg\n");
}

// Root may write /usr/bin, but an installed program never writes beside itself.
TEST(ProgramFolders, AProgramInASystemFolderNeverKeepsItsFilesThere) {
    testing::TempDir root;
    EnvVar xdg("XDG_CONFIG_HOME", root.File("config"));
    for (const char* system : {"/usr/bin", "/usr/local/bin", "/opt/kpx41/bin", "/bin"}) {
        EXPECT_EQ(ChooseProgramFolders(system).program, root.File("config") + "/kpx41") << system;
    }
}

TEST(ProgramFolders, TheConfigurationFolderFollowsXdgConfigHome) {
    testing::TempDir home;
    EnvVar h("HOME", home.path());
    {
        EnvVar xdg("XDG_CONFIG_HOME", "/somewhere/else");
        EXPECT_EQ(ConfigFolder(), "/somewhere/else/kpx41");
    }
    {
        EnvVar xdg("XDG_CONFIG_HOME", "relative/is/invalid");
        EXPECT_EQ(ConfigFolder(), home.path() + "/.config/kpx41");
    }
    EXPECT_EQ(HomeFolder(), home.path());
}

TEST(UserSettingsFile, TheLastFolderSurvivesARestart) {
    testing::TempDir dir;
    const std::string file = dir.File("settings.reg");
    const std::string folder = "/home/ann/pagers \"shop\"/2026";
    {
        UserSettings settings(file);
        EXPECT_EQ(settings.LastFolder(), "");
        EXPECT_TRUE(settings.SetLastFolder(folder));
    }
    EXPECT_EQ(ReadFile(file).rfind("REGEDIT4\r\n", 0), 0u) << ReadFile(file);
    EXPECT_NE(ReadFile(file).find("[HKEY_CURRENT_USER\\Software\\KPX41\\Programmer]"),
              std::string::npos);
    UserSettings again(file);
    EXPECT_EQ(again.LastFolder(), folder);
    EXPECT_TRUE(again.SetLastFolder("/srv/tables"));
    EXPECT_EQ(UserSettings(file).LastFolder(), "/srv/tables") << "replaced, not appended";
    EXPECT_FALSE(fs::exists(file + ".new"));
}

TEST(UserSettingsFile, WhatCannotBeKeptLeavesTheFileAsItWas) {
    testing::TempDir dir;
    const std::string file = dir.File("settings.reg");
    UserSettings settings(file);
    ASSERT_TRUE(settings.SetLastFolder("/srv/tables"));
    const std::string before = ReadFile(file);
    EXPECT_FALSE(settings.SetLastFolder("/srv/two\nlines"));
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(UserSettings(file).LastFolder(), "/srv/tables");

    // A folder that is not there: nothing to write to, and no exception.
    UserSettings nowhere(dir.File("missing/settings.reg"));
    EXPECT_FALSE(nowhere.SetLastFolder("/srv"));
    EXPECT_EQ(nowhere.LastFolder(), "/srv") << "still used for this run";

    // A damaged file reads as no settings.
    std::ofstream(dir.File("damaged.reg")) << "\x01\x02 not a registry file";
    EXPECT_EQ(UserSettings(dir.File("damaged.reg")).LastFolder(), "");
}

}  // namespace
}  // namespace kpx
