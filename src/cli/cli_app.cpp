#include "cli/cli_app.h"

#include <array>
#include <ostream>

#include "cli/commands.h"

namespace kpx::cli {

namespace {

// The command table: add a command here, one line each.
const CliCommand* const kCommandTable[] = {
    &kNewCommand,
    &kCheckCommand,
    &kReadCommand,
    &kWriteCommand,
    &kVerifyCommand,
    &kPortsCommand,
    &kProbeCommand,
    &kProduceCommand,
    &kDoctorCommand,
    &kDumpCommand,
    &kDiffCommand,
    &kExportCommand,
    &kImportCommand,
};

std::vector<CliCommand> CopyTable() {
    std::vector<CliCommand> commands;
    for (const CliCommand* c : kCommandTable) commands.push_back(*c);
    return commands;
}

const CliCommand* Find(std::string_view name) {
    for (const CliCommand& c : Commands()) {
        if (c.name == name) return &c;
    }
    return nullptr;
}

void PrintHelp(std::ostream& out) {
    out << "kpx41: the KPX41 pager programmer's command-line tool\n\n"
           "usage: kpx41 COMMAND [ARGS...]\n"
           "       kpx41 --help\n"
           "       kpx41 COMMAND --help\n\n"
           "commands:\n";
    for (const CliCommand& c : Commands()) {
        out << "  " << c.usage << "\n      " << c.summary << "\n";
    }
    out << "\nexit status: 0 success, 1 failure, 2 usage error\n";
}

}  // namespace

std::span<const CliCommand> Commands() {
    // Copied once after start-up, so the table may name commands from other files.
    static const std::vector<CliCommand> commands = CopyTable();
    return commands;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "-h" || a == "--help") return true;
    }
    return false;
}

int CommandHelp(std::string_view commandName, CliIo& io) {
    if (const CliCommand* c = Find(commandName)) {
        io.out << "usage: kpx41 " << c->usage << "\n" << c->summary << "\n";
    }
    return kExitOk;
}

int UsageError(std::string_view commandName, std::string_view why, CliIo& io) {
    io.err << "kpx41 " << commandName << ": " << why << "\n";
    if (const CliCommand* c = Find(commandName)) io.err << "usage: kpx41 " << c->usage << "\n";
    return kExitUsage;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliIo io{out, err};
    if (args.empty()) {
        err << "kpx41: no command given; try kpx41 --help\n";
        return kExitUsage;
    }
    const std::string& name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp(out);
        return kExitOk;
    }
    const CliCommand* command = Find(name);
    if (command == nullptr) {
        err << "kpx41: unknown command '" << name << "'; try kpx41 --help\n";
        return kExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) return CommandHelp(command->name, io);
    return command->run(rest, io);
}

}  // namespace kpx::cli
