#include "platform/data_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kpx {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

}  // namespace

std::string BackupFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and is ignored.
    const std::string base =
        data && data[0] == '/' ? std::string(data) : HomeFolder() + "/.local/share";
    return base + "/kpx41/backups";
}

}  // namespace kpx
