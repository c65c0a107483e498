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

// A program run from the folder CMake built it in: bin/ beside the build's CMakeCache.txt.
bool InBuildTree(const std::filesystem::path& folder) {
    std::error_code ignored;
    return std::filesystem::exists(folder / "CMakeCache.txt", ignored) ||
           std::filesystem::exists(folder.parent_path() / "CMakeCache.txt", ignored);
}

// Where packages put programs; root may write there, but nothing of a user's belongs there.
bool InSystemFolder(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::path real = std::filesystem::weakly_canonical(folder, ignored);
    if (real.empty()) real = folder;
    const std::string p = real.string() + "/";
    for (const char* prefix : {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/"}) {
        if (p.rfind(prefix, 0) == 0) return true;
    }
    return false;
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
    const std::filesystem::path folder(executableFolder);
    const bool installed = InSystemFolder(folder) && !InBuildTree(folder);
    if (!installed && ::access(executableFolder.c_str(), W_OK) == 0) {
        return {executableFolder, ""};
    }
    const std::string config = ConfigFolder();
    std::error_code ignored;  // a folder that cannot be made fails later, at Save, with a message
    std::filesystem::create_directories(config, ignored);
    return {config, config + "/settings.reg"};
}

}  // namespace kpx
