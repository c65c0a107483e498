#include "platform/doctor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kDialout = 20;
constexpr unsigned kLp = 7;
constexpr unsigned kUser = 1000;

// A made-up machine: sysfs, /dev and /proc trees in a folder, a user who is in no group yet,
// and device files whose owner, group and mode the test sets.
struct FakeMachine {
    FakeMachine() {
        for (const char* d : {"sys/class/tty", "dev", "proc"}) fs::create_directories(root(d));
        env.sysRoot = root("sys");
        env.devRoot = root("dev");
        env.procRoot = root("proc");
        env.uid = kUser;
        env.gids = {kUser};
        env.statFile = [this](const std::string& path) -> std::optional<DoctorEnv::FileInfo> {
            if (!fs::exists(path)) return std::nullopt;
            auto it = files.find(path);
            return it != files.end() ? it->second : DoctorEnv::FileInfo{S_IFCHR | 0600, 0, 0};
        };
        env.groupName = [](unsigned gid) {
            return gid == kDialout ? std::string("dialout") : gid == kLp ? "lp" : "root";
        };
        env.groupId = [](const std::string& name) -> std::optional<unsigned> {
            if (name == "lp") return kLp;
            if (name == "dialout") return kDialout;
            return std::nullopt;
        };
    }
    std::string root(const std::string& sub) const { return dir.path() + "/" + sub; }
    void PlugCable(const std::string& name, unsigned mode = 0660, unsigned gid = kDialout,
                   const std::string& vendor = "067b", const std::string& driver = "") {
        const fs::path usb = root("sys/devices/usb1/1-1");
        fs::create_directories(usb / "1-1:1.0" / name);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        if (!driver.empty()) {
            fs::create_directories(root("sys/bus/usb-serial/drivers/" + driver));
            fs::create_directory_symlink(root("sys/bus/usb-serial/drivers/" + driver),
                                         usb / "1-1:1.0" / "driver");
        }
        fs::create_directories(root("sys/class/tty/" + name));
        fs::create_directory_symlink(usb / "1-1:1.0", root("sys/class/tty/" + name + "/device"));
        Device(name, mode, gid);
    }
    void Device(const std::string& name, unsigned mode, unsigned gid) {
        std::ofstream(root("dev/" + name)) << "";
        files[root("dev/" + name)] = {S_IFCHR | mode, 0, gid};
    }
    void Process(const std::string& pid, const std::string& name, const std::string& holds = "") {
        fs::create_directories(root("proc/" + pid + "/fd"));
        std::ofstream(root("proc/" + pid + "/comm")) << name << "\n";
        if (!holds.empty()) fs::create_symlink(holds, root("proc/" + pid + "/fd/3"));
    }
    std::string Lines(bool parallel) const {
        std::string text;
        for (const Finding& f : RunDoctor(env).findings) {
            if (f.parallel != parallel) continue;
            text += (f.verdict == Verdict::Ok     ? "ok "
                     : f.verdict == Verdict::Warn ? "warn "
                                                  : "FAIL ") +
                    f.text + (f.fix.empty() ? "" : " | " + f.fix) + "\n";
        }
        return text;
    }

    testing::TempDir dir;
    DoctorEnv env;
    std::map<std::string, DoctorEnv::FileInfo> files;
};

TEST(Doctor, NoCableIsAFailureThatSaysWhatToDo) {
    FakeMachine m;
    EXPECT_EQ(m.Lines(false),
              "FAIL no programming cable is seen (no USB-serial converter of vendor 067b or on "
              "the pl2303 driver) | plug the cable in; if it is in, `sudo dmesg | tail` should "
              "name a pl2303 converter "
              "attached to ttyUSB; try another socket or cable\n");
    EXPECT_FALSE(RunDoctor(m.env).Ready(false));

    // Another maker's converter is no cable; an OEM cable on the pl2303 driver is one.
    m.PlugCable("ttyUSB0", 0666, 0, "0403", "ftdi_sio");
    EXPECT_EQ(m.Lines(false).rfind("FAIL no programming cable is seen", 0), 0u);
    FakeMachine oem;
    oem.PlugCable("ttyUSB1", 0666, 0, "0557", "pl2303");
    EXPECT_EQ(oem.Lines(false).rfind("ok cable seen: /dev/ttyUSB1 is", 0), 0u) << oem.Lines(false);
    EXPECT_TRUE(RunDoctor(oem.env).Ready(false));
}

