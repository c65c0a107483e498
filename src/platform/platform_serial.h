#pragma once

#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/sysfs_lister.h"
#include "platform/system_registry.h"
#include "platform/termios_port.h"
#include "support/registry_access.h"

namespace kpx {

// The machine's side of the serial link, wired once: the tty port, the device list and the
// registry on the shared port map, and the steady clock. A SerialLink is built over these.
struct PlatformSerial {
    explicit PlatformSerial(PortMap& map = PortMap::Default())
        : port(map), lister(map), registryBackend(map), registry(registryBackend) {}

    TermiosSerialPort port;
    SysfsDeviceLister lister;
    SystemRegistry registryBackend;
    RegistryAccess registry;
    SteadyClock clock;
};

}  // namespace kpx
