#include "platform/sysfs_lister.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kpx {

namespace fs = std::filesystem;

namespace {

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line;
}

// Walks up from a tty's device folder to the USB device it hangs under: the device's idVendor,
// and whether the port or its USB interface on the way is bound to the pl2303 driver.
void ReadUsbParents(const fs::path& deviceDir, TtyDevice& tty) {
    std::error_code ec;
    fs::path dir = fs::canonical(deviceDir, ec);
    if (ec) return;
    for (int depth = 0; depth < 8 && !dir.empty() && dir != dir.root_path(); ++depth) {
        const fs::path driver = fs::read_symlink(dir / "driver", ec);
        if (!ec && driver.filename() == kProlificDriver) tty.pl2303Driver = true;
        if (fs::exists(dir / "idVendor", ec)) {
            tty.usbVendor = ReadLine(dir / "idVendor");
            return;
        }
        dir = dir.parent_path();
    }
}

}  // namespace

std::vector<TtyDevice> ListTtys(const std::string& sysfsRoot) {
    std::vector<TtyDevice> ttys;
    std::error_code ec;
    const fs::path classDir = fs::path(sysfsRoot) / "class" / "tty";
    for (const auto& entry : fs::directory_iterator(classDir, ec)) {
        const fs::path device = entry.path() / "device";
        if (!fs::exists(device, ec)) continue;
        TtyDevice tty;
        tty.name = entry.path().filename().string();
        tty.path = "/dev/" + tty.name;
        ReadUsbParents(device, tty);
        // Unused 8250 placeholders report the port type 0.
        const fs::path type = entry.path() / "type";
        tty.hasHardware = !fs::exists(type, ec) || ReadLine(type) != "0";
        ttys.push_back(tty);
    }
    std::sort(ttys.begin(), ttys.end(),
              [](const TtyDevice& a, const TtyDevice& b) { return a.name < b.name; });
    return ttys;
}

std::vector<SysfsDeviceLister::Port> SysfsDeviceLister::Ports(const std::string& description) {
    std::vector<Port> ports;
    for (const TtyDevice& tty : ListTtys(root_)) {
        if (tty.usbVendor != kProlificVendor && !tty.pl2303Driver) continue;
        if (!DescriptionMatches(kCableDescription, description)) continue;
        const auto com = map_.ComNumberForPath(tty.path);
        if (!com) continue;
        ports.push_back({*com,
                         std::string(kCableDescription) + " (COM" + std::to_string(*com) + ")",
                         tty.path});
    }
    for (const PortMap::Extra& e : map_.Extras()) {
        if (!DescriptionMatches(e.description, description)) continue;
        ports.push_back({e.com, e.description + " (COM" + std::to_string(e.com) + ")", e.path});
    }
    std::sort(ports.begin(), ports.end(),
              [](const Port& a, const Port& b) { return a.com < b.com; });
    if (ports.size() > static_cast<std::size_t>(kMaxListedDevices)) {
        ports.resize(static_cast<std::size_t>(kMaxListedDevices));
    }
    return ports;
}

std::vector<std::string> SysfsDeviceLister::GetDevInfo(const std::string& description) {
    std::vector<std::string> names;
    for (const Port& p : Ports(description)) names.push_back(p.friendlyName + "\r\n");
    return names;
}

}  // namespace kpx
