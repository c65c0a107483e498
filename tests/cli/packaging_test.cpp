// What the package gives a user besides the programs: --version, the manual pages and the
// shell completion, each checked against the real programs' own --help.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/cli_app.h"
#include "support/version.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int code;
    std::string out;
};

Outcome Shell(const std::string& command) {
    Outcome run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> chunk{};
    std::size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        run.out.append(chunk.data(), n);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Program(const std::string& name) {
    return std::string(KPX41_BIN_DIR) + "/" + name;
}

using kpx::testing::ReadFile;

const char* const kPrograms[] = {"kpx41", "kpx41-programmer", "kpx41-boardsim"};

TEST(Packaging, EveryProgramPrintsTheProjectVersionAndExitsZero) {
    EXPECT_TRUE(std::regex_match(std::string(ProgramVersion()), std::regex(R"(\d+\.\d+(\.\d+)?)")))
        << ProgramVersion();
    for (const std::string program : kPrograms) {
        const Outcome run = Shell("QT_QPA_PLATFORM=offscreen " + Program(program) + " --version");
        EXPECT_EQ(run.code, 0) << program;
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
                  program + " " + std::string(ProgramVersion()));
    }
}

std::set<std::string> Lines(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.insert(line);
    return lines;
}

// `./kpx run` on a fresh machine installs what builds and runs the programs, no database
// server (Debian starts one at install) and no test tools; `./kpx test` adds those.
TEST(Packaging, RunInstallsNeitherTheDatabaseServerNorTheTestTools) {
    const std::string kpx = std::string(KPX41_SOURCE_DIR) + "/kpx packages ";
    const Outcome run = Shell(kpx + "run");
    const Outcome test = Shell(kpx + "test");
    ASSERT_EQ(run.code, 0);
    ASSERT_EQ(test.code, 0);
    const std::set<std::string> forRun = Lines(run.out), forTest = Lines(test.out);
    for (const char* needed : {"qt6-base-dev", "libpqxx-dev", "nlohmann-json3-dev", "cmake"}) {
        EXPECT_TRUE(forRun.count(needed)) << needed;
    }
    for (const std::string& p : forRun) {
        EXPECT_FALSE(p.starts_with("postgresql") || p.starts_with("libgtest") ||
                     p.starts_with("libgmock") || p == "xvfb")
            << p;
        EXPECT_TRUE(forTest.count(p)) << p;
    }
    for (const char* needed : {"postgresql", "libgtest-dev", "libgmock-dev", "xvfb"}) {
        EXPECT_TRUE(forTest.count(needed)) << needed;
    }
}

// The manual page as the build made it from its source (with the version filled in).
std::string ManPage(const std::string& program) {
    return ReadFile(fs::path(KPX41_BUILD_DIR) / "dist/man" / (program + ".1"));
}

// Options a --help text names: "--port", "-o", "--auto-increase".
std::set<std::string> OptionsIn(const std::string& text) {
    std::set<std::string> options;
    const std::regex option(R"((^|[\s\[|(])(--?[a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it) {
        options.insert((*it)[2]);
    }
    return options;
}

// The headings of a page's .TP entries in one section, with roff's "\-" read as "-".
std::string EntryHeadings(const std::string& page, const std::string& section) {
    std::string headings;
    const std::size_t start = page.find("\n.SH " + section + "\n");
    if (start == std::string::npos) return headings;
    const std::size_t end = page.find("\n.SH ", start + 1);
    std::istringstream lines(page.substr(start, end - start));
    std::string line;
    bool heading = false;
    while (std::getline(lines, line)) {
        if (heading) headings += std::regex_replace(line, std::regex(R"(\\-)"), "-") + "\n";
        heading = line == ".TP";
    }
    return headings;
}

bool NamesOption(const std::string& headings, const std::string& option) {
    return std::regex_search(headings, std::regex("(^|[^a-z-])" + option + "([^a-z-]|$)"));
}

TEST(Packaging, TheKpx41PageDescribesEveryCommandAndOptionOfItsHelp) {
    const Outcome help = Shell(Program("kpx41") + " --help");
    ASSERT_EQ(help.code, 0);
    const std::string page = ManPage("kpx41");
    ASSERT_FALSE(page.empty()) << "no kpx41.1 in the build";
    EXPECT_NE(page.find("\"kpx41-programmer " + std::string(ProgramVersion()) + "\""),
              std::string::npos);

    const std::string commands = EntryHeadings(page, "COMMANDS");
    const std::regex commandLine(R"(^  ([a-z][a-z0-9-]*))");
    std::istringstream lines(help.out);
    std::string line;
    int seen = 0;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (!std::regex_search(line, m, commandLine)) continue;
        ++seen;
        EXPECT_TRUE(std::regex_search(
            commands, std::regex("^\\.B[IR]? " + m[1].str() + "( |$)", std::regex::multiline)))
            << "kpx41(1) has no COMMANDS entry for '" << m[1] << "' (dist/man/kpx41.1.in)";
    }
    EXPECT_GE(seen, 13);

    // Every option of the command list and of each command's own help, short forms too.
    std::string helps = help.out;
    for (const cli::CliCommand& c : cli::Commands()) {
        helps += Shell(Program("kpx41") + " " + std::string(c.name) + " --help").out;
    }
    const std::string options = EntryHeadings(page, "OPTIONS");
    for (const std::string& option : OptionsIn(helps)) {
        EXPECT_TRUE(NamesOption(options, option))
            << "kpx41(1) has no OPTIONS entry for " << option << " (dist/man/kpx41.1.in)";
    }
}

