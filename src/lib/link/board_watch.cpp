#include "link/board_watch.h"

namespace kpx {

WatchAction DecideBoardWatch(int n, int boardDeviceCount, int boardPort,
                             std::optional<int> msSinceProbe) {
    if (n == 0) return WatchAction::Absent;
    if (boardPort < 0 &&
        (n > boardDeviceCount || !msSinceProbe || *msSinceProbe >= kWatchRetryMs)) {
        return WatchAction::Probe;
    }
    return WatchAction::LookUp;
}

bool PortListed(const std::vector<std::string>& devices, int port) {
    for (const std::string& d : devices) {
        if (PortNumberFromName(d) == port) return true;
    }
    return false;
}

void BoardWatchTick(SerialLink& link, LinkHost& host) {
    host.StopWatchTimer();
    if (LinkIsUsb()) {
        const std::vector<std::string> devices = link.lister().GetDevInfo(kCableDescription);
        const int n = static_cast<int>(devices.size());
        bool present = false;
        switch (DecideBoardWatch(n, link.boardDeviceCount, link.boardPort, link.MsSinceProbe())) {
            case WatchAction::Absent:
                link.boardDeviceCount = 0;
                break;
            case WatchAction::Probe:
                present = link.link_connect();
                break;
            case WatchAction::LookUp:
                present = link.boardPort >= 0 && PortListed(devices, link.boardPort);
                break;
        }
        if (present) {
            host.SetBoardLine(kBoardConnectText, kBoardConnectColour);
            host.SetPagerMenuEnabled(true);
        } else {
            link.boardPort = -1;
            host.SetBoardLine(kBoardDisconnectText, kBoardDisconnectColour);
            host.SetPagerMenuEnabled(false);
        }
        link.boardDeviceCount = n;
    }
    host.StartWatchTimer();
}

void BoardWatch::Tick() {
    if (link_.Busy() || dialogOpen_) {
        held_ = true;
        return;
    }
    held_ = false;
    BoardWatchTick(link_, host_);
}

void BoardWatch::SetDialogOpen(bool open) {
    dialogOpen_ = open;
    if (!open && held_) Tick();
}

bool StartupBoardProbe(SerialLink& link, LinkHost& host) {
    link.SetHost(&host);
    link.StartupProbe = true;
    const bool found = link.link_connect();
    link.StartupProbe = false;
    // The serial probe starts the timer itself at every exit.
    if (!LinkIsUsb()) host.StartWatchTimer();
    return found;
}

}  // namespace kpx
