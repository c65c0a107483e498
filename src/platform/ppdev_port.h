#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/port_io.h"

namespace kpx {

// The kernel calls the parallel-port adapter makes, so a test can stand in for the kernel.
// Results are as the system calls give them, with the error number as a negative result.
class ParportSystem {
  public:
    virtual ~ParportSystem() = default;
    // A descriptor, or -errno.
    virtual int Open(const std::string& path) = 0;
    // 0, or -errno.
    virtual int Ioctl(int fd, unsigned long request, std::uint8_t* value) = 0;
    virtual void Close(int fd) = 0;
};

// The real one: open(2), ioctl(2), close(2).
ParportSystem& LinuxParportSystem();

// Which /dev/parportN serves the port at each base address.
using ParportMap = std::map<std::uint16_t, std::string>;

// "0x378=/dev/parport0,0x278=/dev/parport1" (bases in hex with 0x, or decimal); nothing, with
// the reason, for a malformed list.
std::optional<ParportMap> ParseParportList(const std::string& text, std::string* problem);
// The bases the kernel reports in <procDir>/parport*/base-addr, each mapped to its
// /dev/parport*.
ParportMap ScanParports(const std::string& procDir = "/proc/sys/dev/parport");
// KPX41_PARPORTS when it is set (a malformed list counts as empty, with the reason), otherwise
// what /proc reports.
ParportMap MachineParports(std::string* problem = nullptr);

// PortIo on the parallel ports through ppdev: data-register writes are PPWDATA, data-register
// reads PPRDATA, status reads PPRSTATUS, on the device whose base matches. A device is opened
// and claimed (PPCLAIM) at its first use and released (PPRELEASE) and closed by Release, so the
// printer driver can have the port between transfers. A base with no device, or one that
// cannot be opened or claimed, reads 0xFF like an empty port; Problems says why.
class PpdevPortIo final : public PortIo {
  public:
    explicit PpdevPortIo(ParportMap map, ParportSystem& system = LinuxParportSystem());
    ~PpdevPortIo() override;
    PpdevPortIo(const PpdevPortIo&) = delete;
    PpdevPortIo& operator=(const PpdevPortIo&) = delete;

    std::uint8_t In(std::uint16_t port) override;
    void Out(std::uint16_t port, std::uint8_t value) override;
    void Release() override;

    const ParportMap& map() const { return map_; }
    // One line per device that could not be used, since the object was made (or the last
    // ForgetProblems).
    const std::vector<std::string>& Problems() const { return problems_; }
    void ForgetProblems() { problems_.clear(); }

  private:
    struct Device {
        int fd = -1;
        bool failed = false;  // not tried again until Release
    };
    // The claimed descriptor of the device at base, or -1.
    int Claimed(std::uint16_t base);
    void Note(const std::string& problem);

    ParportMap map_;
    ParportSystem& system_;
    std::map<std::uint16_t, Device> devices_;
    std::vector<std::string> problems_;
};

// Why no memory answered on these ports, a line each: the lookup's problem, no port at all,
// every device that could not be opened or claimed. Empty when there is nothing to say.
std::vector<std::string> ParallelPortReasons(const PpdevPortIo& ports,
                                             const std::string& lookupProblem);

}  // namespace kpx
