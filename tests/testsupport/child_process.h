#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kpx::testing {

// A program run as a process of its own, its output in files, so that a test can run several
// at once, watch them and kill one.
class ChildProcess {
  public:
    // Starts `exe` with `args`; its stdout and stderr go to files in `dir`.
    ChildProcess(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& dir);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Its exit code; -1 when a signal ended it or it did not end within `seconds`.
    int Wait(int seconds = 120);
    // Whether it has ended, without waiting.
    bool Ended();
    void Kill(int signal);
    std::string Out() const;
    std::string Err() const;

  private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
    std::string outPath_, errPath_;
};

// The kpx41 tool of this build.
std::string Kpx41Exe();

}  // namespace kpx::testing
