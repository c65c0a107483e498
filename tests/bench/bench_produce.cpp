// `kpx41 produce` (the production line without swap detection) against 1, 2, 4 and 8
// kpx41-boardsim processes paced at 9600 baud, two pagers per board. Prints pagers per hour, the
// ratio to N times the single-board floor (17 frame exchanges per pager at wire time, with the
// 300 ms settle of every read block) and to N times the measured one-board rate, and the tool's
// CPU time as a share of its wall time.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "image/default_image.h"
#include "image/table_file.h"
#include "testsupport/fakes.h"

namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0;
constexpr int kPagersPerBoard = 2;

double ReadBlockFloorMs(int n) {
    return std::max(300.0, (18 + n + 15) * kByteMs);
}
double WriteBlockFloorMs(int n) {
    return (n + 17 + 16) * kByteMs;
}

struct Sim {
    pid_t pid;
    std::string port;
};

Sim StartSim(const std::string& exe, const std::string& memory) {
    int fds[2];
    if (pipe(fds) != 0) return {-1, ""};
    std::fflush(stdout);  // the child must not print our buffered lines again
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        execl(exe.c_str(), exe.c_str(), "--pace", "--memory", memory.c_str(), nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string port;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') port += c;
    close(fds[0]);
    return {pid, port};
}

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    int status = -1;
};

Run Produce(const std::string& exe, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The per-pager lines are not what is measured.
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    Run r;
    rusage usage{};
    wait4(pid, &r.status, 0, &usage);
    r.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    return r;
}

}  // namespace

int main() {
    kpx::testing::TempDir dir;
    const std::string file = dir.File("bench.tbl");
    if (!kpx::SaveTableFile(file, kpx::BuildDefaultImage()).empty()) return 1;
    const std::string bin = KPX41_BIN_DIR;

    double floorMs = ReadBlockFloorMs(1);
    for (int b = 0; b < 8; ++b) floorMs += WriteBlockFloorMs(128) + ReadBlockFloorMs(128);
    const double floorRate = 3600000.0 / floorMs;
    std::printf("single-board floor: %.0f ms per pager = %.1f pagers per hour\n", floorMs,
                floorRate);

    int failures = 0;
    double oneBoardRate = 0;
    for (int boards : {1, 2, 4, 8}) {
        std::vector<Sim> sims;
        std::vector<std::string> args = {"produce", file};
        for (int i = 0; i < boards; ++i) {
            sims.push_back(StartSim(bin + "/kpx41-boardsim", file));
            args.insert(args.end(), {"--port", sims.back().port});
        }
        const int pagers = boards * kPagersPerBoard;
        args.insert(args.end(), {"--auto-increase", "1", "--count", std::to_string(pagers), "--log",
                                 dir.File("runs" + std::to_string(boards) + ".csv"), "--no-wait",
                                 "--no-backup"});
        const Run r = Produce(bin + "/kpx41", args);
        for (const Sim& s : sims) {
            kill(s.pid, SIGTERM);
            waitpid(s.pid, nullptr, 0);
        }
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
