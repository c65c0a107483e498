#include "testsupport/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "testsupport/fakes.h"

namespace kpx::testing {

std::string Kpx41Exe() {
    return std::string(KPX41_BIN_DIR) + "/kpx41";
}

ChildProcess::ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                           const std::string& dir) {
    static int serial = 0;
    const std::string stem =
        dir + "/child" + std::to_string(getpid()) + "-" + std::to_string(++serial);
    outPath_ = stem + ".out";
    errPath_ = stem + ".err";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
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
