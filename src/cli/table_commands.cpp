// Table-file commands: new and check.

#include <filesystem>
#include <ostream>

#include "catalogue/startup_image.h"
#include "cli/commands.h"
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
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1) return UsageError("new", "expects exactly one FILE", io);
    const std::string& path = files.front();

    std::error_code ec;
    if (!force && std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        io.err << "kpx41 new: " << path << " already exists; use --force to overwrite it\n";
        return kExitFailure;
    }
    const std::string failure = SaveTableFile(path, BuildStartupImage(DefaultProgramSettings()));
    if (!failure.empty()) {
        io.err << failure << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args, CliIo& io) {
    if (args.size() != 1) return UsageError("check", "expects exactly one FILE", io);
    const TableFileLoad load = LoadTableFile(args.front());
    if (load.status != TableFileStatus::Ok) {
        io.err << load.message << "\n";
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
