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
// The board simulator of this build.
std::string BoardSimExe();
// produce's arguments: `file`, a --port for each port, --auto-increase `step`, --count, `rest`.
std::vector<std::string> ProduceArgs(const std::string& file, const std::vector<std::string>& ports,
                                     const std::string& step, int count,
                                     const std::vector<std::string>& rest);

// kpx41-boardsim started with `args`, on the pseudo-terminal it prints; stopped with SIGTERM
// when the object goes.
class BoardSimProcess {
  public:
    explicit BoardSimProcess(const std::vector<std::string>& args);
    ~BoardSimProcess() { Stop(); }
    BoardSimProcess(const BoardSimProcess&) = delete;
    BoardSimProcess& operator=(const BoardSimProcess&) = delete;

    const std::string& path() const { return path_; }
    // Stops it with SIGTERM; its exit code, -1 when a signal ended it.
    int Stop();

  private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string path_;
};

// Starts a program with its output thrown away (kept when `quiet` is false).
pid_t Spawn(const std::string& exe, const std::vector<std::string>& args, bool quiet = true);

// A program run to its end: its wall and CPU time, its wait status.
struct TimedRun {
    double wallMs = 0;
    double cpuMs = 0;
    int status = -1;
};
TimedRun RunTimed(const std::string& exe, const std::vector<std::string>& args, bool quiet = true);

}  // namespace kpx::testing
