// The serial link's reply paths: probe, block reads and writes, and the whole-image transfers,
// against a board whose every answer the input may pass, damage, cut, replace or hang up on.
#include <algorithm>
#include <deque>

#include "fuzz_support.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "settings/capcode.h"
#include "sim/board_core.h"
#include "support/memory_registry.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "serial_replies";
constexpr int kCom = 5;

// A cable on COM5 to a board. For every frame the program sends, the next input byte says
// what comes back: the board's reply as it is, with one byte changed, cut short, other bytes
// altogether, the reply's first bytes and then a hang-up, or silence.
class ScriptedPort : public SerialPort {
  public:
    ScriptedPort(Input& in, sim::BoardCore& board) : in_(in), board_(board) {}

    int sio_open(int port) override {
        if (port != kCom || dead_) return -1;
        open_ = true;
        return 0;
    }
    int sio_ioctl(int port, int, int) override { return Usable(port) ? 0 : -1; }
    int sio_flush(int port, int) override {
        if (!Usable(port)) return -1;
        rx_.clear();
        return 0;
    }
    int sio_lstatus(int port) override { return Usable(port) ? 0 : -1; }
    int sio_iqueue(int port) override { return Usable(port) ? static_cast<int>(rx_.size()) : -1; }
    int sio_read(int port, std::uint8_t* buffer, int len) override {
        if (!Usable(port)) return -1;
        int n = 0;
        for (; n < len && !rx_.empty(); ++n) {
            buffer[n] = rx_.front();
            rx_.pop_front();
        }
        return n;
    }
    int sio_write(int port, const std::uint8_t* buffer, int len) override {
        if (!Usable(port)) return -1;
        std::vector<std::uint8_t> reply;
        for (const auto& r : board_.Feed(std::span(buffer, static_cast<std::size_t>(len)))) {
            reply.insert(reply.end(), r.bytes.begin(), r.bytes.end());
        }
        if (in_.empty()) return len;  // the board has gone quiet
        const std::uint8_t op = in_.Byte();
        switch (op % 6) {
            case 0:
                break;
            case 1:
                if (!reply.empty()) reply[in_.Byte() % reply.size()] ^= in_.Byte() | 1;
                break;
            case 2:
                reply.resize(std::min<std::size_t>(reply.size(), in_.Byte()));
                break;
            case 3: {
                const std::string raw = in_.Text(200);
                reply.assign(raw.begin(), raw.end());
                break;
            }
            case 4:
                reply.resize(std::min<std::size_t>(reply.size(), in_.Byte()));
                hangUpAfterReply_ = true;
                break;
            default:
                reply.clear();
                break;
        }
        rx_.insert(rx_.end(), reply.begin(), reply.end());
        if (hangUpAfterReply_) {
            // The line dies once these bytes are in; a hung-up tty is gone from the program.
            pendingDeath_ = true;
        }
        return len;
    }
    int sio_getch(int port) override {
        if (!Usable(port)) return -2;
        if (rx_.empty()) return kNoByte;
        const int c = rx_.front();
        rx_.pop_front();
        return c;
    }
    int sio_close(int port) override {
        if (port != kCom || !open_) return -1;
        open_ = false;
        return 0;
    }

    bool open() const { return open_; }

  private:
    bool Usable(int port) {
        if (port != kCom) return false;
        // The hang-up lands once the bytes before it have been taken.
        if (pendingDeath_ && rx_.empty()) {
            pendingDeath_ = false;
            dead_ = true;
            open_ = false;
        }
        return open_ && !dead_;
    }

    Input& in_;
    sim::BoardCore& board_;
    std::deque<std::uint8_t> rx_;
    bool open_ = false;
    bool dead_ = false;
    bool hangUpAfterReply_ = false;
    bool pendingDeath_ = false;
};

sim::BoardMemory PatternMemory() {
    sim::BoardMemory m{};
    for (std::size_t a = 0; a < m.size(); ++a) m[a] = static_cast<std::uint8_t>(a * 13 + 7);
    const std::string ident = "KPX41V1.0V1.03";
    std::copy(ident.begin(), ident.end(), m.begin() + 0x3E1);
    m[0x3F8] = 0xFF;
    return m;
}

}  // namespace

