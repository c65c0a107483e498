#include "platform/doctor.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/port_map.h"
#include "platform/sysfs_lister.h"

namespace kpx {

namespace fs = std::filesystem;

namespace {

// The package installs the rule as /usr/lib/udev/rules.d/60-kpx41-cable.rules, where it is
// active at once; a program built from the source has it in dist/.
constexpr const char* kRulePath = "/usr/lib/udev/rules.d/60-kpx41-cable.rules";
constexpr const char* kRuleInstall =
    "sudo cp dist/60-kpx41-cable.rules /etc/udev/rules.d/ && sudo udevadm control --reload && "
    "sudo udevadm trigger";
constexpr const char* kRuleFix =
    "install the udev rule that gives the cable to the group dialout: the package puts it in "
    "/usr/lib/udev/rules.d/60-kpx41-cable.rules, active at once; without the package: "
    "sudo cp dist/60-kpx41-cable.rules /etc/udev/rules.d/ && sudo udevadm control --reload && "
    "sudo udevadm trigger";

std::string ModeText(unsigned mode) {
    std::string text = S_ISCHR(mode) ? "c" : S_ISREG(mode) ? "-" : "?";
    const char* letters = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) text += (mode & (0400u >> i)) ? letters[i] : '-';
    return text;
}

bool InGroup(const DoctorEnv& env, unsigned gid) {
    return std::find(env.gids.begin(), env.gids.end(), gid) != env.gids.end();
}

bool MayOpen(const DoctorEnv& env, const DoctorEnv::FileInfo& f) {
    if (env.uid == 0) return true;
    if (env.uid == f.uid) return (f.mode & 0600) == 0600;
    if (InGroup(env, f.gid)) return (f.mode & 0060) == 0060;
    return (f.mode & 0006) == 0006;
}

// The access check of one device file; groupHint is the group that should own it.
Finding AccessFinding(const DoctorEnv& env, bool parallel, const std::string& path,
                      const std::string& groupHint) {
    Finding f{parallel, Verdict::Ok, "", ""};
    const auto info = env.statFile(path);
    if (!info) {
        f.verdict = Verdict::Fail;
        f.text = path + " is missing";
        f.fix =
            "the device is seen but has no device file; check `udevadm monitor` while "
            "plugging it in";
        return f;
    }
    const std::string group = env.groupName(info->gid);
    const std::string facts = "(group " + group + ", mode " + ModeText(info->mode) + ")";
    if (MayOpen(env, *info)) {
        f.text = "you may open " + path + " " + facts;
        return f;
    }
    f.verdict = Verdict::Fail;
    f.text = "you may not open " + path + " " + facts;
    if ((info->mode & 0060) == 0060 && !InGroup(env, info->gid)) {
        f.fix = "add yourself to the group " + group + ": sudo usermod -aG " + group +
                " $USER, then log out and in again";
    } else {
        f.fix = parallel ? "let the group " + groupHint + " read and write it: sudo chgrp " +
                               groupHint + " " + path + " && sudo chmod 660 " + path
                         : kRuleFix;
    }
    return f;
}

struct Process {
    std::string pid;
    std::string name;
    std::vector<std::string> openFiles;
};

std::vector<Process> Processes(const std::string& procRoot) {
    std::vector<Process> list;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(procRoot, ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit)) continue;
        Process p{pid, "", {}};
        std::ifstream(entry.path() / "comm") >> p.name;
        for (const auto& fd : fs::directory_iterator(entry.path() / "fd", ec)) {
            const fs::path target = fs::read_symlink(fd.path(), ec);
            if (!ec) p.openFiles.push_back(target.string());
        }
        ec.clear();
        list.push_back(p);
    }
    return list;
}

bool ModuleLoaded(const std::string& procRoot, const std::string& module) {
    std::ifstream in(procRoot + "/modules");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(module + " ", 0) == 0) return true;
    }
    return false;
}

