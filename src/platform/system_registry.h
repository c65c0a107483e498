#pragma once

#include <string>

#include "platform/port_map.h"
#include "support/memory_registry.h"

namespace kpx {

// The registry of this machine: a hive in memory whose
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM key lists the serial ports present at the moment it is
// opened (ttys with hardware behind them, and the port map's registered paths).
class SystemRegistry : public MemoryRegistry {
  public:
    explicit SystemRegistry(PortMap& map = PortMap::Default(), std::string sysfsRoot = "/sys")
        : map_(map), root_(std::move(sysfsRoot)) {}

    long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;

    void RefreshSerialComm();

  private:
    PortMap& map_;
    std::string root_;
};

}  // namespace kpx
