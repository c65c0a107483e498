#include "platform/port_map.h"

#include <algorithm>
#include <cctype>

namespace kpx {

std::optional<int> TtyUsbIndex(const std::string& path) {
    static const std::string kPrefix = "/dev/ttyUSB";
    if (path.rfind(kPrefix, 0) != 0 || path.size() == kPrefix.size() ||
        path.size() > kPrefix.size() + 4) {
        return std::nullopt;
    }
    int k = 0;
    for (std::size_t i = kPrefix.size(); i < path.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(path[i]))) return std::nullopt;
        k = k * 10 + (path[i] - '0');
    }
    return k;
}

std::optional<int> PortMap::ComNumberForPath(const std::string& path) const {
    if (auto k = TtyUsbIndex(path)) return *k + 1;
    std::lock_guard lock(mutex_);
    for (const Extra& e : extras_) {
        if (e.path == path) return e.com;
    }
    return std::nullopt;
}

std::optional<std::string> PortMap::PathForCom(int com) const {
    {
        std::lock_guard lock(mutex_);
        for (const Extra& e : extras_) {
            if (e.com == com) return e.path;
        }
    }
    if (com >= 1 && com < kFirstExtraCom) return "/dev/ttyUSB" + std::to_string(com - 1);
    return std::nullopt;
}

int PortMap::Register(const std::string& path, const std::string& description) {
    if (auto k = TtyUsbIndex(path)) return *k + 1;
    std::lock_guard lock(mutex_);
    for (const Extra& e : extras_) {
        if (e.path == path) return e.com;
    }
    extras_.push_back({nextCom_, path, description});
    return nextCom_++;
}

void PortMap::Unregister(const std::string& path) {
    std::lock_guard lock(mutex_);
    std::erase_if(extras_, [&](const Extra& e) { return e.path == path; });
}

std::vector<PortMap::Extra> PortMap::Extras() const {
    std::lock_guard lock(mutex_);
    return extras_;
}

PortMap& PortMap::Default() {
    static PortMap map;
    return map;
}

}  // namespace kpx
