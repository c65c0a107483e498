// Table-file commands: new and check.

#include <optional>
#include <ostream>

#include "catalogue/startup_image.h"
#include "cli/commands.h"
#include "cli/file_messages.h"
#include "image/default_image.h"
#include "image/table_file.h"

namespace kpx::cli {

namespace {

// The one FILE of new and check; nothing (told) on a usage error.
std::optional<std::string> OneFile(std::string_view name, const std::vector<std::string>& args,
                                   bool& flag, CliIo& io) {
    const auto parsed = ParseCommand(name, args, io);
    if (!parsed) return std::nullopt;
    std::vector<std::string> files;
    for (const ParsedArg& a : *parsed) {
        if (a.option) {
            flag = true;  // the command's only option: --force or --quiet
        } else if (!files.empty()) {
            UsageError(name, "unexpected argument " + a.text + " (one FILE only)", io);
            return std::nullopt;
        } else {
            files.push_back(a.text);
        }
    }
    if (!files.empty()) return files.front();
    UsageError(name, "needs a FILE", io);
    return std::nullopt;
}

int RunNew(const std::vector<std::string>& args, CliIo& io) {
    bool force = false;
    const auto path = OneFile("new", args, force, io);
    if (!path) return kExitUsage;
    if (const int refused = CheckOutput(io.err, *path, force)) return refused;
    const std::string failure = SaveTableFile(*path, BuildStartupImage(DefaultProgramSettings()));
    if (!failure.empty()) {
        TellAboutFile(io.err, *path, failure);
        return kExitFailure;
    }
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args, CliIo& io) {
    const auto path = OneFile("check", args, io.quiet, io);
    if (!path) return kExitUsage;
    const TableFileLoad load = LoadTable(*path, Input(io));
    if (load.status != TableFileStatus::Ok) {
        TellTableFileProblem(io.err, *path == kStdio ? kStandardInput : *path, load);
        return kExitFailure;
    }
    if (!io.quiet) io.out << "ok\n";
    return kExitOk;
}

}  // namespace

const CliCommand kNewCommand{"new", "new [--force] FILE",
                             "write the pager image the programmer starts with to the table file "
                             "FILE (refuses an existing FILE unless "
                             "--force)",
                             RunNew,
                             {kForceOption}};

const CliCommand kCheckCommand{
    "check", "check [--quiet] FILE",
    "check that FILE (- for standard input) is a KPX41 table file: prints \"ok\", or the problem "
    "and exits 1",
    RunCheck,
    {kQuietOption}};

}  // namespace kpx::cli
