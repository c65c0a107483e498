#pragma once

#include <string>

namespace kpx::gui {

inline constexpr const char* kNoDisplayMessage =
    "no display: set DISPLAY or WAYLAND_DISPLAY, or run with QT_QPA_PLATFORM=offscreen";

// Qt aborts when its platform finds no display, so the programmer looks first. platform is the
// -platform argument or QT_QPA_PLATFORM (a ';' list of "name[:options]"); display and wayland
// are DISPLAY and WAYLAND_DISPLAY (null when unset). True when a window can be tried: a platform
// that needs no display server, or the variable of the one it talks to. An explicit wayland
// platform is let through, as Qt then also looks for its default socket.
bool DisplayAvailable(const char* platform, const char* display, const char* wayland);

// The platform Qt will be asked for: the last "-platform NAME" argument, else QT_QPA_PLATFORM.
std::string RequestedPlatform(int argc, char** argv);

}  // namespace kpx::gui
