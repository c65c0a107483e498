#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/startup_image.h"
#include "cli/cli_app.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;

using testing::Kpx41;
using testing::Result;

TEST(Cli, NewWritesTheDefaultImageAndCheckAcceptsIt) {
    TempDir dir;
    const std::string path = dir.File("new.tbl");
    const Result created = Kpx41({"new", path});
    ASSERT_EQ(created.code, 0) << created.err;
    EXPECT_EQ(std::filesystem::file_size(path), 1024u);
    const TableFileLoad load = LoadTableFile(path);
    ASSERT_EQ(load.status, TableFileStatus::Ok);
    EXPECT_EQ(load.bytes, BuildStartupImage(DefaultProgramSettings()).bytes());

    const Result checked = Kpx41({"check", path});
    EXPECT_EQ(checked.code, 0);
    EXPECT_EQ(checked.out, "ok\n");
}

TEST(Cli, NewKeepsAnExistingFileUnlessForced) {
    TempDir dir;
    const std::string path = dir.File("old.tbl");
    { std::ofstream(path) << "old"; }
    const Result refused = Kpx41({"new", path});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("already exists"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(path), 3u);

    EXPECT_EQ(Kpx41({"new", "--force", path}).code, 0);
    EXPECT_EQ(std::filesystem::file_size(path), 1024u);

    const Result failed = Kpx41({"new", dir.File("missing/x.tbl")});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("missing/x.tbl"), std::string::npos);
}

TEST(Cli, CheckReportsBadAndMissingFiles) {
    TempDir dir;
    const std::string bad = dir.File("bad.tbl");
    { std::ofstream(bad) << std::string(1024, 'x'); }
    const Result badRun = Kpx41({"check", bad});
    EXPECT_EQ(badRun.code, 1);
    EXPECT_EQ(badRun.out, "");
    EXPECT_EQ(badRun.err,
              bad + ": The [" + bad + "] is not correct format, the file will discard !\n");

    const Result missing = Kpx41({"check", dir.File("none.tbl")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, dir.File("none.tbl") + ": This file is not exit!\n");
}

TEST(Cli, UsageErrorsExitWith2AndHelpWith0) {
    const std::vector<std::vector<std::string>> usageErrors = {
        {},        {"frobnicate"},     {"new"}, {"new", "a", "b"}, {"new", "--bogus", "a"},
        {"check"}, {"check", "a", "b"}};
    for (const auto& args : usageErrors) {
        const Result run = Kpx41(args);
        EXPECT_EQ(run.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(run.out, "");
    }

    const Result help = Kpx41({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const CliCommand& c : Commands()) {
        EXPECT_NE(help.out.find(std::string(c.usage)), std::string::npos) << c.name;
    }
    const Result newHelp = Kpx41({"new", "--help"});
    EXPECT_EQ(newHelp.code, 0);
    EXPECT_EQ(newHelp.out.rfind("usage: kpx41 new", 0), 0u);
}

TEST(Cli, TheExecutablePassesItsArgumentsAndExitCode) {
    TempDir dir;
    const std::string tool = std::string(KPX41_BIN_DIR) + "/kpx41";
    const auto exitCode = [&](const std::string& args) {
        const int status = std::system((tool + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(exitCode("--help"), 0);
    EXPECT_EQ(exitCode("new '" + dir.File("a.tbl") + "'"), 0);
    EXPECT_EQ(exitCode("check '" + dir.File("a.tbl") + "'"), 0);
    EXPECT_EQ(exitCode("check '" + dir.File("b.tbl") + "'"), 1);
    EXPECT_EQ(exitCode(""), 2);
}

}  // namespace
}  // namespace kpx::cli
