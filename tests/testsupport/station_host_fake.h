#pragma once

// The window as the station sees it, for the station's tests and benchmark (they link the
// window): the default image saved as `table` in a temporary folder, boards the test plugs in,
// recorded message boxes.
#include <string>
#include <vector>

#include "gui/production/station_window.h"
#include "image/default_image.h"
#include "platform/termios_port.h"
#include "settings/bands.h"
#include "testsupport/fakes.h"

namespace kpx::testing {

class FakeStationHost : public gui::StationHost {
  public:
    FakeStationHost(TempDir& dir, std::string table) : dir_(dir), table_(std::move(table)) {}

    PagerImage Image() override { return image; }
    int BandRow() const override { return kBandRow130; }
    std::string TablePath() const override { return dir_.File(table_); }
    UserDialogs& Dialogs() override { return dialogs; }
    std::string SettingsFile() const override { return dir_.File("station.reg"); }
    std::vector<gui::StationPort> ListPorts() override { return ports; }
    BoardPort MakeBoardPort(const std::string& path) override {
        BoardPort board;
        board.port = std::make_unique<TermiosSerialPort>(map);
        board.com = map.ComNumberForPath(path).value_or(-1);
        return board;
    }
    BackupStore* Backups() override { return nullptr; }
    void SetSimulatedOperator(bool on) override { operatorOn = on; }
    void SetStationOpen(bool open) override { stationOpen = open; }

    PagerImage image = BuildDefaultImage();
    RecordingDialogs dialogs;
    std::vector<gui::StationPort> ports;
    PortMap map;
    bool operatorOn = false;
    bool stationOpen = false;

  private:
    TempDir& dir_;
    std::string table_;
};

}  // namespace kpx::testing
