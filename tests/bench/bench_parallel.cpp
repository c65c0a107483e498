// A full parallel read and a full write+verify of 1024 bytes against the EEPROM simulator on the
// machine's clock. Each is set against its floor: every data-register write is followed by one
// bit time of 25 us, and a write also waits 10 ms per page (or the memory's write cycle, if
// longer). Prints the ratios, and the CPU time beside the bit-time waits that are the only
// place the link may spin.
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "image/default_image.h"
#include "link/parallel_transfers.h"
#include "platform/steady_clock.h"
#include "sim/eeprom_simulator.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace {

using namespace kpx;

constexpr int kWriteCycleMs = 5;
constexpr int kRuns = 3;

double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

struct Measured {
    double wallMs;
    double cpuMs;
    double floorMs;
    long writes;
    bool ok;
};

template <class Operation>
Measured Measure(sim::EepromSimulator& memory, double extraFloorMs, Operation operation) {
    const long writesBefore = memory.dataWrites();
    const double cpuBefore = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = operation();
    const auto end = std::chrono::steady_clock::now();
    const long writes = memory.dataWrites() - writesBefore;
    return {std::chrono::duration<double, std::milli>(end - start).count(), CpuMs() - cpuBefore,
            writes * 0.025 + extraFloorMs, writes, ok};
}

void Print(const char* name, std::vector<Measured> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Measured& a, const Measured& b) { return a.wallMs < b.wallMs; });
    for (const Measured& r : runs) {
        std::printf(
            "  %-13s wall %7.1f ms  floor %7.1f ms  ratio %.3f  (%ld writes, cpu %.1f ms)\n", name,
            r.wallMs, r.floorMs, r.wallMs / r.floorMs, r.writes, r.cpuMs);
    }
    const Measured& m = runs[runs.size() / 2];
    const double spinMs = m.writes * 0.025;
    std::printf(
        "%s: median ratio %.3f (goal <= 1.2); cpu %.1f ms, of it %.1f ms beyond the %.1f "
        "ms of bit-time waits; with the core to itself (cpu plus the sleeps) %.3f\n",
        name, m.wallMs / m.floorMs, m.cpuMs, std::max(0.0, m.cpuMs - spinMs), spinMs,
        (m.cpuMs + (m.floorMs - spinMs)) / m.floorMs);
}

}  // namespace

int main() {
    SteadyClock clock;
    NullEventPump pump;
    testing::RecordingDialogs dialogs;
    PagerImage image = BuildDefaultImage();
    image.set(0x0ED, 0x01);
    testing::RecordingHost host(image);

    sim::EepromOptions options;
    options.writeCycleMs = kWriteCycleMs;
    sim::EepromMemory blank;
    blank.fill(0xFF);
    const PagerImage defaults = BuildDefaultImage();
    std::copy(defaults.bytes().begin(), defaults.bytes().end(), blank.begin());
    options.memory = blank;
    sim::EepromSimulator memory(clock, options);
    ParallelLink link(memory, clock, pump, dialogs);
    ParallelTransfers transfers(link, host);
    if (!link.lpt_connect()) {
        std::fprintf(stderr, "no memory found\n");
        return 1;
    }

    const double pageWaitsMs = 64.0 * std::max(kPageWaitMs, kWriteCycleMs);
    std::vector<Measured> reads, writes;
    for (int run = 0; run < kRuns; ++run) {
        reads.push_back(Measure(memory, 0, [&] {
            transfers.lpt_readall(image, 0, kImageLast);
            transfers.Release();
            return !transfers.TransferFailed();
        }));
        writes.push_back(Measure(memory, pageWaitsMs, [&] {
            transfers.lpt_writeall(image, 0, kImageLast);
            transfers.Release();
            if (transfers.TransferFailed()) return false;
            transfers.lpt_verify(image, 0, kImageLast);
            transfers.Release();
            return !transfers.TransferFailed();
        }));
    }
    for (const auto& r : reads) {
        if (!r.ok) return std::fprintf(stderr, "a read failed\n"), 1;
    }
    for (const auto& w : writes) {
        if (!w.ok) return std::fprintf(stderr, "a write or verify failed\n"), 1;
    }
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("parallel link on the simulator, write cycle %d ms, %d runs each, load %.1f\n",
                kWriteCycleMs, kRuns, load[0]);
    Print("read", reads);
    Print("write+verify", writes);
    return 0;
}
