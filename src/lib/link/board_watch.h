#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/link_host.h"
#include "link/serial_link.h"

namespace kpx {

inline constexpr int kWatchIntervalMs = 3000;
// While a cable is listed and no board is known, the watch probes again this often: a board
// switched on after its cable was plugged in, or found again after a port error.
inline constexpr int kWatchRetryMs = 9000;

// What one tick of the board watch does with n listed devices.
enum class WatchAction {
    Absent,  // nothing listed
    Probe,   // no board known, and a new device listed or the last probe long enough ago
    LookUp,  // see whether the known port is still listed
};
// msSinceProbe: since the last probe began; nothing when there has been none.
WatchAction DecideBoardWatch(int n, int boardDeviceCount, int boardPort,
                             std::optional<int> msSinceProbe);

// Whether an entry of the list carries this port number.
bool PortListed(const std::vector<std::string>& devices, int port);

// One tick of Timer1: the timer stopped, the board looked for, the board line and the Pager
// menu set, the timer started again.
void BoardWatchTick(SerialLink& link, LinkHost& host);

// The main window's board watch. A tick that comes while a probe or a transfer runs, or while
// the programming dialog is open, waits: transfers let window events run, and a tick in the
// middle of one could probe, or find the list changed and set boardPort to -1, so that the
// next block went to no port. The held tick runs as soon as the dialog closes.
class BoardWatch {
  public:
    BoardWatch(SerialLink& link, LinkHost& host) : link_(link), host_(host) {}

    // Timer1.
    void Tick();
    void SetDialogOpen(bool open);
    bool TickHeld() const { return held_; }

  private:
    SerialLink& link_;
    LinkHost& host_;
    bool dialogOpen_ = false;
    bool held_ = false;
};

// The start-up probe of the main window's load: tells the user when no board answers and
// starts the watch timer when it ends.
bool StartupBoardProbe(SerialLink& link, LinkHost& host);

}  // namespace kpx
