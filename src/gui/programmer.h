#pragma once

#include <QString>
#include <memory>

#include "gui/dialogs/frames.h"
#include "gui/main_window.h"
#include "sim/eeprom_simulator.h"

namespace kpx::gui {

// The start-up order: the splash shows at once (topmost, busy pointer); its first timer shows
// the main window, whose load step starts the splash's closing timer.
class Programmer {
  public:
    Programmer(const ProgramSettings& settings, UserDialogs& dialogs, const QString& folder,
               int splashShowMs = 500, int splashCloseMs = 5000);
    void Start();

    SplashWindow& Splash() { return *splash_; }
    MainWindow& Window() { return *window_; }

  private:
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SplashWindow> splash_;
};

// A pager memory on the first parallel port, as writing the start-up image leaves it.
std::unique_ptr<sim::EepromSimulator> SimulatedEeprom(Clock& clock);

// The window's icon (built in, 16 to 256 px) and the desktop entry the desktop matches its
// windows with, so a dock or task bar shows the program's own icon and name.
void SetDesktopIdentity();

// `kpx41-programmer FILE`: FILE opens as File/Open opens it once the start-up load is over.
void OpenFileArgument(Programmer& programmer, int argc, char** argv);

int RunProgrammer(int argc, char** argv);

}  // namespace kpx::gui
