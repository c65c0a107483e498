#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/production/station_options.h"
#include "sim/simulated_board.h"

namespace kpx {
class BackupStore;
class DeviceLister;
}  // namespace kpx

namespace kpx::gui {

class BoardLink;
class Programmer;
class StationLink;

// The programmer's command line: --help, --version and a usage error (exit 2, with the
// reason, before any window) end the program here with the exit code returned; so does a
// --production whose file or ports cannot be used (exit 1).
std::optional<int> TakeProgrammerArgs(int argc, char** argv, ProgrammerArgs* args);

// The simulated boards of --simulate N, plugged in as cable ports before the start-up probe
// looks. Their operator swaps pagers while the station runs a series.
class SimulatedBench {
  public:
    bool Start(int boards, std::string* error);
    bool Any() const { return !boards_.empty(); }
    void SetOperator(bool on);

  private:
    std::vector<std::unique_ptr<sim::SimulatedBoard>> boards_;
};

// The station wired into the started programmer: the Pager menu item, and with --production
// the station opened over FILE once the window has loaded.
std::unique_ptr<StationLink> AttachStation(Programmer& programmer, BoardLink& link,
                                           DeviceLister& lister, BackupStore& backups,
                                           const std::string& settingsFolder,
                                           const ProgrammerArgs& args, SimulatedBench& bench);

}  // namespace kpx::gui
