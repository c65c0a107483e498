#pragma once

#include <QString>

namespace kpx::gui {

// Renders the three panels, the two editors of the code page, the About box and the
// programming dialog into PNG files in dir.
bool WriteScreenshots(const QString& dir, QString* error);

}  // namespace kpx::gui
