#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "sim/board_core.h"

namespace kpx::sim {

// The programming board on a pseudo-terminal: a thread serves the master side, the program
// opens SlavePath() like a cable's tty. With pacing on, bytes take their time on the line in
// both directions (9600 baud, 10 bits a byte); without it the board answers at once.
class BoardSimulator {
  public:
    struct Config {
        BoardOptions board;
        bool pace = false;
        // Where the memory goes on Stop() (and on DumpNow()); empty: nowhere.
        std::string dumpPath;
        // A simulated operator: takes each pager out a second after it was verified and puts
        // a fresh one (the power-up memory) in a second later.
        bool operatorSwaps = false;
    };

    explicit BoardSimulator(Config config);
    ~BoardSimulator();
    BoardSimulator(const BoardSimulator&) = delete;
    BoardSimulator& operator=(const BoardSimulator&) = delete;

    // Opens the pseudo-terminal and starts serving; false with *error set on failure.
    bool Start(std::string* error = nullptr);
    // Stops serving and closes the pseudo-terminal (the slave side sees a hang-up), writing the
    // dump file when one is set. Safe to call twice.
    void Stop();
    const std::string& SlavePath() const { return slavePath_; }
    bool Running() const { return running_; }
    // The line went dead by an injected hang-up.
    bool HungUp() const { return hungUp_; }

    BoardMemory Memory() const;
    void SetMemory(const BoardMemory& memory);
    void SetFault(FaultPlan plan);
    // A pager in the slot, or none (the board then answers only its probe).
    void SetPagerPresent(bool present);
    bool PagerPresent() const;
    // The simulated operator on or off while the board runs (the station turns it on for a
    // series).
    void SetOperator(bool on);
    bool DumpNow() const;
    int reads() const;
    int writes() const;
    int probes() const;

  private:
    void Serve();
    void SendPaced(const std::vector<std::uint8_t>& bytes);
    void HangUp();

    Config config_;
    mutable std::mutex mutex_;
    BoardCore core_;
    std::string slavePath_;
    int master_ = -1;
    int slaveKeep_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> hungUp_{false};
    // Pacing: the moments (steady-clock nanoseconds) at which each direction of the line is free.
    std::int64_t lineInFree_ = 0;
    std::int64_t lineOutFree_ = 0;
    std::int64_t lastInput_ = 0;
};

}  // namespace kpx::sim
