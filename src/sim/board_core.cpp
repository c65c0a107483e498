#include "sim/board_core.h"

#include <algorithm>
#include <fstream>

#include "link/frame_templates.h"
#include "settings/bands.h"

namespace kpx::sim {

namespace {

void PutChecksum(std::vector<std::uint8_t>& frame) {
    const std::uint16_t sum = FrameChecksum(frame);
    frame[frame.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
}

bool ChecksumOk(const std::vector<std::uint8_t>& frame) {
    const std::uint16_t sum = FrameChecksum(frame);
    return frame[frame.size() - 2] == (sum >> 8) && frame[frame.size() - 1] == (sum & 0xFF);
}

bool IsReadFault(Fault f) {
    return f == Fault::WrongReadChecksum || f == Fault::ShortReply || f == Fault::NoReply ||
           f == Fault::HangUpOnRead;
}

}  // namespace

std::optional<FaultPlan> ParseFault(const std::string& text) {
    static const std::pair<const char*, Fault> kNames[] = {
        {"none", Fault::None},
        {"wrong-checksum", Fault::WrongReadChecksum},
        {"short-reply", Fault::ShortReply},
        {"no-reply", Fault::NoReply},
        {"no-ack", Fault::NoAck},
        {"wrong-ack", Fault::WrongAck},
        {"hangup-read", Fault::HangUpOnRead},
        {"hangup-write", Fault::HangUpOnWrite},
    };
    const auto atSign = text.find('@');
    const std::string name = text.substr(0, atSign);
    FaultPlan plan;
    bool known = false;
    for (const auto& [n, f] : kNames) {
        if (name == n) {
            plan.fault = f;
            known = true;
        }
    }
    if (!known) return std::nullopt;
    if (atSign != std::string::npos) {
        const std::string count = text.substr(atSign + 1);
        if (count.empty() || count.size() > 6 ||
            !std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        plan.at = std::stoi(count);
    }
    return plan;
}

std::optional<BoardMemory> LoadMemoryFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    BoardMemory memory{};
    in.read(reinterpret_cast<char*>(memory.data()), kBoardMemorySize);
    if (in.bad()) return std::nullopt;
    return memory;
}

bool SaveMemoryFile(const std::string& path, const BoardMemory& memory) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(memory.data()), kBoardMemorySize);
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

BoardCore::BoardCore(const BoardOptions& options) : fault_(options.fault) {
    if (options.memory) {
        memory_ = *options.memory;
    } else {
        WriteIdentification(memory_, options.identification);
        if (options.gpMarker) memory_[kGpMarkerAddress] = kGpMarker;
    }
    fresh_ = memory_;
}

void BoardCore::SetOperator(bool on) {
    if (on == operator_) return;
    operator_ = on;
    verifiedSeen_ = verified_;
    takeOutAt_.reset();
    if (putInAt_) {
        memory_ = fresh_;
        SetPagerPresent(true);
        putInAt_.reset();
    }
}

int BoardCore::Operate(std::int64_t nowMs) {
    constexpr int kPauseMs = 1000;
    if (!operator_) return -1;
    if (verified_ != verifiedSeen_) {
        verifiedSeen_ = verified_;
        takeOutAt_ = nowMs + kPauseMs;
    }
    if (takeOutAt_ && nowMs >= *takeOutAt_) {
        SetPagerPresent(false);
        takeOutAt_.reset();
        putInAt_ = nowMs + kPauseMs;
    }
    if (putInAt_ && nowMs >= *putInAt_) {
        memory_ = fresh_;
        SetPagerPresent(true);
        putInAt_.reset();
    }
    const auto due = takeOutAt_ ? takeOutAt_ : putInAt_;
    return due ? static_cast<int>(*due - nowMs) : -1;
}

void BoardCore::SetPagerPresent(bool present) {
    present_ = present;
    writtenSinceIn_ = false;
}

bool BoardCore::FaultHits(bool isWrite, int count) const {
    if (fault_.fault == Fault::None || IsReadFault(fault_.fault) == isWrite) return false;
    return fault_.at == 0 || fault_.at == count;
}

std::vector<BoardCore::Reply> BoardCore::Feed(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<Reply> replies;
    for (;;) {
        // Skip to a possible magic.
        std::size_t skip = 0;
        while (skip < pending_.size()) {
            const std::size_t have = std::min(pending_.size() - skip, kMagicLength);
            if (std::equal(pending_.begin() + static_cast<long>(skip),
                           pending_.begin() + static_cast<long>(skip + have),
                           kFrameMagic.begin())) {
                break;
            }
            ++skip;
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(skip));
        if (pending_.size() < 13) break;
        const char c1 = static_cast<char>(pending_[10]);
        const char c2 = static_cast<char>(pending_[11]);
        std::size_t length = 0;
        if ((c1 == '5' || c1 == '3') && c2 == 'R') {
            length = 18;
        } else if (c1 == '3' && c2 == 'S') {
            length = std::size_t{pending_[12]} + 15;
        } else {
            pending_.erase(pending_.begin());  // not a command: look for the next magic
            continue;
        }
        if (pending_.size() < length) break;
        std::vector<std::uint8_t> frame(pending_.begin(),
                                        pending_.begin() + static_cast<long>(length));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(length));
        if (auto reply = Handle(frame)) {
            replies.push_back(*reply);
            if (reply->hangUp) break;
        }
    }
    return replies;
}

