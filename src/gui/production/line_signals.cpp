#include "gui/production/line_signals.h"

namespace kpx::gui {

LineSignals::LineSignals() {
    // Queued connections copy their arguments: the types must be known by name.
    qRegisterMetaType<kpx::BoardState>("kpx::BoardState");
    qRegisterMetaType<kpx::PagerOutcome>("kpx::PagerOutcome");
    qRegisterMetaType<kpx::SeriesEnd>("kpx::SeriesEnd");
    qRegisterMetaType<std::vector<kpx::CapcodePair>>("std::vector<kpx::CapcodePair>");
}

}  // namespace kpx::gui
