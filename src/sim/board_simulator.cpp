#include "sim/board_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kpx::sim {

namespace {

constexpr std::int64_t kByteNs = 10'000'000'000LL / 9600;  // 10 bits at 9600 baud
constexpr int kQuietMs = 200;

std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000LL + ts.tv_nsec;
}

void SleepUntil(std::int64_t ns) {
    timespec ts{static_cast<time_t>(ns / 1'000'000'000LL), static_cast<long>(ns % 1'000'000'000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

BoardSimulator::BoardSimulator(Config config) : config_(std::move(config)), core_(config_.board) {
    core_.SetOperator(config_.operatorSwaps);
}

BoardSimulator::~BoardSimulator() {
    Stop();
}

bool BoardSimulator::Start(std::string* error) {
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        return false;
    };
    if (running_) return true;
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("unlockpt");
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = name;
    // Holding the slave open keeps the line up between the program's opens and keeps its
    // raw settings.
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeep_ < 0) return fail("open slave");
    termios t{};
    tcgetattr(slaveKeep_, &t);
    cfmakeraw(&t);
    tcsetattr(slaveKeep_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    stopping_ = false;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void BoardSimulator::HangUp() {
    hungUp_ = true;
    if (master_ >= 0) ::close(master_);
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    master_ = -1;
    slaveKeep_ = -1;
}

void BoardSimulator::Stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        const char c = 'x';
        (void)!::write(wakeWrite_, &c, 1);
        thread_.join();
    }
    if (master_ >= 0 || slaveKeep_ >= 0) {
        if (master_ >= 0) ::close(master_);
        if (slaveKeep_ >= 0) ::close(slaveKeep_);
        master_ = slaveKeep_ = -1;
    }
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
    wakeRead_ = wakeWrite_ = -1;
    if (running_ && !config_.dumpPath.empty()) DumpNow();
    running_ = false;
}

void BoardSimulator::SendPaced(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size() && !stopping_) {
        std::size_t count = bytes.size() - sent;
        if (config_.pace) {
            lineOutFree_ = std::max(lineOutFree_, NowNs()) + kByteNs;
            SleepUntil(lineOutFree_);
            count = 1;
        }
        const ssize_t put = ::write(master_, bytes.data() + sent, count);
        if (put > 0) {
            sent += static_cast<std::size_t>(put);
        } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return;
        } else {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
    }
}

void BoardSimulator::Serve() {
    std::vector<std::uint8_t> buffer(4096);
    while (!stopping_ && master_ >= 0) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        int waitMs = kQuietMs;
        {
            std::lock_guard lock(mutex_);
            const int due = core_.Operate(NowNs() / 1'000'000);
            if (due >= 0) waitMs = std::min(waitMs, due + 1);
        }
        const int rc = ::poll(fds, 2, waitMs);
        if (stopping_) break;
        if (rc == 0) {
            std::lock_guard lock(mutex_);
            // A line quiet for a while ends any half-received command.
            if (NowNs() - lastInput_ >= kQuietMs * 1'000'000LL) core_.DropPending();
            continue;
        }
        if (rc < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (!(fds[0].revents & POLLIN)) {
            // No reader on the slave side yet (or a hang-up of ours); wait a little.
            if (fds[0].revents & (POLLHUP | POLLERR)) ::poll(nullptr, 0, 5);
            continue;
        }
        const ssize_t got = ::read(master_, buffer.data(), buffer.size());
        if (got <= 0) continue;
        lastInput_ = NowNs();
        if (config_.pace) {
            // The bytes arrive no faster than the line carries them.
            lineInFree_ = std::max(lineInFree_, NowNs()) + got * kByteNs;
            SleepUntil(lineInFree_);
        }
        std::vector<BoardCore::Reply> replies;
        {
            std::lock_guard lock(mutex_);
            replies = core_.Feed(std::span(buffer.data(), static_cast<std::size_t>(got)));
        }
        for (const auto& reply : replies) {
            SendPaced(reply.bytes);
            if (reply.hangUp) {
                HangUp();
                break;
            }
        }
    }
}

BoardMemory BoardSimulator::Memory() const {
    std::lock_guard lock(mutex_);
    return core_.memory();
}

void BoardSimulator::SetMemory(const BoardMemory& memory) {
    std::lock_guard lock(mutex_);
    core_.SetMemory(memory);
}

void BoardSimulator::SetFault(FaultPlan plan) {
    std::lock_guard lock(mutex_);
    core_.SetFault(plan);
}

void BoardSimulator::SetPagerPresent(bool present) {
    std::lock_guard lock(mutex_);
    core_.SetPagerPresent(present);
}

void BoardSimulator::SetOperator(bool on) {
    std::lock_guard lock(mutex_);
    core_.SetOperator(on);
}

bool BoardSimulator::PagerPresent() const {
    std::lock_guard lock(mutex_);
    return core_.PagerPresent();
}

bool BoardSimulator::DumpNow() const {
    if (config_.dumpPath.empty()) return false;
    return SaveMemoryFile(config_.dumpPath, Memory());
}

int BoardSimulator::reads() const {
    std::lock_guard lock(mutex_);
    return core_.reads();
}
int BoardSimulator::writes() const {
    std::lock_guard lock(mutex_);
    return core_.writes();
}
int BoardSimulator::probes() const {
    std::lock_guard lock(mutex_);
    return core_.probes();
}

}  // namespace kpx::sim
