#include "link/serial_link.h"

#include <algorithm>
#include <stdexcept>

#include "link/frame_templates.h"
#include "timing/timing.h"

namespace kpx {

namespace {

// Marks the link busy for the length of one probe or transfer.
class BusyScope {
  public:
    explicit BusyScope(int& depth) : depth_(depth) { ++depth_; }
    ~BusyScope() { --depth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    int& depth_;
};

void PutChecksum(std::vector<std::uint8_t>& frame) {
    const std::uint16_t sum = FrameChecksum(frame);
    frame[frame.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
}

bool ChecksumMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < kMagicLength + 2) return false;
    const std::uint16_t sum = FrameChecksum(frame);
    return frame[frame.size() - 2] == (sum >> 8) && frame[frame.size() - 1] == (sum & 0xFF);
}

void CheckBlock(int address, int n) {
    if (n < 1 || n > kBlockSize || address < 0 || address + n > kImageSize) {
        throw std::out_of_range("block outside the pager memory");
    }
}

}  // namespace

std::vector<std::uint8_t> BuildReadCommand(int address, int n) {
    CheckBlock(address, n);
    std::vector<std::uint8_t> frame(kReadHeader.begin(), kReadHeader.end());
    frame.push_back(static_cast<std::uint8_t>(address >> 8));
    frame.push_back(static_cast<std::uint8_t>(address & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(n));
    frame.resize(frame.size() + 2);
    PutChecksum(frame);
    return frame;
}

std::vector<std::uint8_t> BuildWriteCommand(const PagerImage& image, int address, int n) {
    CheckBlock(address, n);
    std::vector<std::uint8_t> frame(kWriteHeader.begin(), kWriteHeader.end());
    frame.push_back(static_cast<std::uint8_t>(n + 2));
    frame.push_back(static_cast<std::uint8_t>(address >> 8));
    frame.push_back(static_cast<std::uint8_t>(address & 0xFF));
    for (int i = 0; i < n; ++i) frame.push_back(image.at(address + i));
    frame.resize(frame.size() + 2);
    PutChecksum(frame);
    return frame;
}

bool ReadReplyChecksumOk(std::span<const std::uint8_t> reply) {
    return ChecksumMatches(reply);
}

bool ProbeReplyOk(std::span<const std::uint8_t> reply) {
    return reply.size() == 17 && ChecksumMatches(reply) &&
           std::equal(kProbeReplyHeader.begin(), kProbeReplyHeader.end(), reply.begin());
}

int BlockLength(int start, int end, int chunk) {
    return start + chunk - 1 <= end ? chunk : end - start + 1;
}

SerialLink::SerialLink(SerialPort& port, DeviceLister& lister, RegistryAccess& registry,
                       Clock& clock, EventPump& pump, UserDialogs& dialogs)
    : port_(port),
      lister_(lister),
      registry_(registry),
      clock_(clock),
      pump_(pump),
      dialogs_(dialogs) {}

int SerialLink::ElapsedSince(std::int32_t start) {
    return TicksSince(clock_, start);
}

void SerialLink::Idle(int port, int minBytes) {
    pump_.ProcessEvents();
    if (!port_.WaitInput(port, minBytes, waitSliceMs_)) clock_.SleepMs(waitSliceMs_);
}

void SerialLink::DelayMs(int ms) {
    if (waitSliceMs_ <= 1) {
        Timing(clock_).DelayMs(ms, pump_);
        return;
    }
    if (ms <= 0) return;
    const std::int32_t start = clock_.TickMs();
    for (int left = ms; left > 0; left = ms - ElapsedSince(start)) {
        pump_.ProcessEvents();
        clock_.SleepMs(std::min(left, waitSliceMs_));
    }
}

void SerialLink::CloseIfOpen() {
    if (boardPort >= 0 && port_.sio_lstatus(boardPort) >= 0) port_.sio_close(boardPort);
}

bool SerialLink::usb_open(int port) {
    if (port_.sio_open(port) == 0 &&
        port_.sio_ioctl(port, SerialPort::kBaud9600, SerialPort::kMode8N1) == 0) {
        return true;
    }
    port_.sio_close(port);
    return false;
}

bool SerialLink::LostPort(const char* message) {
    CloseIfOpen();
    boardDeviceCount = SerialPortCount(registry_);
    boardPort = -1;
    if (host_) {
        host_->SetBoardLine(kBoardDisconnectText, kBoardDisconnectColour);
        host_->SetPagerMenuEnabled(false);
    }
    dialogs_.Inform(message);
    return false;
}

bool SerialLink::PreparePort() {
    if (port_.sio_lstatus(boardPort) < 0) usb_open(boardPort);
    return port_.sio_flush(boardPort, SerialPort::kFlushBoth) >= 0;
}

bool SerialLink::usb_write(const PagerImage& image, int start, int end, int chunk) {
    const BusyScope busy(busy_);
    StartProgress(*view_, end - 16, std::min(start, end - 16), ProgressColour::Highlight,
                  "Writing Now.......");
    DoEvents();
    if (!PreparePort()) return LostPort(kWriteError);

    while (start <= end) {
        const int n = BlockLength(start, end, chunk);
        const auto frame = BuildWriteCommand(image, start, n);
        if (port_.sio_write(boardPort, frame.data(), static_cast<int>(frame.size())) < 0) {
            return LostPort(kWriteError);
        }
        const std::int32_t sent = clock_.TickMs();
        for (;;) {
            if (ElapsedSince(sent) > kBlockTimeoutMs) {
                dialogs_.Inform(kWriteError);
                CloseIfOpen();
                return false;
            }
            const int waiting = port_.sio_iqueue(boardPort);
            if (waiting < 0) return LostPort(kWriteError);
            if (waiting >= static_cast<int>(kWriteAck.size())) break;
            Idle(boardPort, static_cast<int>(kWriteAck.size()));
        }
        std::array<std::uint8_t, kWriteAck.size()> reply{};
        if (port_.sio_read(boardPort, reply.data(), static_cast<int>(reply.size())) < 0) {
            return LostPort(kWriteError);
        }
        if (reply != kWriteAck) {
            dialogs_.Inform(kWriteError);
            CloseIfOpen();
            return false;
        }
        start += n;
        view_->SetProgressValue(std::min(start, end - 16));
    }
    if (port_.sio_close(boardPort) < 0) return LostPort(kWriteError);
    return true;
}

bool SerialLink::usb_read(int start, int end, int chunk) {
    const BusyScope busy(busy_);
    ReadBuffer.assign(static_cast<std::size_t>(end) + 1, 0);
    DoEvents();
    const bool fromZero = start == 0;
    auto lost = [this] {
        TransferFailed = true;
        return LostPort(kReadError);
    };
    auto fail = [this](const char* message) {
        dialogs_.Inform(message);
        CloseIfOpen();
        TransferFailed = true;
        return false;
    };
    if (!PreparePort()) return lost();

    while (start <= end) {
        const int n = BlockLength(start, end, chunk);
        const auto command = BuildReadCommand(start, n);
        if (port_.sio_write(boardPort, command.data(), static_cast<int>(command.size())) < 0) {
            return lost();
        }
        DelayMs(kReadSettleMs);
        const int replyLength = n + 15;
        const std::int32_t asked = clock_.TickMs();
        for (;;) {
            const int waiting = port_.sio_iqueue(boardPort);
            if (waiting < 0) return lost();
            if (waiting >= replyLength) break;
            if (ElapsedSince(asked) > kBlockTimeoutMs) return fail(kReadTimeOut);
            Idle(boardPort, replyLength);
        }
        std::vector<std::uint8_t> reply(static_cast<std::size_t>(replyLength), 0);
        if (port_.sio_read(boardPort, reply.data(), replyLength) < 0) return lost();
        if (!ReadReplyChecksumOk(reply)) return fail(kReadError);
        std::copy_n(reply.begin() + 13, n, ReadBuffer.begin() + start);
        start += chunk;
        if (fromZero) view_->SetProgressValue(std::min(start, end - 16));
    }
    if (port_.sio_close(boardPort) < 0) return lost();
    TransferFailed = false;
    return true;
}

bool SerialLink::ProbeOne(int port) {
    if (port_.sio_lstatus(port) >= 0) port_.sio_close(port);
    if (!usb_open(port)) return false;
    port_.sio_flush(port, SerialPort::kFlushBoth);
    port_.sio_write(port, kProbeCommand.data(), static_cast<int>(kProbeCommand.size()));

    // Anything before the magic's first byte is line noise or an old reply: skip it.
    bool synced = false;
    const std::int32_t sent = clock_.TickMs();
    while (ElapsedSince(sent) <= kProbeWindowMs) {
        const int c = port_.sio_getch(port);
        if (c == kFrameMagic[0]) {
            synced = true;
            break;
        }
        if (c < 0) Idle(port, 1);
    }
    bool found = false;
    if (synced) {
        const std::int32_t seen = clock_.TickMs();
        bool complete = false;
        while (ElapsedSince(seen) <= kProbeWindowMs) {
            const int waiting = port_.sio_iqueue(port);
            if (waiting > 15) {
                complete = true;
                break;
            }
            Idle(port, 16);
        }
        if (complete) {
            std::array<std::uint8_t, 17> reply{};
            reply[0] = static_cast<std::uint8_t>(kFrameMagic[0]);
            found = port_.sio_read(port, reply.data() + 1, 16) >= 0 && ProbeReplyOk(reply);
        }
    }
    port_.sio_close(port);
    return found;
}

std::optional<int> SerialLink::MsSinceProbe() {
    if (!probeStartTick_) return std::nullopt;
    return ElapsedSince(*probeStartTick_);
}

bool SerialLink::usb_probe() {
    const BusyScope busy(busy_);
    probeStartTick_ = clock_.TickMs();
    const bool startup = StartupProbe && host_ != nullptr;
    if (startup) host_->StopWatchTimer();
    const std::vector<std::string> devices = lister_.GetDevInfo(kCableDescription);
    for (const std::string& entry : devices) {
        if (entry.empty()) break;
        const auto number = PortNumberFromName(entry);
        // A name without a port number cannot lead to the board.
        if (!number) continue;
        boardPort = *number;
        if (ProbeOne(boardPort)) {
            if (startup) host_->StartWatchTimer();
            return true;
        }
    }
    if (StartupProbe) dialogs_.Warn(kBoardNotResponding);
    boardDeviceCount = static_cast<int>(devices.size());
    boardPort = -1;
    if (startup) host_->StartWatchTimer();
    return false;
}

bool SerialLink::link_connect() {
    if (LinkIsUsb()) return usb_probe();
    return lptConnect_ ? lptConnect_() : false;
}

}  // namespace kpx
