#include "sim/simulated_board.h"

#include "settings/bands.h"
#include "sim/fresh_memory.h"

namespace kpx::sim {

namespace {

BoardSimulator::Config WithDefaultMemory(BoardSimulator::Config config) {
    if (!config.board.memory) {
        BoardMemory memory = FreshBoardMemory();
        if (config.board.gpMarker) memory[kGpMarkerAddress] = kGpMarker;
        config.board.memory = memory;
    }
    return config;
}

}  // namespace

SimulatedBoard::SimulatedBoard(BoardSimulator::Config config, PortMap& map)
    : map_(map),
      simulator_(std::make_unique<BoardSimulator>(WithDefaultMemory(std::move(config)))) {}

SimulatedBoard::~SimulatedBoard() {
    Stop();
}

bool SimulatedBoard::Start(std::string* error) {
    if (!simulator_->Start(error)) return false;
    com_ = map_.Register(simulator_->SlavePath());
    return true;
}

void SimulatedBoard::Stop() {
    if (com_ >= 0) map_.Unregister(simulator_->SlavePath());
    com_ = -1;
    simulator_->Stop();
}

}  // namespace kpx::sim
