#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/identification.h"

namespace kpx::sim {

inline constexpr int kBoardMemorySize = 2048;
using BoardMemory = std::array<std::uint8_t, kBoardMemorySize>;

// Faults the board can be told to make.
enum class Fault {
    None,
    WrongReadChecksum,  // a read reply with a checksum one off
    ShortReply,         // a read reply cut short
    NoReply,            // a read command left unanswered
    NoAck,              // a write block stored but not acknowledged
    WrongAck,           // a write block answered with a wrong acknowledge code
    HangUpOnRead,       // half a read reply, then the line goes dead
    HangUpOnWrite,      // the line goes dead instead of the acknowledge
};

// A fault and the command it hits: the at-th read command (read faults) or write command
// (write faults), counted from 1; 0 hits every one.
struct FaultPlan {
    Fault fault = Fault::None;
    int at = 0;
};

// Parses "wrong-checksum", "short-reply", "no-reply", "no-ack", "wrong-ack", "hangup-read",
// "hangup-write", optionally followed by "@N".
std::optional<FaultPlan> ParseFault(const std::string& text);

struct BoardOptions {
    // Pager memory at power-up; when not given: zeros, the identification text at 0x3E1 and the
    // GP marker at 0x3F8 when asked for.
    std::optional<BoardMemory> memory;
    std::string identification = DefaultIdentification();
    bool gpMarker = false;
    FaultPlan fault;
};

// Loads up to 2048 bytes of a file into a zeroed memory; nothing when it cannot be read.
std::optional<BoardMemory> LoadMemoryFile(const std::string& path);
bool SaveMemoryFile(const std::string& path, const BoardMemory& memory);

// The programming board's side of the protocol, without any line: bytes in, replies out.
// A damaged command (bad checksum, an address outside the memory, an unknown command) gets no
// answer; bytes before a frame's magic are skipped.
class BoardCore {
  public:
    explicit BoardCore(const BoardOptions& options);

    struct Reply {
        std::vector<std::uint8_t> bytes;
        bool hangUp = false;  // the line dies after these bytes
    };
    std::vector<Reply> Feed(std::span<const std::uint8_t> bytes);

    // A line that has gone quiet ends any half-received command.
    void DropPending() { pending_.clear(); }
    bool HasPending() const { return !pending_.empty(); }

    BoardMemory memory() const { return memory_; }
    void SetMemory(const BoardMemory& memory) { memory_ = memory; }
    // An empty slot: the board still answers its probe, but no memory command.
    void SetPagerPresent(bool present);
    bool PagerPresent() const { return present_; }
    // Pagers read back to their last byte after a write since they went in.
    int verified() const { return verified_; }
    // A simulated operator: takes each pager out a second after it was verified and puts a
    // fresh one (the memory the board powered up with) in a second later. Operate makes the
    // moves due at nowMs and returns the milliseconds until the next one, or -1 for none.
    // Turned on, it takes out only pagers verified from then on; turned off, a pager it took out
    // is put back in at once.
    void SetOperator(bool on);
    int Operate(std::int64_t nowMs);
    void SetFault(FaultPlan plan) { fault_ = plan; }
    int reads() const { return reads_; }
    int writes() const { return writes_; }
    int probes() const { return probes_; }

  private:
    std::optional<Reply> Handle(const std::vector<std::uint8_t>& frame);
    bool FaultHits(bool isWrite, int count) const;

    BoardMemory memory_{};
    FaultPlan fault_;
    std::vector<std::uint8_t> pending_;
    int reads_ = 0;
    int writes_ = 0;
    int probes_ = 0;
    bool present_ = true;
    bool writtenSinceIn_ = false;
    int verified_ = 0;
    bool operator_ = false;
    BoardMemory fresh_{};
    int verifiedSeen_ = 0;
    std::optional<std::int64_t> takeOutAt_;
    std::optional<std::int64_t> putInAt_;
};

}  // namespace kpx::sim
