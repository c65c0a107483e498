#include "production/serial_board_link.h"

#include <algorithm>

namespace kpx {

namespace {

// A byte on the line at 9600 baud (10 bits) takes about 1.05 ms.
int LineMs(int bytes) {
    return bytes * 105 / 100 + 1;
}

bool AwaitReply(SerialPort& port, int com, int length, int waitMs, Clock& clock, bool* lost) {
    const std::int32_t asked = clock.TickMs();
    for (;;) {
        const int waiting = port.sio_iqueue(com);
        if (waiting < 0) {
            *lost = true;
            return false;
        }
        if (waiting >= length) return true;
        if (TicksSince(clock, asked) > waitMs) return false;
        if (!port.WaitInput(com, length, 10)) clock.SleepMs(2);
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> PeekPager(SerialPort& port, int com, int first, int last,
                                                   int replyMs, Clock& clock, bool* lost) {
    if (port.sio_open(com) != 0 ||
        port.sio_ioctl(com, SerialPort::kBaud9600, SerialPort::kMode8N1) != 0) {
        port.sio_close(com);
        *lost = true;
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> bytes(std::vector<std::uint8_t>(last + 1, 0));
    port.sio_flush(com, SerialPort::kFlushBoth);
    for (int a = first; a <= last && bytes; a += kBlockSize) {
        const int n = BlockLength(a, last, kBlockSize);
        const auto command = BuildReadCommand(a, n);
        const int length = n + 15;
        if (port.sio_write(com, command.data(), static_cast<int>(command.size())) < 0) {
            *lost = true;
            bytes.reset();
        } else if (!AwaitReply(port, com, length,
                               replyMs + LineMs(length + static_cast<int>(command.size())), clock,
                               lost)) {
            bytes.reset();
        } else {
            std::vector<std::uint8_t> reply(static_cast<std::size_t>(length));
            if (port.sio_read(com, reply.data(), length) != length || !ReadReplyChecksumOk(reply)) {
                bytes.reset();
            } else {
                std::copy_n(reply.begin() + 13, n, bytes->begin() + a);
            }
        }
    }
    // A late reply must not be taken for the next command's.
    if (!bytes) port.sio_flush(com, SerialPort::kFlushBoth);
    port.sio_close(com);
    return bytes;
}

SerialBoardLink::SerialBoardLink(BoardPort port, Clock& clock, UserDialogs& dialogs, LinkHost& host)
    : port_(std::move(port)),
      clock_(clock),
      link_(*port_.port, lister_, registry_, clock, pump_, dialogs),
      transfers_(link_, host) {
    link_.SetHost(&host);
    link_.SetWaitSliceMs(50);  // a board's own thread: no window to keep alive
    link_.boardPort = port_.com;
}

std::optional<std::vector<std::uint8_t>> SerialBoardLink::Peek(int first, int last, int replyMs) {
    if (gone()) return std::nullopt;
    return PeekPager(*port_.port, port_.com, first, last, replyMs, clock_, &lost_);
}

}  // namespace kpx
