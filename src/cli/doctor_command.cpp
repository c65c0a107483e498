// kpx41 doctor: whether this machine is ready for a transfer, and what to do if not.
#include <ostream>

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

int CmdDoctor(const std::vector<std::string>& args, CliIo& io) {
    DoctorEnv env = DoctorEnv::ThisMachine();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* root = a == "--sysfs"  ? &env.sysRoot
                            : a == "--dev"  ? &env.devRoot
                            : a == "--proc" ? &env.procRoot
                                            : nullptr;
        if (!root) return UsageError("doctor", "unexpected argument " + a, io);
        if (i + 1 >= args.size()) return UsageError("doctor", a + " needs a folder", io);
        *root = args[++i];
    }
    const DoctorReport report = RunDoctor(env);
    const bool parallel = !LinkIsUsb();
    for (bool section : {false, true}) {
        io.out << (section ? "Parallel port" : "Serial cable")
               << (section == parallel ? " (the link of this build):\n"
                                       : " (not used by this build; for information):\n");
        for (const Finding& f : report.findings) {
            if (f.parallel != section) continue;
            io.out << "  " << Mark(f.verdict, section == parallel) << "  " << f.text << "\n";
            if (!f.fix.empty()) io.out << "        fix: " << f.fix << "\n";
        }
    }
    const bool ready = report.Ready(parallel);
    io.out << (ready ? "Everything a transfer needs is in place.\n"
                     : "A transfer will not work until the problems marked FAIL are fixed.\n");
    return ready ? kExitOk : kExitFailure;
}

}  // namespace

const CliCommand kDoctorCommand = {
    "doctor", "doctor [--sysfs DIR] [--dev DIR] [--proc DIR]",
    "check that the cable (or the parallel port) is seen and may be opened, and say how to fix "
    "what is missing",
    CmdDoctor};

}  // namespace kpx::cli
