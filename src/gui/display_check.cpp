#include "gui/display_check.h"

#include <cstdlib>
#include <cstring>

namespace kpx::gui {

namespace {

bool Set(const char* value) {
    return value && *value;
}

}  // namespace

bool DisplayAvailable(const char* platform, const char* display, const char* wayland) {
    if (!Set(platform)) return Set(display) || Set(wayland);
    const std::string list = platform;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        std::string name = list.substr(start, end - start);
        name = name.substr(0, name.find(':'));
        if (name == "xcb") {
            if (Set(display)) return true;
        } else if (!name.empty()) {
            return true;  // wayland, or one that draws without a server (offscreen, vnc, ...)
        }
        start = end + 1;
    }
    return false;
}

std::string RequestedPlatform(int argc, char** argv) {
    std::string platform;
    if (const char* env = std::getenv("QT_QPA_PLATFORM")) platform = env;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            platform = argv[i + 1];
        }
    }
    return platform;
}

}  // namespace kpx::gui
