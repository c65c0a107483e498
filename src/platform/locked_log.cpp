#include "platform/locked_log.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace kpx {

namespace {

std::string Reason() {
    return std::strerror(errno);
}

}  // namespace

std::unique_ptr<LockedLog> LockedLog::Open(const std::string& path, std::string* error) {
    // Not blocking: a FIFO without a reader fails here instead of hanging.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + Reason();
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = path + " is not a plain file";
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        *error =
            held ? path + " is in use by another run" : "cannot lock " + path + ": " + Reason();
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<LockedLog>(new LockedLog(fd));
}

LockedLog::~LockedLog() {
    ::close(fd_);
}

bool LockedLog::ReadAll(std::string* content, std::string* error) const {
    content->clear();
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = Reason();
            return false;
        }
        if (n == 0) return true;
        content->append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

bool LockedLog::Append(std::string_view text, std::string* error) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? Reason() : "nothing written";
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace kpx
