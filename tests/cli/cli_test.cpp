#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/startup_image.h"
#include "cli/cli_app.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

CliResult Cli(const std::vector<std::string>& args, const std::string& input = "") {
    std::ostringstream out, err;
    std::istringstream in(input);
    // No cable listed: a test never looks at the machine's ports.
    kpx::testing::ScriptedLister none;
    CliIo io{out, err, &in, &none};
    const int code = RunCli(args, io);
    return {code, out.str(), err.str()};
}
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

// The conventions every command shares through its option table.
TEST(Cli, OptionsTakeEqualsAndDoubleDashAndMistakesGetTheNearestName) {
    TempDir dir;
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;  // the first line
    } cases[] = {
        {{"raed"}, 2, "kpx41: unknown command 'raed'; did you mean read?"},
        {{"help", "expotr"}, 2, "kpx41: unknown command 'expotr'; did you mean export?"},
        {{"zzzzzz"}, 2, "kpx41: unknown command 'zzzzzz'; try kpx41 --help"},
        {{"write", "--prot", "P", "a.tbl"}, 2,
         "kpx41 write: unknown option --prot; did you mean --port?"},
        {{"write", "a.tbl", "--frobnicate"}, 2, "kpx41 write: unknown option --frobnicate"},
        // The value after "=", for a long option and its short form alike.
        {{"read", "--output=" + dir.File("x.tbl"), "--port=/dev/null", "--no-backup"}, 1,
         "/dev/null is not a serial port"},
        {{"ports", "--json=yes"}, 2, "kpx41 ports: --json takes no value"},
        // A mistyped option is named without its value, which may hold a password.
        {{"ledger", "status", "--ledgr=postgresql://u:Sesame@/db"}, 2,
         "kpx41 ledger: unknown option --ledgr; did you mean --ledger?"},
        // After "--" everything is a FILE, a "--help" too.
        {{"check", "--", "--help"}, 1, "--help: This file is not exit!"},
    };
    for (const auto& c : cases) {
        const CliResult run = Cli(c.args);
        EXPECT_EQ(run.code, c.code) << c.err;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.err);
        EXPECT_EQ(run.out, "") << c.err;
    }
}

// Each command's help has a line for every option it takes, and every option it lists is one
// its parsing knows: none is "unknown" or another command's.
TEST(Cli, EachCommandsHelpListsTheOptionsItsParsingTakes) {
    for (const CliCommand& c : Commands()) {
        const std::string name(c.name);
        const CliResult help = Cli({name, "--help"});
        EXPECT_EQ(help.code, 0);
        EXPECT_EQ(Cli({"help", name}).out, help.out) << name;
        EXPECT_EQ(help.out.rfind("usage: kpx41 " + std::string(c.usage) + "\n", 0), 0u) << name;
        EXPECT_NE(help.out.find("  -h, --help  "), std::string::npos) << name;
        for (const CliOption& o : c.options) {
            const std::string line = std::string(o.alias.empty() ? "" : std::string(o.alias) + ", ") +
                                     std::string(o.name);
            const std::size_t at = help.out.find("\n  " + line);
            ASSERT_NE(at, std::string::npos) << name << " " << o.name;
            const std::string shown = help.out.substr(at + 1, help.out.find('\n', at + 1) - at);
            EXPECT_NE(shown.find(std::string(o.help)), std::string::npos) << shown;
            // The machine's parallel port and devices are never touched by a test.
            if (o.name == "--lpt" || name == "doctor") continue;
            std::vector<std::string> args = {name, std::string(o.name)};
            if (o.TakesValue()) args.push_back("/nonexistent/x");
            const CliResult run = Cli(args);
            EXPECT_EQ(run.err.find("unknown option"), std::string::npos) << name << ": " << run.err;
            EXPECT_EQ(run.err.find("unexpected argument " + std::string(o.name)), std::string::npos)
                << name << ": " << run.err;
        }
    }
    EXPECT_NE(Cli({"write", "--help"}).out.find("  --no-backup  "), std::string::npos);
}

// "-" is standard input to check, dump and import, and standard output to export -o.
TEST(Cli, ADashIsStandardInputOrOutput) {
    TempDir dir;
    const std::string table = dir.File("a.tbl");
    ASSERT_EQ(Cli({"new", table}).code, 0);
    const std::string bytes = testing::ReadFile(table);

    EXPECT_EQ(Cli({"check", "-"}, bytes).out, "ok\n");
    const CliResult bad = Cli({"check", "-"}, "short");
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err.substr(0, bad.err.find('\n')),
              "standard input: The [standard input] is not correct format, the file will discard !");
    EXPECT_EQ(Cli({"check", "--quiet", "-"}, bytes).out, "");

    const CliResult fromStdin = Cli({"dump", "-"}, bytes);
    EXPECT_EQ(fromStdin.code, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, Cli({"dump", table}).out);

    const CliResult exported = Cli({"export", table, "-o", "-"});
    EXPECT_EQ(exported.code, 0) << exported.err;
    EXPECT_FALSE(std::filesystem::exists("-"));
    ASSERT_EQ(Cli({"export", table, "-o", dir.File("a.json")}).code, 0);
    EXPECT_EQ(exported.out, testing::ReadFile(dir.File("a.json")));

    const CliResult imported = Cli({"import", "-", "-o", dir.File("b.tbl")}, exported.out);
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(testing::ReadFile(dir.File("b.tbl")), bytes);
    const CliResult notJson = Cli({"import", "-", "-o", dir.File("c.tbl")}, "{");
    EXPECT_EQ(notJson.code, 1);
    EXPECT_EQ(notJson.err.rfind("standard input: not a JSON file", 0), 0u) << notJson.err;
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
