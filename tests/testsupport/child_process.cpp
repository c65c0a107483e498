#include "testsupport/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "testsupport/fakes.h"

namespace kpx::testing {

namespace {

// execv's argument list: `exe`, then `args`; it points into both.
std::vector<char*> Argv(const std::string& exe, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

std::string Kpx41Exe() {
    return std::string(KPX41_BIN_DIR) + "/kpx41";
}

std::string BoardSimExe() {
    return std::string(KPX41_BIN_DIR) + "/kpx41-boardsim";
}

std::vector<std::string> ProduceArgs(const std::string& file, const std::vector<std::string>& ports,
                                     const std::string& step, int count,
                                     const std::vector<std::string>& rest) {
    std::vector<std::string> args = {"produce", file};
    for (const std::string& p : ports) args.insert(args.end(), {"--port", p});
    args.insert(args.end(), {"--auto-increase", step, "--count", std::to_string(count)});
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

BoardSimProcess::BoardSimProcess(const std::vector<std::string>& args) {
    const std::string exe = BoardSimExe();
    std::vector<char*> argv = Argv(exe, args);
    int fds[2];
    if (pipe(fds) != 0) return;
    std::fflush(nullptr);  // the child must not print the parent's buffered lines again
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    // Its first line is the slave side of its pseudo-terminal.
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') path_ += c;
    close(fds[0]);
}

int BoardSimProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
    }
    return exitCode_;
}

pid_t Spawn(const std::string& exe, const std::vector<std::string>& args, bool quiet) {
    std::vector<char*> argv = Argv(exe, args);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

TimedRun RunTimed(const std::string& exe, const std::vector<std::string>& args, bool quiet) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = Spawn(exe, args, quiet);
    TimedRun r;
    rusage usage{};
    wait4(pid, &r.status, 0, &usage);
    r.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    return r;
}

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                           const std::string& dir) {
    static int serial = 0;
    const std::string stem =
        dir + "/child" + std::to_string(getpid()) + "-" + std::to_string(++serial);
    outPath_ = stem + ".out";
    errPath_ = stem + ".err";
    std::vector<char*> argv = Argv(exe, args);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

int ChildProcess::Wait(int seconds) {
    if (pid_ <= 0) return -1;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!ended_) {
        const pid_t r = waitpid(pid_, &status_, WNOHANG);
        if (r == pid_) {
            ended_ = true;
        } else if (std::chrono::steady_clock::now() > until) {
            return -1;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

bool ChildProcess::Ended() {
    if (!ended_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return ended_ || pid_ <= 0;
}

void ChildProcess::Kill(int signal) {
    if (pid_ > 0 && !ended_) kill(pid_, signal);
}

std::string ChildProcess::Out() const {
    return ReadFile(outPath_);
}

std::string ChildProcess::Err() const {
    return ReadFile(errPath_);
}

}  // namespace kpx::testing