TEST(Doctor, ACableTheUserMayOpen) {
    struct Case {
        const char* what;
        unsigned mode;
        unsigned gid;
        std::vector<unsigned> gids;
        bool ready;
        const char* access;
    } cases[] = {
        {"in dialout",
         0660,
         kDialout,
         {kUser, kDialout},
         true,
         "ok you may open DEV (group dialout, mode crw-rw----)\n"},
        {"not in dialout",
         0660,
         kDialout,
         {kUser},
         false,
         "FAIL you may not open DEV (group dialout, mode crw-rw----) | add yourself to the group "
         "dialout: sudo usermod -aG dialout $USER, then log out and in again\n"},
        {"root's device",
         0600,
         0,
         {kUser, kDialout},
         false,
         "FAIL you may not open DEV (group "
         "root, mode crw-------) | install"},
        {"open to all",
         0666,
         0,
         {kUser},
         true,
         "ok you may open DEV (group root, mode crw-rw-rw-)\n"},
    };
    for (const auto& c : cases) {
        FakeMachine m;
        m.PlugCable("ttyUSB2", c.mode, c.gid);
        m.env.gids = c.gids;
        const std::string lines = m.Lines(false);
        std::string access = c.access;
        access.replace(access.find("DEV"), 3, m.root("dev/ttyUSB2"));
        EXPECT_EQ(
            lines.rfind("ok cable seen: /dev/ttyUSB2 is Prolific USB-to-Serial Comm Port (COM3)\n",
                        0),
            0u)
            << c.what << lines;
        EXPECT_NE(lines.find(access), std::string::npos) << c.what << "\n" << lines;
        EXPECT_EQ(RunDoctor(m.env).Ready(false), c.ready) << c.what;
    }
}

TEST(Doctor, ModemManagerAndBrlttyAreNamed) {
    FakeMachine m;
    m.PlugCable("ttyUSB0");
    m.env.gids.push_back(kDialout);
    m.Process("812", "ModemManager");
    m.Process("900", "brltty");
    m.Process("1", "init");
    EXPECT_TRUE(RunDoctor(m.env).Ready(false));  // running is a warning only
    std::string lines = m.Lines(false);
    EXPECT_NE(lines.find("warn ModemManager is running (process 812)"), std::string::npos) << lines;
    EXPECT_NE(lines.find("warn brltty is running (process 900)"), std::string::npos) << lines;
    EXPECT_NE(lines.find("sudo apt remove brltty"), std::string::npos) << lines;

    m.Process("813", "ModemManager", "/dev/ttyUSB0");
    lines = m.Lines(false);
    EXPECT_NE(lines.find("FAIL ModemManager (process 813) holds /dev/ttyUSB0 | end it, or if it "
                         "is ModemManager: sudo systemctl stop ModemManager"),
              std::string::npos)
        << lines;
    EXPECT_FALSE(RunDoctor(m.env).Ready(false));
}

// Both ModemManager findings name the rule file where the package puts it.
TEST(Doctor, TheModemManagerFixNamesTheInstalledRule) {
    FakeMachine m;
    m.PlugCable("ttyUSB0");
    m.env.gids.push_back(kDialout);
    m.Process("812", "ModemManager");
    m.Process("813", "ModemManager", "/dev/ttyUSB0");
    int named = 0;
    for (const Finding& f : RunDoctor(m.env).findings) {
        if (f.text.rfind("ModemManager", 0) != 0) continue;
        EXPECT_NE(f.fix.find("/usr/lib/udev/rules.d/60-kpx41-cable.rules"), std::string::npos)
            << f.fix;
        ++named;
    }
    EXPECT_EQ(named, 3);  // two running, one of them holding the cable
}

TEST(Doctor, ParallelPort) {
    FakeMachine m;
    EXPECT_EQ(
        m.Lines(true),
        "FAIL module ppdev is not loaded | sudo modprobe ppdev\n"
        "FAIL module lp is not loaded | sudo modprobe lp\n"
        "FAIL no " +
            m.root("dev") +
            "/parport* is present | the machine has no parallel "
            "port, or ppdev is not loaded: sudo modprobe ppdev\n"
            "warn you are not in the group lp | sudo usermod -aG lp $USER, then log out and in "
            "again\n");
    std::ofstream(m.root("proc/modules")) << "ppdev 24576 0 - Live 0x0\nlp 20480 0 - Live 0x0\n"
                                             "parport 69632 2 ppdev,lp, Live 0x0\n";
    m.Device("parport0", 0660, kLp);
    m.env.gids.push_back(kLp);
    EXPECT_EQ(m.Lines(true), "ok module ppdev is loaded\nok module lp is loaded\nok you may open " +
                                 m.root("dev/parport0") +
                                 " (group lp, mode crw-rw----)\nok you are in the group lp\n");
    EXPECT_TRUE(RunDoctor(m.env).Ready(true));
    EXPECT_FALSE(RunDoctor(m.env).Ready(false));  // still no cable
}

}  // namespace
}  // namespace kpx
