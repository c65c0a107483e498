#include "link/frame_trace.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>

#include "link/frame_templates.h"
#include "support/hex.h"

namespace kpx {

namespace {

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

}  // namespace

FrameTrace::FrameTrace(std::ostream& out, std::function<WallClock::time_point()> now)
    : out_(out), now_(std::move(now)) {}

void FrameTrace::Line(const std::string& port, const std::string& rest) {
    const std::string line = IsoTime(now_(), true) + " " + port + " " + rest + "\n";
    std::lock_guard lock(mutex_);
    out_ << line;
    out_.flush();
}

void FrameTrace::Bytes(const std::string& port, char direction,
                       std::span<const std::uint8_t> bytes) {
    Line(port, std::string(1, direction) + (bytes.empty() ? "" : " ") +
                   HexBytes(bytes, " ", HexCase::Lower));
}

void FrameTrace::Note(const std::string& port, const std::string& text) {
    Line(port, "# " + text);
}

void FrameTrace::NamePort(int com, const std::string& path) {
    Note(ComName(com), "port " + path);
}

int TracingSerialPort::Noted(int port, const char* what, int result) {
    if (trace_) trace_->Note(ComName(port), std::string(what) + " " + std::to_string(result));
    return result;
}

int TracingSerialPort::sio_iqueue(int port) {
    const int waiting = inner_.sio_iqueue(port);
    if (waiting < 0) Noted(port, "iqueue", waiting);
    return waiting;
}

int TracingSerialPort::sio_read(int port, std::uint8_t* buffer, int len) {
    const int got = inner_.sio_read(port, buffer, len);
    if (got < 0) return Noted(port, "read", got);
    if (trace_ && got > 0) {
        trace_->Bytes(ComName(port), '<', {buffer, static_cast<std::size_t>(got)});
    }
    return got;
}

int TracingSerialPort::sio_write(int port, const std::uint8_t* buffer, int len) {
    const int put = inner_.sio_write(port, buffer, len);
    if (put < 0) return Noted(port, "write", put);
    if (trace_ && put > 0) {
        trace_->Bytes(ComName(port), '>', {buffer, static_cast<std::size_t>(put)});
    }
    return put;
}

int TracingSerialPort::sio_getch(int port) {
    const int c = inner_.sio_getch(port);
    if (c >= 0 && trace_) {
        const std::uint8_t byte = static_cast<std::uint8_t>(c);
        trace_->Bytes(ComName(port), '<', {&byte, 1});
    } else if (c != kNoByte && c < 0) {
        Noted(port, "getch", c);
    }
    return c;
}

std::vector<TracedFrame> DecodeTrace(std::istream& in) {
    std::vector<TracedFrame> frames;
    TracedFrame run{"", 0, {}};
    auto flush = [&] {
        const auto& b = run.bytes;
        auto at = b.begin();
        while (at != b.end()) {
            // The next frame begins at the next magic after this one's first byte.
            auto next = std::search(at + 1, b.end(), kFrameMagic.begin(), kFrameMagic.end());
            frames.push_back({run.port, run.direction, {at, next}});
            at = next;
        }
        run.bytes.clear();
    };
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string stamp, port, direction;
        if (!(fields >> stamp >> port >> direction)) continue;
        std::string rest;
        std::getline(fields, rest);
        const auto bytes = ParseHexBytes(rest);
        // A line of anything but byte pairs ends the run, as an event line does.
        if ((direction != ">" && direction != "<") || !bytes) {
            flush();
            continue;
        }
        if (port != run.port || direction[0] != run.direction) flush();
        run.port = port;
        run.direction = direction[0];
        run.bytes.insert(run.bytes.end(), bytes->begin(), bytes->end());
    }
    flush();
    return frames;
}

}  // namespace kpx