int Fuzz_serial_replies(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const int operation = in.Byte() % 6;
    const int start = (in.Byte() << 8 | in.Byte()) % kImageSize;
    const int end = start + (in.Byte() << 8 | in.Byte()) % (kImageSize - start);

    sim::BoardOptions options;
    options.memory = PatternMemory();
    sim::BoardCore board(options);
    ScriptedPort port(in, board);
    testing::FakeClock clock;
    testing::CountingPump pump;
    testing::RecordingDialogs dialogs;
    testing::ScriptedLister lister;
    lister.SetComs({kCom});
    MemoryRegistry registryBackend;
    RegistryAccess registry(registryBackend);
    PagerImage image;
    for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(a ^ 0x5A));
    testing::RecordingHost host(image);
    SerialLink link(port, lister, registry, clock, pump, dialogs);
    link.SetHost(&host);
    link.boardPort = kCom;
    SerialTransfers transfers(link, host);
    const PagerImage before = image;
    const sim::BoardMemory boardBefore = board.memory();

    switch (operation) {
        case 0: {
            link.boardPort = -1;
            const bool found = link.usb_probe();
            Check(found ? link.boardPort == kCom : link.boardPort == -1, kName,
                  "probe result and boardPort disagree");
            break;
        }
        case 1: {
            transfers.usb_readall(image, 0, kImageSize - 1);
            if (link.TransferFailed) {
                Check(image == before, kName, "a failed read changed the image");
                Check(host.imagesReplaced == 0, kName, "a failed read replaced the image");
            } else {
                Check(
                    std::equal(image.bytes().begin(), image.bytes().end(), link.ReadBuffer.begin()),
                    kName, "a good read did not take what was read");
                Check(host.imagesReplaced == 1, kName, "a good read did not refresh");
            }
            break;
        }
        case 2: {
            const bool yes = (in.Byte() & 1) != 0;
            dialogs.AnswerNext(yes ? DialogAnswer::Yes : DialogAnswer::No);
            transfers.usb_writeall(image, 0, kImageSize - 1);
            const bool asked =
                std::any_of(dialogs.shown().begin(), dialogs.shown().end(),
                            [](const auto& s) { return s.buttons == DialogButtons::YesNo; });
            const sim::BoardMemory after = board.memory();
            if (asked && !yes) {
                Check(link.TransferFailed, kName, "a No to the GP(RoHS) question did not fail");
                Check(after == boardBefore, kName, "a No to the GP(RoHS) question still wrote");
            }
            if (!link.TransferFailed) {
                Check(std::equal(image.bytes().begin(), image.bytes().end(), after.begin()), kName,
                      "a good write left the pager different from the image");
                Check(image.at(kWriteFlagAddress) == 1, kName, "a good write without its flag");
            }
            // The write itself changes only the capcodes' enable flags and the write flag.
            for (int a = 0; a < kImageSize; ++a) {
                const bool capcodeByte = a >= 0x360 && a < 0x360 + 3 * kCapcodeCount;
                if (!capcodeByte && a != kWriteFlagAddress) {
                    Check(image.at(a) == before.at(a), kName, "a write changed the image");
                }
            }
            break;
        }
        case 3:
            transfers.usb_verify(image, 0, kImageSize - 1);
            Check(link.TransferFailed || std::equal(image.bytes().begin(), image.bytes().end(),
                                                    link.ReadBuffer.begin()),
                  kName, "verify passed on different bytes");
            break;
        case 4: {
            const bool ok = link.usb_read(start, end, kBlockSize);
            Check(link.ReadBuffer.size() == static_cast<std::size_t>(end) + 1, kName,
                  "read buffer not sized to the range");
            Check(ok != link.TransferFailed, kName, "read result and TransferFailed disagree");
            break;
        }
        default: {
            const bool ok = link.usb_write(image, start, end, kBlockSize);
            // Whatever the board said, only the range was sent to it.
            const sim::BoardMemory after = board.memory();
            for (int a = 0; a < sim::kBoardMemorySize; ++a) {
                if (a >= start && a <= end) {
                    if (ok) Check(after[a] == image.at(a), kName, "a good write left a byte out");
                } else {
                    Check(after[a] == boardBefore[a], kName, "a write touched a byte outside");
                }
            }
            break;
        }
    }
    // No byte past the image is ever written, and the port is never left open.
    const sim::BoardMemory after = board.memory();
    Check(std::equal(after.begin() + kImageSize, after.end(), boardBefore.begin() + kImageSize),
          kName, "a byte past the image was written");
    Check(!port.open(), kName, "the port was left open");
    return 0;
}

}  // namespace kpx::fuzz
