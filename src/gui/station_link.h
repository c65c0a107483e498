#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gui/board_link.h"
#include "gui/production/station_host.h"
#include "gui/production/station_options.h"
#include "link/device_lister.h"
#include "platform/port_map.h"
#include "production/backups.h"

namespace kpx::gui {

class StationWindow;

// The main window as the production station sees it.
class WindowStationHost final : public StationHost {
  public:
    WindowStationHost(MainWindow& window, BoardLink& link, DeviceLister& lister, PortMap& map,
                      BackupStore* backups, std::string settingsFile)
        : window_(window),
          link_(link),
          lister_(lister),
          map_(map),
          backups_(backups),
          settingsFile_(std::move(settingsFile)) {}

    PagerImage Image() override { return window_.Image(); }
    int BandRow() const override { return window_.Frequency().bandRow; }
    std::string TablePath() const override;
    UserDialogs& Dialogs() override { return window_.Dialogs(); }
    std::string SettingsFile() const override { return settingsFile_; }
    std::vector<StationPort> ListPorts() override;
    BoardPort MakeBoardPort(const std::string& path) override;
    BackupStore* Backups() override { return backups_; }
    void SetSimulatedOperator(bool on) override {
        if (simulatedOperator) simulatedOperator(on);
    }
    void SetStationOpen(bool open) override { link_.Watch().SetDialogOpen(open); }

    // The simulated boards' operator, where there are simulated boards.
    std::function<void(bool)> simulatedOperator;

  private:
    MainWindow& window_;
    BoardLink& link_;
    DeviceLister& lister_;
    PortMap& map_;
    BackupStore* backups_;
    std::string settingsFile_;
};

// The production station wired into the window: "Production Station..." in the Pager menu
// opens it over the window's image; a --production command line opens it at start.
class StationLink {
  public:
    StationLink(MainWindow& window, BoardLink& link, DeviceLister& lister, PortMap& map,
                BackupStore* backups, std::string settingsFile);
    ~StationLink();
    StationLink(const StationLink&) = delete;
    StationLink& operator=(const StationLink&) = delete;

    WindowStationHost& Host() { return host_; }
    // Shows the station (once; a second call brings it to the front).
    StationWindow& ShowStation();
    // The station on show, or null.
    StationWindow* Station() { return station_; }
    // --production: the file opened as File/Open opens it, then the station with the command
    // line's choices, started at once with --start. False when the file did not open.
    bool OpenForProduction(const ProductionStart& start);

  private:
    MainWindow& window_;
    WindowStationHost host_;
    StationWindow* station_ = nullptr;
};

// What --production needs before any window shows: the file and the --port paths usable.
// Empty when they are, else the reason (the exit is 1).
std::string ProductionStartProblem(const ProductionStart& start);

}  // namespace kpx::gui
