// A full `kpx41 write` against kpx41-boardsim with 9600-baud pacing: the pre-read of 0x3F8,
// 8 write blocks and 8 verify blocks. Prints the wall time against the wire floor and the
// tool's CPU time as a share of its wall time.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "image/default_image.h"
#include "image/table_file.h"
#include "testsupport/child_process.h"
#include "testsupport/fakes.h"

namespace {

using kpx::testing::BoardSimProcess;
using kpx::testing::Kpx41Exe;
using kpx::testing::RunTimed;
using kpx::testing::TimedRun;

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;

double ReadBlockFloorMs(int n) {
    return std::max(300.0, (18 + n + 15) * kByteMs);
}
double WriteBlockFloorMs(int n) {
    return (n + 17 + 16) * kByteMs;
}

}  // namespace

int main() {
    kpx::testing::TempDir dir;
    const std::string file = dir.File("bench.tbl");
    if (!kpx::SaveTableFile(file, kpx::BuildDefaultImage()).empty()) return 1;
    BoardSimProcess sim({"--pace", "--memory", file});

    double floorMs = ReadBlockFloorMs(1);
    for (int b = 0; b < 8; ++b) floorMs += WriteBlockFloorMs(128) + ReadBlockFloorMs(128);

    std::vector<TimedRun> runs;
    for (int i = 0; i < 3; ++i) {
        const TimedRun r = RunTimed(Kpx41Exe(), {"write", "--port", sim.path(), file}, false);
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
            std::fprintf(stderr, "kpx41 write failed (status %d)\n", r.status);
            return 1;
        }
        runs.push_back(r);
        std::printf("run %d: wall %.1f ms, cpu %.1f ms\n", i + 1, r.wallMs, r.cpuMs);
    }
    sim.Stop();

    std::sort(runs.begin(), runs.end(),
              [](const TimedRun& a, const TimedRun& b) { return a.wallMs < b.wallMs; });
    const TimedRun& median = runs[1];
    std::printf("wire floor:          %.1f ms (1 + 8 read blocks at >= 300 ms, 8 write blocks)\n",
                floorMs);
    std::printf("median wall time:    %.1f ms = %.2f%% over the floor (target <= 3%%)\n",
                median.wallMs, (median.wallMs / floorMs - 1.0) * 100.0);
    std::printf("median CPU time:     %.1f ms = %.2f%% of wall time (target < 2%%)\n", median.cpuMs,
                median.cpuMs / median.wallMs * 100.0);
    return 0;
}
