#include "platform/system_registry.h"

#include <utility>
#include <vector>

#include "platform/sysfs_lister.h"

namespace kpx {

namespace {
constexpr const char* kSerialCommSubkey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
}

void SystemRegistry::RefreshSerialComm() {
    std::vector<std::pair<std::string, std::string>> ports;
    for (const TtyDevice& tty : ListTtys(root_)) {
        if (!tty.hasHardware) continue;
        const auto com = map_.ComNumberForPath(tty.path);
        ports.emplace_back("\\Device\\" + tty.name, com ? "COM" + std::to_string(*com) : tty.path);
    }
    for (const PortMap::Extra& e : map_.Extras()) {
        ports.emplace_back("\\Device\\" + e.path, "COM" + std::to_string(e.com));
    }
    ReplaceStringValues(kHkeyLocalMachine, kSerialCommSubkey, ports);
}

long SystemRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
    if (parent == kHkeyLocalMachine && SameRegistryName(subkey, kSerialCommSubkey)) {
        RefreshSerialComm();
    }
    return MemoryRegistry::OpenKey(parent, subkey, result);
}

}  // namespace kpx
