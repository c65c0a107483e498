#pragma once

#include <cstdint>

namespace kpx {

// The serial-port calls the board link is built on, numbered by COM port. Every call returns a
// negative number on failure; a port whose device has gone away keeps failing.
class SerialPort {
  public:
    static constexpr int kBaud9600 = 12;  // line-settings code for 9600 baud
    static constexpr int kMode8N1 = 3;    // 8 data bits, no parity, 1 stop bit
    static constexpr int kFlushBoth = 2;  // empty the input and the output queue
    static constexpr int kNoByte = -1;    // sio_getch: nothing has arrived

    virtual ~SerialPort() = default;
    // 0 when the port was opened.
    virtual int sio_open(int port) = 0;
    // 0 when the line settings were applied.
    virtual int sio_ioctl(int port, int baud, int mode) = 0;
    virtual int sio_flush(int port, int func) = 0;
    // Negative when the port is not open (or has failed).
    virtual int sio_lstatus(int port) = 0;
    // Bytes waiting in the input queue.
    virtual int sio_iqueue(int port) = 0;
    // Takes up to len waiting bytes without waiting; returns how many.
    virtual int sio_read(int port, std::uint8_t* buffer, int len) = 0;
    // Queues len bytes for sending; returns how many.
    virtual int sio_write(int port, const std::uint8_t* buffer, int len) = 0;
    // One received byte (0..255), kNoByte when none is waiting, another negative value on failure.
    virtual int sio_getch(int port) = 0;
    virtual int sio_close(int port) = 0;

    // Blocks until at least minBytes are waiting or timeoutMs have passed, without spinning.
    // Returns false when it did not wait (a failed or closed line, a port that cannot wait):
    // the caller then sleeps instead.
    virtual bool WaitInput(int /*port*/, int /*minBytes*/, int /*timeoutMs*/) { return false; }
};

}  // namespace kpx
