#pragma once

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "link/serial_port.h"
#include "sim/board_core.h"
#include "testsupport/fakes.h"

namespace kpx::testing {

// Serial ports on a FakeClock: each COM number is a line to a BoardCore (or to nothing, or to
// a scripted responder). Replies arrive replyDelayMs after the command was written.
class FakeBoardPort : public SerialPort {
  public:
    using Responder = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)>;

    explicit FakeBoardPort(FakeClock& clock) : clock_(clock) {}

    void AttachBoard(int com, sim::BoardCore* board) { lines_[com].board = board; }
    void AttachSilent(int com) { lines_[com]; }
    void AttachResponder(int com, Responder r) { lines_[com].responder = std::move(r); }
    void Unplug(int com) { lines_[com].present = false; }
    void Replug(int com) {
        lines_[com].present = true;
        lines_[com].hungUp = false;
    }
    void SetReplyDelay(int ms) { replyDelayMs_ = ms; }
    bool IsOpen(int com) { return lines_.count(com) && lines_[com].open; }
    int opens = 0;

    int sio_open(int port) override {
        auto* l = Find(port);
        if (!l || !l->present || l->hungUp) return -1;
        l->open = true;
        ++opens;
        return 0;
    }
    int sio_ioctl(int port, int, int) override { return Usable(port) ? 0 : -1; }
    int sio_flush(int port, int) override {
        if (!Usable(port)) return -1;
        lines_[port].input.clear();
        return 0;
    }
    int sio_lstatus(int port) override { return Usable(port) ? 0 : -1; }
    int sio_iqueue(int port) override {
        if (!Usable(port)) return -1;
        Deliver(lines_[port]);
        if (lines_[port].hungUp) return -1;
        return static_cast<int>(lines_[port].input.size());
    }
    int sio_read(int port, std::uint8_t* buffer, int len) override {
        if (!Usable(port)) return -1;
        auto& in = lines_[port].input;
        int n = 0;
        for (; n < len && !in.empty(); ++n) {
            buffer[n] = in.front();
            in.pop_front();
        }
        return n;
    }
    int sio_write(int port, const std::uint8_t* buffer, int len) override {
        if (!Usable(port)) return -1;
        Line& l = lines_[port];
        std::vector<std::uint8_t> bytes(buffer, buffer + len);
        if (l.responder) {
            l.pending.push_back({clock_.TickMs() + replyDelayMs_, l.responder(bytes), false});
        } else if (l.board) {
            for (auto& reply : l.board->Feed(bytes)) {
                l.pending.push_back({clock_.TickMs() + replyDelayMs_, reply.bytes, reply.hangUp});
            }
        }
        return len;
    }
    int sio_getch(int port) override {
        if (!Usable(port)) return -2;
        Deliver(lines_[port]);
        auto& in = lines_[port].input;
        if (in.empty()) return kNoByte;
        const int c = in.front();
        in.pop_front();
        return c;
    }
    int sio_close(int port) override {
        auto* l = Find(port);
        if (!l || !l->open) return -1;
        l->open = false;
        return 0;
    }

  private:
    struct Pending {
        std::int32_t due;
        std::vector<std::uint8_t> bytes;
        bool hangUp;
    };
    struct Line {
        sim::BoardCore* board = nullptr;
        Responder responder;
        bool present = true;
        bool open = false;
        bool hungUp = false;
        std::deque<std::uint8_t> input;
        std::deque<Pending> pending;
    };

    Line* Find(int port) {
        auto it = lines_.find(port);
        return it == lines_.end() ? nullptr : &it->second;
    }
    bool Usable(int port) {
        Line* l = Find(port);
        return l && l->open && l->present && !l->hungUp;
    }
    void Deliver(Line& l) {
        while (!l.pending.empty() && l.pending.front().due <= clock_.TickMs()) {
            l.input.insert(l.input.end(), l.pending.front().bytes.begin(),
                           l.pending.front().bytes.end());
            if (l.pending.front().hangUp) l.hungUp = true;
            l.pending.pop_front();
        }
    }

    FakeClock& clock_;
    std::map<int, Line> lines_;
    int replyDelayMs_ = 20;
};

}  // namespace kpx::testing
