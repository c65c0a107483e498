#include "platform/termios_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kpx {

namespace {

constexpr int kHeldElsewhere = -2;

// Opens a tty for this program alone: TIOCEXCL keeps other users' opens out, and the flock,
// which binds root too and is what other serial tools look at, tells a second program the port
// is taken before it sends a byte. kHeldElsewhere when another program has it, -1 (errno set)
// when it cannot be opened.
int OpenExclusive(const std::string& path) {
    // Non-blocking, so that a port waiting for its carrier does not hold us up.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY ? kHeldElsewhere : -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return kHeldElsewhere;
        errno = error;
        return -1;
    }
    // Not every device takes it (a file, /dev/null); the lock still holds.
    ::ioctl(fd, TIOCEXCL);
    return fd;
}

// Gives the port back: the exclusive flag outlives the descriptor while anyone else (a
// simulator's own end) keeps the tty open.
int CloseExclusive(int fd) {
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd);
}

}  // namespace

std::string SerialPortProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return path + ": no such port";
        return path + " cannot be opened: " + std::strerror(errno);
    }
    const std::string notSerial = path + " is not a serial port";
    if (!S_ISCHR(st.st_mode)) return notSerial;
    const int fd = OpenExclusive(path);
    if (fd == kHeldElsewhere) return PortInUse(path);
    if (fd < 0) {
        const int error = errno;
        return path + " cannot be opened: " + std::strerror(error) +
               (error == EACCES ? " (kpx41 doctor says why)" : "");
    }
    const bool tty = ::isatty(fd) == 1;
    CloseExclusive(fd);
    return tty ? std::string() : notSerial;
}

std::string PortInUse(const std::string& path) {
    return path + " is in use by another program";
}

TermiosSerialPort::~TermiosSerialPort() {
    for (const auto& [port, fd] : fds_) Release(port, fd);
    for (const auto& [port, fd] : kept_) CloseExclusive(fd);
}

int TermiosSerialPort::Healthy(int port) {
    auto it = fds_.find(port);
    if (it == fds_.end()) return kBadPort;
    pollfd p{it->second, POLLIN, 0};
    const int rc = ::poll(&p, 1, 0);
    if (rc < 0 || (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))) {
        Release(port, it->second);
        fds_.erase(it);
        return kHungUp;
    }
    return it->second;
}

int TermiosSerialPort::Keep(int port) {
    const auto path = map_.PathForCom(port);
    if (!path) return kBadPort;
    if (kept_.count(port)) return 0;
    const int fd = OpenExclusive(*path);
    if (fd == kHeldElsewhere) return kInUse;
    if (fd < 0) return kSystemError;
    kept_[port] = fd;
    return 0;
}

// A descriptor shared with a kept one leaves the hold to it.
int TermiosSerialPort::Release(int port, int fd) {
    return kept_.count(port) ? ::close(fd) : CloseExclusive(fd);
}

int TermiosSerialPort::sio_open(int port) {
    const auto path = map_.PathForCom(port);
    if (!path) return kBadPort;
    if (auto it = fds_.find(port); it != fds_.end()) {
        Release(port, it->second);
        fds_.erase(it);
    }
    if (auto kept = kept_.find(port); kept != kept_.end()) {
        const int fd = ::fcntl(kept->second, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) return kSystemError;
        fds_[port] = fd;
        return 0;
    }
    const int fd = OpenExclusive(*path);
    if (fd == kHeldElsewhere) return kInUse;
    if (fd < 0) return kSystemError;
    fds_[port] = fd;
    return 0;
}

int TermiosSerialPort::sio_ioctl(int port, int baud, int mode) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    if (baud != kBaud9600 || mode != kMode8N1) return kSystemError;
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return kSystemError;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    return ::tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : kSystemError;
}

int TermiosSerialPort::sio_flush(int port, int func) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    const int queue = func == 0 ? TCIFLUSH : func == 1 ? TCOFLUSH : TCIOFLUSH;
    return ::tcflush(fd, queue) == 0 ? 0 : kSystemError;
}

int TermiosSerialPort::sio_lstatus(int port) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    int lines = 0;
    // A pseudo-terminal has no modem lines: open and healthy is all there is to say.
    if (::ioctl(fd, TIOCMGET, &lines) != 0) return 0;
    int status = 0;
    if (lines & TIOCM_CTS) status |= 1;
    if (lines & TIOCM_DSR) status |= 2;
    if (lines & TIOCM_RI) status |= 4;
    if (lines & TIOCM_CD) status |= 8;
    return status;
}

int TermiosSerialPort::sio_iqueue(int port) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) return kSystemError;
    return waiting;
}

int TermiosSerialPort::sio_read(int port, std::uint8_t* buffer, int len) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    int total = 0;
    while (total < len) {
        const ssize_t got = ::read(fd, buffer + total, static_cast<std::size_t>(len - total));
        if (got > 0) {
            total += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno != EAGAIN) return kSystemError;
        break;
    }
    return total;
}

int TermiosSerialPort::sio_write(int port, const std::uint8_t* buffer, int len) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    int total = 0;
    while (total < len) {
        const ssize_t put = ::write(fd, buffer + total, static_cast<std::size_t>(len - total));
        if (put > 0) {
            total += static_cast<int>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) continue;
        if (put < 0 && errno != EAGAIN) return kSystemError;
        // The output queue is full: wait until it drains, but not for ever.
        pollfd p{fd, POLLOUT, 0};
        const int rc = ::poll(&p, 1, 2000);
        if (rc <= 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return kSystemError;
    }
    return total;
}

int TermiosSerialPort::sio_getch(int port) {
    const int fd = Healthy(port);
    if (fd < 0) return fd;
    std::uint8_t c = 0;
    const ssize_t got = ::read(fd, &c, 1);
    if (got == 1) return c;
    if (got < 0 && errno != EAGAIN && errno != EINTR) return kSystemError;
    return kNoByte;
}

int TermiosSerialPort::sio_close(int port) {
    auto it = fds_.find(port);
    if (it == fds_.end()) return kBadPort;
    const int rc = Release(port, it->second);
    fds_.erase(it);
    return rc == 0 ? 0 : kSystemError;
}

}  // namespace kpx

namespace kpx {

bool TermiosSerialPort::WaitInput(int port, int minBytes, int timeoutMs) {
    // A dead or closed line cannot be waited on: the caller sleeps its slice instead, so a
    // loop over a hung-up port never spins.
    const int fd = Healthy(port);
    if (fd < 0) return false;
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) return false;
    if (waiting >= minBytes) return true;
    if (waiting == 0) {
        // Nothing yet: sleep in the kernel until the first byte (or a hang-up) comes. A poll
        // that ends at once on a hang-up has not waited.
        pollfd p{fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, timeoutMs);
        return rc == 0 || (rc > 0 && !(p.revents & (POLLHUP | POLLERR | POLLNVAL)));
    }
    // A reply is on its way: the rest needs about a millisecond a byte at 9600 baud.
    const int restMs = (minBytes - waiting) * 10 * 1000 / 9600 + 1;
    ::poll(nullptr, 0, std::min(restMs, timeoutMs));
    return true;
}

}  // namespace kpx
