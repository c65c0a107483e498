#pragma once

#include <string>
#include <vector>

#include "link/link_host.h"
#include "link/serial_link.h"

namespace kpx {

inline constexpr int kWatchIntervalMs = 3000;

// What one tick of the board watch does with n listed devices.
enum class WatchAction {
    Absent,  // nothing listed
    Probe,   // more devices than before and no board known: search with frames
    LookUp,  // see whether the known port is still listed
};
WatchAction DecideBoardWatch(int n, int boardDeviceCount, int boardPort);

// Whether an entry of the list carries this port number.
bool PortListed(const std::vector<std::string>& devices, int port);

// One tick of Timer1: the timer stopped, the board looked for, the board line and the Pager
// menu set, the timer started again.
void BoardWatchTick(SerialLink& link, LinkHost& host);

// The start-up probe of the main window's load: tells the user when no board answers and
// starts the watch timer when it ends.
bool StartupBoardProbe(SerialLink& link, LinkHost& host);

}  // namespace kpx
