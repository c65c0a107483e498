// `kpx41 produce` (the production line without swap detection) against 1, 2, 4 and 8
// kpx41-boardsim processes paced at 9600 baud, two pagers per board. Prints pagers per hour, the
// ratio to N times the single-board floor (17 frame exchanges per pager at wire time, with the
// 300 ms settle of every read block) and to N times the measured one-board rate, and the tool's
// CPU time as a share of its wall time.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <deque>
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
constexpr int kPagersPerBoard = 2;

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

    double floorMs = ReadBlockFloorMs(1);
    for (int b = 0; b < 8; ++b) floorMs += WriteBlockFloorMs(128) + ReadBlockFloorMs(128);
    const double floorRate = 3600000.0 / floorMs;
    std::printf("single-board floor: %.0f ms per pager = %.1f pagers per hour\n", floorMs,
                floorRate);

    int failures = 0;
    double oneBoardRate = 0;
    for (int boards : {1, 2, 4, 8}) {
        std::deque<BoardSimProcess> sims;
        std::vector<std::string> ports;
        for (int i = 0; i < boards; ++i) {
            sims.emplace_back(std::vector<std::string>{"--pace", "--memory", file});
            ports.push_back(sims.back().path());
        }
        const int pagers = boards * kPagersPerBoard;
        const std::vector<std::string> args =
            kpx::testing::ProduceArgs(file, ports, "1", pagers,
                                      {"--log", dir.File("runs" + std::to_string(boards) + ".csv"),
                                       "--no-wait", "--no-backup"});
        const TimedRun r = RunTimed(Kpx41Exe(), args);
        sims.clear();
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
            std::fprintf(stderr, "kpx41 produce on %d boards failed (status %d)\n", boards,
                         r.status);
            ++failures;
            continue;
        }
        const double rate = pagers * 3600000.0 / r.wallMs;
        if (boards == 1) oneBoardRate = rate;
        std::printf(
            "%d board(s): %d pagers in %.0f ms = %.1f pagers per hour, %.3f x (%d x floor), "
            "%.3f x (%d x one board) (goal >= 0.97), CPU %.2f%% of wall time (goal < 2%%)\n",
            boards, pagers, r.wallMs, rate, rate / (boards * floorRate), boards,
            rate / (boards * oneBoardRate), boards, r.cpuMs / r.wallMs * 100.0);
    }
    return failures == 0 ? 0 : 1;
}
