#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kpx {

// What `kpx41 doctor` looks at, all replaceable so that a test can point it at a made-up
// machine: the sysfs, /dev and /proc roots, the user and the group database.
struct DoctorEnv {
    struct FileInfo {
        unsigned mode = 0;  // st_mode
        unsigned uid = 0;
        unsigned gid = 0;
    };
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::string procRoot = "/proc";
    unsigned uid = 0;
    std::vector<unsigned> gids;  // the groups of this session
    std::function<std::optional<FileInfo>(const std::string& path)> statFile;
    std::function<std::string(unsigned gid)> groupName;
    std::function<std::optional<unsigned>(const std::string& name)> groupId;

    // This process on this machine.
    static DoctorEnv ThisMachine();
};

enum class Verdict { Ok, Warn, Fail };

// One finding, in plain words, with what to do about it.
struct Finding {
    bool parallel = false;  // about the parallel port rather than the serial cable
    Verdict verdict = Verdict::Ok;
    std::string text;
    std::string fix;  // empty when there is nothing to do
};

struct DoctorReport {
    std::vector<Finding> findings;
    // Nothing marked Fail on the link this build drives.
    bool Ready(bool parallelLink) const;
};

DoctorReport RunDoctor(const DoctorEnv& env);

}  // namespace kpx
