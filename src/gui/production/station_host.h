#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "production/backups.h"
#include "production/production_line.h"
#include "support/user_dialogs.h"

namespace kpx::gui {

// A board's cable as the device list shows it.
struct StationPort {
    std::string name;  // "COM5"
    std::string path;  // "/dev/ttyUSB4"
};

// What the production station needs from the main window, which implements it.
class StationHost {
  public:
    virtual ~StationHost() = default;

    // The window's current image (PC characters: the line converts the texts as the
    // programming dialog does), and the band row its GP(RoHS) check compares with.
    virtual PagerImage Image() = 0;
    virtual int BandRow() const = 0;
    // The table file the image came from; empty when none.
    virtual std::string TablePath() const = 0;
    virtual UserDialogs& Dialogs() = 0;
    // The file of the station's settings; empty: none are kept.
    virtual std::string SettingsFile() const = 0;

    // The boards' cables now listed.
    virtual std::vector<StationPort> ListPorts() = 0;
    // A serial port of its own for each board's thread.
    virtual BoardPort MakeBoardPort(const std::string& path) = 0;
    // Where each written image is kept; null for none.
    virtual BackupStore* Backups() = 0;
    // The simulated boards of --simulate: their operator swaps pagers while a series runs.
    virtual void SetSimulatedOperator(bool on) = 0;
    // While the station is open the window's own board watch and transfers keep off its boards.
    virtual void SetStationOpen(bool open) = 0;
};

}  // namespace kpx::gui
