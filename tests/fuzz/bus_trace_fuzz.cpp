// Reading a bus trace back, as a fault report arrives: any text, any line. What decodes must
// render back into lines that decode the same, and every access must lie in the memory.
#include <cstdio>
#include <sstream>

#include "fuzz_support.h"
#include "link/bus_trace.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "bus_trace";

std::string Render(const BusSegment& s) {
    std::string line = "t " + s.port;
    if (s.started) line += " S";
    for (const BusByte& b : s.bytes) {
        char token[8];
        std::snprintf(token, sizeof token, " %c%02x%c", b.received ? '<' : '>', b.value,
                      b.acked ? '+' : '-');
        line += token;
    }
    if (s.stopped) line += " P";
    return line + "\n";
}

bool Same(const BusSegment& a, const BusSegment& b) {
    if (a.port != b.port || a.started != b.started || a.stopped != b.stopped) return false;
    if (a.bytes.size() != b.bytes.size()) return false;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        const BusByte &x = a.bytes[i], &y = b.bytes[i];
        if (x.value != y.value || x.received != y.received || x.acked != y.acked) return false;
    }
    return true;
}

}  // namespace

int Fuzz_bus_trace(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<BusSegment> segments = DecodeBusTrace(in);

    std::string rendered;
    std::size_t received = 0;
    for (const BusSegment& s : segments) {
        rendered += Render(s);
        for (const BusByte& b : s.bytes) received += b.received ? 1 : 0;
    }
    std::istringstream again(rendered);
    const std::vector<BusSegment> back = DecodeBusTrace(again);
    Check(back.size() == segments.size(), kName, "a rendered trace decodes into other segments");
    for (std::size_t i = 0; i < back.size() && i < segments.size(); ++i) {
        Check(Same(back[i], segments[i]), kName, "a segment does not survive rendering");
    }

    std::size_t reads = 0;
    for (const MemoryAccess& a : MemoryAccesses(segments)) {
        Check(a.address >= 0 && a.address <= 0x7FF, kName, "an access outside the memory");
        if (!a.write) ++reads;
    }
    Check(reads <= received, kName, "more reads than bytes received");
    return 0;
}

}  // namespace kpx::fuzz
