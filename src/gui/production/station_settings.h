#pragma once

#include <string>

#include "gui/production/station_options.h"

namespace kpx::gui {

// The station's series choices, kept from one run to the next in a REGEDIT4 file of their own
// (key HKEY_CURRENT_USER\Software\KPX41\Station). The URL is kept without its password.
class StationSettings {
  public:
    explicit StationSettings(std::string file) : file_(std::move(file)) {}

    // The choices kept, or the defaults where none are (a missing or damaged file).
    SeriesChoice Load() const;
    // False when the file cannot be written; the choices are still used for this run.
    bool Save(const SeriesChoice& choice) const;

    static constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\KPX41\\Station";

  private:
    std::string file_;
};

}  // namespace kpx::gui
