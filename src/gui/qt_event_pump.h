#pragma once

#include <QCoreApplication>

#include "timing/clock.h"

namespace kpx::gui {

// Lets the window repaint and timers tick during a long wait (the waits sleep between polls).
class QtEventPump final : public EventPump {
  public:
    void ProcessEvents() override { QCoreApplication::processEvents(); }
};

}  // namespace kpx::gui
