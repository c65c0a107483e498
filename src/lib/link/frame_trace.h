#pragma once

#include <functional>
#include <iosfwd>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "support/iso_time.h"

namespace kpx {

// A time-stamped log of what went over the line, one line per call that moved bytes:
//   2026-12-08T12:53:00.123Z COM5 > 42 72 69 ...   (sent)
//   2026-12-08T12:53:00.431Z COM5 < 42 72 69 ...   (received)
//   2026-12-08T12:53:00.431Z COM5 # close 0        (a port event and its result)
// Several links may share one log; each line is written whole and flushed.
class FrameTrace {
  public:
    explicit FrameTrace(std::ostream& out,
                        std::function<WallClock::time_point()> now = WallClock::now);
    void Bytes(const std::string& port, char direction, std::span<const std::uint8_t> bytes);
    void Note(const std::string& port, const std::string& text);
    // Once per port given by path: which COM name the lines of that path carry.
    void NamePort(int com, const std::string& path);
    // One line of any other kind: the time, the port and rest.
    void Line(const std::string& port, const std::string& rest);

  private:

    std::mutex mutex_;
    std::ostream& out_;
    std::function<WallClock::time_point()> now_;
};

// A SerialPort that hands every call to another one and logs the bytes moved, the port events
// and the failures. Polls that move nothing (an empty queue) are not logged.
class TracingSerialPort : public SerialPort {
  public:
    explicit TracingSerialPort(SerialPort& inner, FrameTrace* trace = nullptr)
        : inner_(inner), trace_(trace) {}
    void SetTrace(FrameTrace* trace) { trace_ = trace; }

    int sio_open(int port) override { return Noted(port, "open", inner_.sio_open(port)); }
    int sio_ioctl(int port, int baud, int mode) override {
        return Noted(port, "ioctl", inner_.sio_ioctl(port, baud, mode));
    }
    int sio_flush(int port, int func) override {
        return Noted(port, "flush", inner_.sio_flush(port, func));
    }
    int sio_lstatus(int port) override { return inner_.sio_lstatus(port); }
    int sio_iqueue(int port) override;
    int sio_read(int port, std::uint8_t* buffer, int len) override;
    int sio_write(int port, const std::uint8_t* buffer, int len) override;
    int sio_getch(int port) override;
    int sio_close(int port) override { return Noted(port, "close", inner_.sio_close(port)); }
    bool WaitInput(int port, int minBytes, int timeoutMs) override {
        return inner_.WaitInput(port, minBytes, timeoutMs);
    }

  private:
    int Noted(int port, const char* what, int result);

    SerialPort& inner_;
    FrameTrace* trace_;
};

// A trace read back: the bytes of each direction joined across calls and cut into frames at
// the frame magic. Event lines end a run of bytes.
struct TracedFrame {
    std::string port;
    char direction;  // '>' sent, '<' received
    std::vector<std::uint8_t> bytes;
};
std::vector<TracedFrame> DecodeTrace(std::istream& in);

}  // namespace kpx
