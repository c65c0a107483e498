#pragma once

#include <string>
#include <vector>

#include "link/device_lister.h"
#include "platform/port_map.h"

namespace kpx {

inline constexpr const char* kProlificVendor = "067b";
// The kernel driver of the cable's chip; OEM cables carry other vendor IDs.
inline constexpr const char* kProlificDriver = "pl2303";

// One tty found under /sys/class/tty.
struct TtyDevice {
    std::string name;           // "ttyUSB0"
    std::string path;           // "/dev/ttyUSB0"
    std::string usbVendor;      // "067b", empty when the tty is not on a USB device
    bool pl2303Driver = false;  // the port or its USB interface is bound to the pl2303 driver
    bool hasHardware = false;   // a real port behind it (not an unused ttyS placeholder)
};
std::vector<TtyDevice> ListTtys(const std::string& sysfsRoot = "/sys");

// The device list from sysfs: every tty of a USB device of vendor 067b, or bound to the pl2303
// driver, is "Prolific USB-to-Serial Comm Port (COMn)" with n from the port map, and the map's
// registered extra paths are listed under their own descriptions. Sorted by COM number.
class SysfsDeviceLister : public DeviceLister {
  public:
    explicit SysfsDeviceLister(PortMap& map = PortMap::Default(), std::string sysfsRoot = "/sys")
        : map_(map), root_(std::move(sysfsRoot)) {}
    std::vector<std::string> GetDevInfo(const std::string& description) override;

    struct Port {
        int com;
        std::string friendlyName;  // without CR LF
        std::string path;
    };
    // Every listed port with its device path (for `kpx41 ports`).
    std::vector<Port> Ports(const std::string& description);

  private:
    PortMap& map_;
    std::string root_;
};

}  // namespace kpx
