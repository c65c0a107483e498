#include "platform/ppdev_port.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kpx {

namespace {

class RealParportSystem final : public ParportSystem {
  public:
    int Open(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }
    int Ioctl(int fd, unsigned long request, std::uint8_t* value) override {
        return ::ioctl(fd, request, value) == 0 ? 0 : -errno;
    }
    void Close(int fd) override { ::close(fd); }
};

std::optional<std::uint16_t> ParseBase(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0' || v == 0 || v > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(v);
}

std::string Hex(std::uint16_t base) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

}  // namespace

ParportSystem& LinuxParportSystem() {
    static RealParportSystem system;
    return system;
}

std::optional<ParportMap> ParseParportList(const std::string& text, std::string* problem) {
    ParportMap map;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string entry = text.substr(from, comma - from);
        from = comma + 1;
        if (entry.empty()) continue;
        const std::size_t eq = entry.find('=');
        const auto base = eq == std::string::npos ? std::nullopt : ParseBase(entry.substr(0, eq));
        if (!base || eq + 1 >= entry.size()) {
            if (problem) *problem = "not BASE=DEVICE: " + entry;
            return std::nullopt;
        }
        map[*base] = entry.substr(eq + 1);
    }
    return map;
}

ParportMap ScanParports(const std::string& procDir) {
    namespace fs = std::filesystem;
    ParportMap map;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(procDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0) continue;
        // "888\t1912": the base, then the extended-mode base.
        std::ifstream in(entry.path() / "base-addr");
        unsigned long base = 0;
        if (in >> base && base > 0 && base <= 0xFFFF) {
            map[static_cast<std::uint16_t>(base)] = "/dev/" + name;
        }
    }
    return map;
}

ParportMap MachineParports(std::string* problem) {
    if (const char* list = std::getenv("KPX41_PARPORTS")) {
        std::string why;
        if (auto map = ParseParportList(list, &why)) return *map;
        if (problem) *problem = "KPX41_PARPORTS: " + why;
        return {};
    }
    return ScanParports();
}

PpdevPortIo::PpdevPortIo(ParportMap map, ParportSystem& system)
    : map_(std::move(map)), system_(system) {}

PpdevPortIo::~PpdevPortIo() {
    Release();
}

void PpdevPortIo::Note(const std::string& problem) {
    if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end()) {
        problems_.push_back(problem);
    }
}

int PpdevPortIo::Claimed(std::uint16_t base) {
    const auto where = map_.find(base);
    if (where == map_.end()) return -1;
    Device& d = devices_[base];
    if (d.fd >= 0 || d.failed) return d.fd;
    const std::string& path = where->second;
    const int fd = system_.Open(path);
    if (fd < 0) {
        d.failed = true;
        std::string why =
            "cannot open " + path + " for the port at " + Hex(base) + ": " + std::strerror(-fd);
        if (fd == -EACCES || fd == -EPERM) {
            why += " (join the group lp: sudo usermod -aG lp $USER, then log in again)";
        }
        Note(why);
        return -1;
    }
    const int claim = system_.Ioctl(fd, PPCLAIM, nullptr);
    if (claim < 0) {
        system_.Close(fd);
        d.failed = true;
        Note("cannot claim " + path + ": " + std::strerror(-claim));
        return -1;
    }
    d.fd = fd;
    return fd;
}

std::uint8_t PpdevPortIo::In(std::uint16_t port) {
    std::uint8_t value = 0xFF;
    if (map_.count(port)) {
        const int fd = Claimed(port);
        if (fd >= 0 && system_.Ioctl(fd, PPRDATA, &value) < 0) value = 0xFF;
    } else if (map_.count(static_cast<std::uint16_t>(port - 1))) {
        const int fd = Claimed(static_cast<std::uint16_t>(port - 1));
        if (fd >= 0 && system_.Ioctl(fd, PPRSTATUS, &value) < 0) value = 0xFF;
    }
    return value;
}

void PpdevPortIo::Out(std::uint16_t port, std::uint8_t value) {
    const int fd = Claimed(port);
    if (fd >= 0) system_.Ioctl(fd, PPWDATA, &value);
}

void PpdevPortIo::Release() {
    for (auto& [base, d] : devices_) {
        if (d.fd >= 0) {
            system_.Ioctl(d.fd, PPRELEASE, nullptr);
            system_.Close(d.fd);
        }
    }
    devices_.clear();
}

std::vector<std::string> ParallelPortReasons(const PpdevPortIo& ports,
                                             const std::string& lookupProblem) {
    std::vector<std::string> lines;
    if (!lookupProblem.empty()) lines.push_back(lookupProblem);
    if (ports.map().empty()) {
        lines.push_back(
            "no parallel port found (none in /proc/sys/dev/parport; "
            "KPX41_PARPORTS=0x378=/dev/parport0 names one)");
    }
    for (const std::string& p : ports.Problems()) lines.push_back(p);
    return lines;
}

}  // namespace kpx
