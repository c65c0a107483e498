#pragma once

#include <memory>
#include <string>

#include "platform/port_map.h"
#include "sim/board_simulator.h"

namespace kpx::sim {

// A simulated board plugged in as a cable port, for `kpx41-programmer --simulate` and for
// tests: the simulator runs on its own thread and its pseudo-terminal is registered in the
// port map, so the device list shows it as "Prolific USB-to-Serial Comm Port (COMn)" and the
// serial port opens it like a cable's tty. Without a memory in the options the pager holds what
// writing the start-up image leaves on one (FreshBoardMemory).
class SimulatedBoard {
  public:
    explicit SimulatedBoard(BoardSimulator::Config config = {}, PortMap& map = PortMap::Default());
    ~SimulatedBoard();  // unplugs and stops

    bool Start(std::string* error = nullptr);
    // Unregisters the port (the board is unplugged) and stops the simulator.
    void Stop();

    int com() const { return com_; }
    const std::string& path() const { return simulator_->SlavePath(); }
    BoardSimulator& simulator() { return *simulator_; }

  private:
    PortMap& map_;
    std::unique_ptr<BoardSimulator> simulator_;
    int com_ = -1;
};

}  // namespace kpx::sim