void SerialChecks(const DoctorEnv& env, const std::vector<Process>& processes,
                  std::vector<Finding>& out) {
    std::vector<TtyDevice> cables;
    for (const TtyDevice& tty : ListTtys(env.sysRoot)) {
        // The same cables the port list shows: Prolific's own, or an OEM one on its driver.
        if (tty.usbVendor == kProlificVendor || tty.pl2303Driver) cables.push_back(tty);
    }
    if (cables.empty()) {
        out.push_back({false, Verdict::Fail,
                       "no programming cable is seen (no USB-serial converter of vendor 067b "
                       "or on the pl2303 driver)",
                       "plug the cable in; if it is in, `sudo dmesg | tail` should name a "
                       "pl2303 converter attached to ttyUSB; try another socket or cable"});
    }
    for (const TtyDevice& cable : cables) {
        const std::string path = env.devRoot + "/" + cable.name;
        const auto com = TtyUsbIndex("/dev/" + cable.name);
        out.push_back({false, Verdict::Ok,
                       "cable seen: /dev/" + cable.name +
                           (com ? std::string(" is ") + kCableDescription + " (COM" +
                                      std::to_string(*com + 1) + ")"
                                : std::string()),
                       ""});
        out.push_back(AccessFinding(env, false, path, "dialout"));
        for (const Process& p : processes) {
            for (const std::string& file : p.openFiles) {
                if (file != path && file != "/dev/" + cable.name) continue;
                out.push_back({false, Verdict::Fail,
                               p.name + " (process " + p.pid + ") holds /dev/" + cable.name,
                               std::string("end it, or if it is ModemManager: sudo systemctl "
                                           "stop ModemManager; the udev rule ") +
                                   kRulePath + " keeps it away for good"});
                break;
            }
        }
    }
    for (const Process& p : processes) {
        if (p.name == "ModemManager") {
            out.push_back({false, Verdict::Warn,
                           "ModemManager is running (process " + p.pid +
                               "); it probes new serial ports and can talk to the board",
                           std::string("nothing to do when the udev rule is in place (") +
                               kRulePath +
                               " from the package, or /etc/udev/rules.d/60-kpx41-cable.rules); "
                               "otherwise: " +
                               kRuleInstall});
        } else if (p.name == "brltty") {
            out.push_back({false, Verdict::Warn,
                           "brltty is running (process " + p.pid +
                               "); it claims some USB-serial converters as braille displays",
                           "without a braille display: sudo apt remove brltty"});
        }
    }
}

void ParallelChecks(const DoctorEnv& env, std::vector<Finding>& out) {
    for (const char* module : {"ppdev", "lp"}) {
        if (ModuleLoaded(env.procRoot, module)) {
            out.push_back({true, Verdict::Ok, std::string("module ") + module + " is loaded", ""});
        } else {
            out.push_back({true, Verdict::Fail, std::string("module ") + module + " is not loaded",
                           std::string("sudo modprobe ") + module});
        }
    }
    std::vector<std::string> ports;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(env.devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) == 0) ports.push_back(entry.path().string());
    }
    std::sort(ports.begin(), ports.end());
    if (ports.empty()) {
        out.push_back({true, Verdict::Fail, "no " + env.devRoot + "/parport* is present",
                       "the machine has no parallel port, or ppdev is not loaded: "
                       "sudo modprobe ppdev"});
    }
    for (const std::string& port : ports) out.push_back(AccessFinding(env, true, port, "lp"));
    const auto lp = env.groupId("lp");
    if (env.uid != 0 && lp && !InGroup(env, *lp)) {
        out.push_back({true, Verdict::Warn, "you are not in the group lp",
                       "sudo usermod -aG lp $USER, then log out and in again"});
    } else if (lp) {
        out.push_back(
            {true, Verdict::Ok, env.uid == 0 ? "you are root" : "you are in the group lp", ""});
    }
}

}  // namespace

DoctorEnv DoctorEnv::ThisMachine() {
    DoctorEnv env;
    env.uid = ::getuid();
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(n, 0)));
    // Only the groups the second call filled count: a failed call would otherwise leave
    // zeros behind, read as membership of root's group.
    const int filled = n > 0 ? ::getgroups(n, groups.data()) : 0;
    groups.resize(static_cast<std::size_t>(std::max(filled, 0)));
    env.gids.assign(groups.begin(), groups.end());
    env.gids.push_back(::getgid());
    env.statFile = [](const std::string& path) -> std::optional<FileInfo> {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return std::nullopt;
        return FileInfo{st.st_mode, st.st_uid, st.st_gid};
    };
    env.groupName = [](unsigned gid) {
        const group* g = ::getgrgid(gid);
        return g ? std::string(g->gr_name) : std::to_string(gid);
    };
    env.groupId = [](const std::string& name) -> std::optional<unsigned> {
        const group* g = ::getgrnam(name.c_str());
        if (!g) return std::nullopt;
        return g->gr_gid;
    };
    return env;
}

bool DoctorReport::Ready(bool parallelLink) const {
    return std::none_of(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.parallel == parallelLink && f.verdict == Verdict::Fail;
    });
}

DoctorReport RunDoctor(const DoctorEnv& env) {
    DoctorReport report;
    SerialChecks(env, Processes(env.procRoot), report.findings);
    ParallelChecks(env, report.findings);
    return report;
}

}  // namespace kpx
