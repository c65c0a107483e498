// kpx41 doctor: whether this machine is ready for a transfer, and what to do if not.
#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "link/serial_link.h"
#include "platform/doctor.h"

namespace kpx::cli {

namespace {

// A problem on the link this build does not drive stops no transfer: it is only information.
const char* Mark(Verdict v, bool thisLink) {
    if (v == Verdict::Ok) return "ok  ";
    if (!thisLink) return "info";
    return v == Verdict::Warn ? "warn" : "FAIL";
}

void PrintText(const DoctorReport& report, bool parallel, std::ostream& out) {
    for (bool section : {false, true}) {
        out << (section ? "Parallel port" : "Serial cable")
            << (section == parallel ? " (the link of this build):\n"
                                    : " (not used by this build; for information):\n");
        for (const Finding& f : report.findings) {
            if (f.parallel != section) continue;
            out << "  " << Mark(f.verdict, section == parallel) << "  " << f.text << "\n";
            if (!f.fix.empty()) out << "        fix: " << f.fix << "\n";
        }
    }
    out << (report.Ready(parallel)
                ? "Everything a transfer needs is in place.\n"
                : "A transfer will not work until the problems marked FAIL are fixed.\n");
}

void PrintJson(const DoctorReport& report, bool parallel, std::ostream& out) {
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const Finding& f : report.findings) {
        std::string mark = Mark(f.verdict, f.parallel == parallel);
        if (mark == "FAIL") mark = "fail";
        findings.push_back({{"link", f.parallel ? "parallel" : "serial"},
                            {"verdict", mark.substr(0, mark.find(' '))},
                            {"text", f.text},
                            {"fix", f.fix}});
    }
    const nlohmann::ordered_json all = {{"link", parallel ? "parallel" : "serial"},
                                        {"ready", report.Ready(parallel)},
                                        {"findings", findings}};
    out << all.dump(2) << "\n";
}

int CmdDoctor(const std::vector<std::string>& args, CliIo& io) {
    const auto parsed = ParseCommand("doctor", args, io);
    if (!parsed) return kExitUsage;
    DoctorEnv env = DoctorEnv::ThisMachine();
    bool json = false;
    for (const ParsedArg& a : *parsed) {
        if (!a.option) return UsageError("doctor", "unexpected argument " + a.text, io);
        const std::string_view name = a.option->name;
        json = json || name == "--json";
        if (a.value) {
            (name == "--sysfs" ? env.sysRoot : name == "--dev" ? env.devRoot : env.procRoot) =
                *a.value;
        }
    }
    const DoctorReport report = RunDoctor(env);
    const bool parallel = !LinkIsUsb();
    (json ? PrintJson : PrintText)(report, parallel, io.out);
    return report.Ready(parallel) ? kExitOk : kExitFailure;
}

}  // namespace

const CliCommand kDoctorCommand = {
    "doctor", "doctor [--json] [--sysfs DIR] [--dev DIR] [--proc DIR]",
    "check that the cable (or the parallel port) is seen and may be opened, and say how to fix "
    "what is missing",
    CmdDoctor,
    {kJsonOption,
     {"--sysfs", "", "DIR", "look at DIR instead of /sys (for a test, or another root)"},
     {"--dev", "", "DIR", "look at DIR instead of /dev"},
     {"--proc", "", "DIR", "look at DIR instead of /proc"}}};

}  // namespace kpx::cli
