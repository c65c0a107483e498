#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/pager_image.h"
#include "link/device_lister.h"
#include "link/link_host.h"
#include "link/serial_port.h"
#include "link/transfer_view.h"
#include "support/registry_access.h"
#include "support/user_dialogs.h"
#include "timing/clock.h"

namespace kpx {

// The link chosen when the program was built: "USB" (the serial board) or "LPT".
inline constexpr std::string_view LinkKind = KPX41_LINK_KIND;
inline constexpr bool LinkIsUsb() {
    return LinkKind == "USB";
}

// Time-outs of the board protocol, in milliseconds.
inline constexpr int kBlockTimeoutMs = 2000;
inline constexpr int kReadSettleMs = 300;
inline constexpr int kProbeWindowMs = 500;
inline constexpr int kBlockSize = 128;

// Messages of the link, letter for letter.
inline constexpr const char* kWriteError = "Write error!";
inline constexpr const char* kReadError = "Read error!";
inline constexpr const char* kReadTimeOut = "Read Time Out!";
inline constexpr const char* kBoardNotResponding = "The Programmed Board is not responding!";

// Frames of the board protocol.
std::vector<std::uint8_t> BuildReadCommand(int address, int n);
std::vector<std::uint8_t> BuildWriteCommand(const PagerImage& image, int address, int n);
// A read reply of n + 15 bytes whose last two bytes carry the sum of indices 10 .. n+12.
bool ReadReplyChecksumOk(std::span<const std::uint8_t> reply);
// A 17-byte probe reply: the reply header and a right checksum over indices 10 .. 14.
bool ProbeReplyOk(std::span<const std::uint8_t> reply);
// Length of the block at start when at most chunk bytes go in one block.
int BlockLength(int start, int end, int chunk);

// The byte protocol to the programming board, and the link state shared with the transfers,
// the programming dialog and the board watch. The port is open only for one probe attempt or
// one transfer. Waits poll the port about once a millisecond and let window events run.
class SerialLink {
  public:
    SerialLink(SerialPort& port, DeviceLister& lister, RegistryAccess& registry, Clock& clock,
               EventPump& pump, UserDialogs& dialogs);

    // The main window, for the board line, the Pager menu and the watch timer (may be unset).
    void SetHost(LinkHost* host) { host_ = host; }
    // The programming dialog's progress bar and status line (may be unset).
    void SetView(TransferView* view) { view_ = view ? view : &nullView_; }
    TransferView& view() { return *view_; }
    // The parallel link's detection, used by link_connect when LinkKind is "LPT".
    void SetLptConnect(std::function<bool()> connect) { lptConnect_ = std::move(connect); }

    // Link state.
    int boardPort = -1;
    int boardDeviceCount = 0;
    bool TransferFailed = false;
    std::vector<std::uint8_t> ReadBuffer;
    bool StartupProbe = false;

    // A probe or a transfer is under way (its waits let window events run meanwhile).
    bool Busy() const { return busy_ > 0; }
    // Since the last usb_probe began; nothing before the first.
    std::optional<int> MsSinceProbe();

    bool usb_open(int port);
    bool usb_probe();
    bool link_connect();
    bool usb_write(const PagerImage& image, int start, int end, int chunk);
    bool usb_read(int start, int end, int chunk);

    // The longest the link sleeps, or blocks on the port, before it lets window events run
    // again: 1 ms under a window, longer for a tool without one.
    void SetWaitSliceMs(int ms) { waitSliceMs_ = ms < 1 ? 1 : ms; }

    // The wait of a millisecond count that lets window events run.
    void DelayMs(int ms);
    // Lets window events run once.
    void DoEvents() { pump_.ProcessEvents(); }

    DeviceLister& lister() { return lister_; }
    UserDialogs& dialogs() { return dialogs_; }

  private:
    int ElapsedSince(std::int32_t start);
    // Lets events run, then waits one slice for minBytes to arrive on port.
    void Idle(int port, int minBytes);
    void CloseIfOpen();
    bool PreparePort();
    bool LostPort(const char* message);
    bool ProbeOne(int port);

    SerialPort& port_;
    DeviceLister& lister_;
    RegistryAccess& registry_;
    Clock& clock_;
    EventPump& pump_;
    UserDialogs& dialogs_;
    LinkHost* host_ = nullptr;
    NullTransferView nullView_;
    TransferView* view_ = &nullView_;
    std::function<bool()> lptConnect_;
    int waitSliceMs_ = 1;
    std::optional<std::int32_t> probeStartTick_;
    int busy_ = 0;
};

}  // namespace kpx
