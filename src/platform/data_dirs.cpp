#include "platform/data_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kpx {

namespace {

// A relative XDG base folder is invalid and is ignored.
std::string XdgBase(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? std::string(value) : HomeFolder() + fallbackUnderHome;
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

std::string BackupFolder() {
    return XdgBase("XDG_DATA_HOME", "/.local/share") + "/kpx41/backups";
}

std::string ConfigFolder() {
    return XdgBase("XDG_CONFIG_HOME", "/.config") + "/kpx41";
}

ProgramFolders ChooseProgramFolders(const std::string& executableFolder) {
    if (::access(executableFolder.c_str(), W_OK) == 0) return {executableFolder, ""};
    const std::string config = ConfigFolder();
    std::error_code ignored;  // a folder that cannot be made fails later, at Save, with a message
    std::filesystem::create_directories(config, ignored);
    return {config, config + "/settings.reg"};
}

}  // namespace kpx
