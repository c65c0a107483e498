#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

using kpx::testing::ReadFile;

// `cmake --install` puts the programs, the menu entry with its icon, the udev rule, the manual
// pages, the completion and the README where a desktop, man and bash look for them.
TEST(InstallTree, HoldsTheProgramsTheMenuEntryTheRuleTheManualAndTheReadme) {
    testing::TempDir prefix;
    const std::string command = std::string("\"") + KPX41_CMAKE + "\" --install \"" +
                                KPX41_BUILD_DIR + "\" --prefix \"" + prefix.path() +
                                "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const fs::path root = prefix.path();
    for (const char* program : {"bin/kpx41", "bin/kpx41-programmer", "bin/kpx41-boardsim"}) {
        const auto perms = fs::status(root / program).permissions();
        EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none) << program;
    }
    const std::string desktop = ReadFile(root / "share/applications/kpx41-programmer.desktop");
    for (const char* line : {"[Desktop Entry]\n", "Type=Application\n",
                             "Exec=kpx41-programmer %f\n", "Icon=kpx41-programmer\n",
                             "Name=KPX41 Programmer\n", "MimeType=application/x-kpx41-table;\n"}) {
        EXPECT_NE(desktop.find(line), std::string::npos) << line;
    }
    const std::string icon =
        ReadFile(root / "share/icons/hicolor/scalable/apps/kpx41-programmer.svg");
    EXPECT_NE(icon.find("<svg"), std::string::npos);
    for (const char* size : {"16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128",
                             "256x256"}) {
        const fs::path png = root / "share/icons/hicolor" / size / "apps/kpx41-programmer.png";
        EXPECT_EQ(ReadFile(png).substr(1, 3), "PNG") << png;
    }
    EXPECT_EQ(ReadFile(root / "share/mime/packages/kpx41-programmer.xml"),
              ReadFile(fs::path(KPX41_SOURCE_DIR) / "dist/kpx41-programmer.xml"));
    // The software centre's entry, every placeholder filled in.
    const std::string metainfo = ReadFile(
        root / "share/metainfo/example.c_seed_63e74f03.kpx41_programmer.metainfo.xml");
    EXPECT_NE(metainfo.find("<modalias>usb:v067Bp"), std::string::npos);
    EXPECT_EQ(metainfo.find('@'), std::string::npos);
    // The pictures the README and the pages show.
    EXPECT_TRUE(fs::exists(root / "share/doc/kpx41-programmer/docs/picSet1.png"));
    EXPECT_EQ(ReadFile(root / "lib/udev/rules.d/60-kpx41-cable.rules"),
              ReadFile(fs::path(KPX41_SOURCE_DIR) / "dist/60-kpx41-cable.rules"));
    EXPECT_EQ(ReadFile(root / "share/doc/kpx41-programmer/README.md"),
              ReadFile(fs::path(KPX41_SOURCE_DIR) / "README.md"));
    EXPECT_NE(ReadFile(root / "share/doc/kpx41-programmer/copyright").find("Files: *"),
              std::string::npos);
    // Manual pages and the changelog are gzipped, as man and Debian expect them.
    for (const char* file :
         {"share/man/man1/kpx41.1.gz", "share/man/man1/kpx41-programmer.1.gz",
          "share/man/man1/kpx41-boardsim.1.gz", "share/doc/kpx41-programmer/changelog.gz"}) {
        EXPECT_EQ(ReadFile(root / file).substr(0, 2), "\x1f\x8b") << file;
    }
    const std::string completion = ReadFile(fs::path(KPX41_SOURCE_DIR) / "dist/completion/kpx41");
    EXPECT_EQ(ReadFile(root / "share/bash-completion/completions/kpx41"), completion);
    EXPECT_EQ(ReadFile(root / "share/bash-completion/completions/kpx41-boardsim"), completion);
}

}  // namespace
}  // namespace kpx
