#include "platform/user_settings.h"

#include <cstdio>
#include <utility>

namespace kpx {

namespace {
constexpr const char* kLastFolder = "LastFolder";
}

UserSettings::UserSettings(std::string file) : file_(std::move(file)), registry_(hive_) {
    // A missing or damaged file leaves the settings empty.
    registry_.ImportFromReg(file_);
}

std::string UserSettings::LastFolder() {
    return Value(kLastFolder);
}

bool UserSettings::SetLastFolder(const std::string& folder) {
    return SetValue(kLastFolder, folder);
}

std::string UserSettings::Value(const std::string& name) {
    return registry_.ReadString(kKey, name, "");
}

bool UserSettings::SetValue(const std::string& name, const std::string& value) {
    // A REGEDIT4 value is one line.
    if (value.find_first_of("\r\n") != std::string::npos) return false;
    if (value == Value(name)) return true;
    registry_.WriteString(kKey, name, value);
    return Save();
}

bool UserSettings::Save() {
    // Written beside the file and renamed over it, so a failed write keeps the old settings.
    const std::string next = file_ + ".new";
    std::remove(next.c_str());
    if (!registry_.ExportToReg(kKey, next, true) || std::rename(next.c_str(), file_.c_str()) != 0) {
        std::remove(next.c_str());
        return false;
    }
    return true;
}

}  // namespace kpx