std::optional<BoardCore::Reply> BoardCore::Handle(const std::vector<std::uint8_t>& frame) {
    if (!ChecksumOk(frame)) return std::nullopt;
    const char c1 = static_cast<char>(frame[10]);
    const char c2 = static_cast<char>(frame[11]);
    Reply reply;
    if (c1 == '5' && c2 == 'R') {
        ++probes_;
        reply.bytes.assign(kProbeReplyHeader.begin(), kProbeReplyHeader.end());
        reply.bytes.insert(reply.bytes.end(), {0x01, 0x00, 0, 0});
        PutChecksum(reply.bytes);
        return reply;
    }
    if (!present_) return std::nullopt;
    const int address = frame[13] << 8 | frame[14];
    if (c1 == '3' && c2 == 'R') {
        const int n = frame[15];
        if (frame[12] != 0x03 || n < 1 || address + n > kBoardMemorySize) return std::nullopt;
        ++reads_;
        constexpr int kLastPagerByte = 0x3FF;
        if (writtenSinceIn_ && address <= kLastPagerByte && address + n > kLastPagerByte) {
            writtenSinceIn_ = false;
            ++verified_;
        }
        reply.bytes.assign(kFrameMagic.begin(), kFrameMagic.end());
        reply.bytes.insert(reply.bytes.end(), {'3', 'R', static_cast<std::uint8_t>(n)});
        reply.bytes.insert(reply.bytes.end(), memory_.begin() + address,
                           memory_.begin() + address + n);
        reply.bytes.resize(reply.bytes.size() + 2);
        PutChecksum(reply.bytes);
        if (FaultHits(false, reads_)) {
            switch (fault_.fault) {
                case Fault::WrongReadChecksum:
                    reply.bytes.back() = static_cast<std::uint8_t>(reply.bytes.back() + 1);
                    break;
                case Fault::ShortReply:
                    reply.bytes.resize(reply.bytes.size() - 3);
                    break;
                case Fault::NoReply:
                    return std::nullopt;
                case Fault::HangUpOnRead:
                    reply.bytes.resize(reply.bytes.size() / 2);
                    reply.hangUp = true;
                    break;
                default:
                    break;
            }
        }
        return reply;
    }
    // Write block: count byte n + 2, two address bytes, n data bytes.
    const int n = frame[12] - 2;
    if (n < 1 || address + n > kBoardMemorySize) return std::nullopt;
    ++writes_;
    const bool hit = FaultHits(true, writes_);
    if (hit && fault_.fault == Fault::HangUpOnWrite) {
        reply.hangUp = true;
        return reply;
    }
    std::copy(frame.begin() + 15, frame.begin() + 15 + n, memory_.begin() + address);
    writtenSinceIn_ = true;
    reply.bytes.assign(kWriteAck.begin(), kWriteAck.end());
    if (hit && fault_.fault == Fault::NoAck) return std::nullopt;
    if (hit && fault_.fault == Fault::WrongAck) {
        reply.bytes[13] = 0x15;  // a negative acknowledge
        reply.bytes[15] = static_cast<std::uint8_t>(reply.bytes[15] + 0x0F);
    }
    return reply;
}

}  // namespace kpx::sim
