#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kpx {

// The one place where COM numbers meet device paths. /dev/ttyUSBk is COM(k+1), always.
// Other paths (a simulator's pseudo-terminal, a test's) are registered and get COM numbers from
// kFirstExtraCom upward, in the order of registration.
class PortMap {
  public:
    static constexpr int kFirstExtraCom = 200;

    struct Extra {
        int com;
        std::string path;
        std::string description;
    };

    // COM number of a path: k + 1 for /dev/ttyUSBk, the assigned number of a registered path.
    std::optional<int> ComNumberForPath(const std::string& path) const;
    // Device path of a COM number.
    std::optional<std::string> PathForCom(int com) const;
    // Registers a path (again: its old number) listed under `description`.
    int Register(const std::string& path,
                 const std::string& description = "Prolific USB-to-Serial Comm Port");
    void Unregister(const std::string& path);
    std::vector<Extra> Extras() const;

    // The map the programs share.
    static PortMap& Default();

  private:
    mutable std::mutex mutex_;
    std::vector<Extra> extras_;
    int nextCom_ = kFirstExtraCom;
};

// "/dev/ttyUSB4" -> 4; nothing for other paths.
std::optional<int> TtyUsbIndex(const std::string& path);

}  // namespace kpx