TEST(Packaging, TheWindowAndSimulatorPagesDescribeEveryOptionOfTheirHelp) {
    for (const std::string program : {"kpx41-programmer", "kpx41-boardsim"}) {
        const Outcome help = Shell(Program(program) + " --help");
        ASSERT_EQ(help.code, 0) << program;
        const std::string options = EntryHeadings(ManPage(program), "OPTIONS");
        ASSERT_FALSE(options.empty()) << program;
        for (const std::string& option : OptionsIn(help.out)) {
            EXPECT_TRUE(NamesOption(options, option))
                << program << "(1) has no OPTIONS entry for " << option;
        }
    }
}

// One completion as bash would ask for it: the words of the line, the last being completed.
struct Completion {
    std::string line;
    std::vector<std::string> expected;  // the offered words, sorted
};

TEST(Packaging, Kpx41CompletesCommandsOptionsPortsAndFilesByExtension) {
    testing::TempDir dir;
    for (const char* file : {"batch.tbl", "pager.tbl", "image.json", "runs.csv", "notes.txt"}) {
        std::ofstream(dir.File(file)) << "x";
    }
    fs::create_directory(dir.File("older"));
    // The program the completion asks: the real kpx41, with one cable port plugged in.
    const std::string wrapper = dir.File("kpx41");
    std::ofstream(wrapper)
        << "#!/bin/sh\n"
           "if [ \"$*\" = ports ]; then\n"
           "  printf 'Prolific USB-to-Serial Comm Port (COM1)\\t/dev/ttyUSB0\\n'\n"
           "  exit 0\n"
           "fi\n"
           "exec '"
        << Program("kpx41") << "' \"$@\"\n";
    fs::permissions(wrapper, fs::perms::owner_all);

    const Completion cases[] = {
        {"pro", {"probe", "produce"}},
        {"he", {"help"}},
        {"help ex", {"export"}},
        {"--v", {"--version"}},
        {"dump --",
         {"--help", "--json", "--lpt", "--no-backup", "--port", "--show-passwords", "--trace"}},
        {"ledger ", {"export", "status"}},
        {"ledger status --ledger URL ", {}},
        {"ledger status --", {"--help", "--json", "--ledger", "--series"}},
        {"produce batch.tbl --count ", {}},
        {"read --port ", {"/dev/ttyUSB0"}},
        {"produce batch.tbl --auto-increase ", {"1", "1,2", "2"}},
        {"write ", {"batch.tbl", "older", "pager.tbl"}},
        {"import ", {"image.json", "older"}},
        {"export pager.tbl -o ", {"image.json", "older"}},
        {"read -o ", {"batch.tbl", "older", "pager.tbl"}},
        {"produce batch.tbl --log ", {"older", "runs.csv"}},
        {"ports ", {}},
    };
    std::vector<Completion> all(std::begin(cases), std::end(cases));
    // Each command's options complete exactly as its option table has them.
    for (const cli::CliCommand& c : cli::Commands()) {
        Completion options{std::string(c.name) + " --", {"--help"}};
        for (const cli::CliOption& o : c.options) options.expected.emplace_back(o.name);
        std::sort(options.expected.begin(), options.expected.end());
        all.push_back(options);
    }
    const std::string script = std::string(KPX41_SOURCE_DIR) + "/dist/completion/kpx41";
    for (const Completion& c : all) {
        // The words as bash splits them; a line ending in a blank completes an empty word.
        std::string words = "kpx41";
        std::istringstream split(c.line);
        std::string word;
        int count = 1;
        while (split >> word) {
            words += " '" + word + "'";
            ++count;
        }
        if (c.line.back() == ' ') {
            words += " ''";
            ++count;
        }
        const std::string command =
            "cd '" + dir.path() + "' && PATH='" + dir.path() +
            "':$PATH bash -c '. \"$0\"; COMP_WORDS=(\"${@:2}\"); COMP_CWORD=$1; "
            "_kpx41; printf \"%s\\n\" \"${COMPREPLY[@]}\"' '" +
            script + "' " + std::to_string(count - 1) + " " + words;
        const Outcome run = Shell(command);
        EXPECT_EQ(run.code, 0) << c.line;
        std::vector<std::string> offered;
        std::istringstream out(run.out);
        while (std::getline(out, word)) {
            if (!word.empty()) offered.push_back(word);
        }
        std::sort(offered.begin(), offered.end());
        offered.erase(std::unique(offered.begin(), offered.end()), offered.end());
        EXPECT_EQ(offered, c.expected) << "kpx41 " << c.line;
    }
}

}  // namespace
}  // namespace kpx
