// Table-file commands: new and check.

#include <ostream>

#include "catalogue/startup_image.h"
#include "cli/commands.h"
#include "cli/file_messages.h"
#include "image/default_image.h"
#include "image/table_file.h"

namespace kpx::cli {

namespace {

int RunNew(const std::vector<std::string>& args, CliIo& io) {
    bool force = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "-f" || a == "--force") {
            force = true;
        } else if (a.size() > 1 && a.front() == '-') {
            return UsageError("new", "unknown option " + a, io);
        } else if (!files.empty()) {
            return UsageError("new", "unexpected argument " + a + " (one FILE only)", io);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) return UsageError("new", "needs a FILE", io);
    const std::string& path = files.front();

    if (const int refused = CheckOutput(io.err, path, force)) return refused;
    const std::string failure = SaveTableFile(path, BuildStartupImage(DefaultProgramSettings()));
    if (!failure.empty()) {
        TellAboutFile(io.err, path, failure);
        return kExitFailure;
    }
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args, CliIo& io) {
    if (args.empty()) return UsageError("check", "needs a FILE", io);
    for (const std::string& a : args) {
        if (a.size() > 1 && a.front() == '-') return UsageError("check", "unknown option " + a, io);
    }
    if (args.size() > 1) {
        return UsageError("check", "unexpected argument " + args[1] + " (one FILE only)", io);
    }
    const TableFileLoad load = LoadTableFile(args.front());
    if (load.status != TableFileStatus::Ok) {
        TellTableFileProblem(io.err, args.front(), load);
        return kExitFailure;
    }
    io.out << "ok\n";
    return kExitOk;
}

}  // namespace

const CliCommand kNewCommand{"new", "new [--force] FILE",
                             "write the pager image the programmer starts with to the table file "
                             "FILE (refuses an existing FILE unless "
                             "--force)",
                             RunNew};

const CliCommand kCheckCommand{
    "check", "check FILE",
    "check that FILE is a KPX41 table file: prints \"ok\", or the problem and exits 1", RunCheck};

}  // namespace kpx::cli
