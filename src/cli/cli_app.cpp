#include "cli/cli_app.h"

#include <array>
#include <iostream>

#include "cli/commands.h"
#include "support/version.h"

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
    &kLedgerCommand,
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

int UnknownCommand(const std::string& name, std::ostream& err) {
    std::vector<std::string> names;
    for (const CliCommand& c : Commands()) names.emplace_back(c.name);
    err << "kpx41: unknown command '" << name << "'; ";
    if (const auto near = Nearest(name, names)) {
        err << "did you mean " << *near << "?\n";
    } else {
        err << "try kpx41 --help\n";
    }
    return kExitUsage;
}

void PrintHelp(std::ostream& out) {
    out << "kpx41: the KPX41 pager programmer's command-line tool\n\n"
           "usage: kpx41 COMMAND [ARGS...]\n"
           "       kpx41 --help\n"
           "       kpx41 --version\n"
           "       kpx41 COMMAND --help\n"
           "       kpx41 help COMMAND\n\n"
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

std::istream& Input(CliIo& io) {
    return io.in ? *io.in : std::cin;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "-h" || a == "--help") return true;
    }
    return false;
}

int CommandHelp(std::string_view commandName, CliIo& io) {
    static constexpr CliOption kHelp{"--help", "-h", "", "print this help"};
    if (const CliCommand* c = Find(commandName)) {
        std::vector<CliOption> options = c->options;
        options.push_back(kHelp);
        io.out << "usage: kpx41 " << c->usage << "\n"
               << c->summary << "\n\noptions:\n"
               << OptionLines(options);
    }
    return kExitOk;
}

std::optional<std::vector<ParsedArg>> ParseCommand(std::string_view commandName,
                                                    const std::vector<std::string>& args,
                                                    CliIo& io) {
    // The parsed options point into the table: it must outlive them.
    static const std::vector<CliOption> kNone;
    const CliCommand* c = Find(commandName);
    const std::vector<CliOption>& table = c ? c->options : kNone;
    std::string problem;
    auto parsed = ParseOptions(table, args, problem);
    if (!parsed) UsageError(commandName, problem, io);
    return parsed;
}

int UsageError(std::string_view commandName, std::string_view why, CliIo& io) {
    io.err << "kpx41 " << commandName << ": " << why << "\n";
    if (const CliCommand* c = Find(commandName)) io.err << "usage: kpx41 " << c->usage << "\n";
    return kExitUsage;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliIo io{out, err};
    return RunCli(args, io);
}

int RunCli(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    if (args.empty()) {
        err << "kpx41: no command given; try kpx41 --help\n";
        return kExitUsage;
    }
    const std::string& name = args.front();
    if (name == "help" && args.size() == 2) {
        if (!Find(args[1])) return UnknownCommand(args[1], err);
        return CommandHelp(args[1], io);
    }
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp(out);
        return kExitOk;
    }
    if (name == "--version") {
        out << VersionText("kpx41");
        return kExitOk;
    }
    const CliCommand* command = Find(name);
    if (command == nullptr) return UnknownCommand(name, err);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (WantsHelp(rest)) return CommandHelp(command->name, io);
    return command->run(rest, io);
}

}  // namespace kpx::cli
