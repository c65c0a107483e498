#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "image/default_image.h"
#include "production/csv_log.h"
#include "production/production_line.h"
#include "settings/capcode.h"
#include "sim/board_core.h"

namespace kpx {
namespace {

using namespace std::chrono_literals;

// Time ten times faster than the wall clock: the line's waits (the settle of every read block,
// the polls, the simulated operator's pauses) keep their proportions at a tenth of the time.
class FastClock : public Clock {
  public:
    static constexpr int kScale = 10;
    std::int32_t TickMs() override {
        const auto real = std::chrono::steady_clock::now() - start_;
        return static_cast<std::int32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(real).count() * kScale);
    }
    std::optional<std::int64_t> PerfFrequency() override { return std::nullopt; }
    std::int64_t PerfCounter() override { return 0; }
    void SleepMs(int ms) override {
        std::this_thread::sleep_for(std::chrono::microseconds(1000 * ms / kScale));
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A board on the bench: the simulator's board, its cable plugged in or not.
struct BenchBoard {
    explicit BenchBoard(bool operatorSwaps) : core(sim::BoardOptions{}) {
        core.SetOperator(operatorSwaps);
    }
    void Slot(bool present, std::optional<sim::BoardMemory> memory = std::nullopt) {
        std::lock_guard lock(mutex);
        if (memory) core.SetMemory(*memory);
        core.SetPagerPresent(present);
    }
    int writes() {
        std::lock_guard lock(mutex);
        return core.writes();
    }

    std::mutex mutex;
    sim::BoardCore core;
    bool unplugged = false;
    int emptyPolls = 0;  // memory commands sent to an empty slot
    // Under the lock, after each command written: a fault the test injects.
    std::function<void(BenchBoard&)> afterCommand;
};

// The board's line: replies are there as soon as the command is written.
class BenchPort : public SerialPort {
  public:
    BenchPort(BenchBoard& board, Clock& clock) : board_(board), clock_(clock) {}

    int sio_open(int) override {
        return Locked([&] { return (open_ = Up()) ? 0 : -1; });
    }
    int sio_ioctl(int, int, int) override {
        return Locked([&] { return Usable() ? 0 : -1; });
    }
    int sio_flush(int, int) override {
        return Locked([&] {
            input_.clear();
            return Usable() ? 0 : -1;
        });
    }
    int sio_lstatus(int) override {
        return Locked([&] { return Usable() ? 0 : -1; });
    }
    int sio_iqueue(int) override {
        return Locked([&] {
            board_.core.Operate(clock_.TickMs());
            return Usable() ? static_cast<int>(input_.size()) : -1;
        });
    }
    int sio_read(int, std::uint8_t* buffer, int len) override {
        return Locked([&] {
            int n = 0;
            for (; Usable() && n < len && !input_.empty(); ++n) {
                buffer[n] = input_.front();
                input_.pop_front();
            }
            return Usable() ? n : -1;
        });
    }
    int sio_write(int, const std::uint8_t* buffer, int len) override {
        return Locked([&] {
            if (!Usable()) return -1;
            board_.core.Operate(clock_.TickMs());
            if (!board_.core.PagerPresent()) ++board_.emptyPolls;
            for (const auto& reply :
                 board_.core.Feed(std::span(buffer, static_cast<std::size_t>(len)))) {
                input_.insert(input_.end(), reply.bytes.begin(), reply.bytes.end());
                if (reply.hangUp) board_.unplugged = true;
            }
            if (board_.afterCommand) board_.afterCommand(board_);
            return len;
        });
    }
    int sio_getch(int) override { return kNoByte; }
    int sio_close(int) override {
        return Locked([&] {
            open_ = false;
            return Up() ? 0 : -1;
        });
    }
    bool WaitInput(int, int minBytes, int) override {
        return Locked([&] { return static_cast<int>(input_.size()) >= minBytes; });
    }

  private:
    template <class F>
    int Locked(F f) {
        std::lock_guard lock(board_.mutex);
        return f();
    }
    bool Up() const { return !board_.unplugged; }
    bool Usable() const { return open_ && Up(); }

    BenchBoard& board_;
    Clock& clock_;
    bool open_ = false;
    std::deque<std::uint8_t> input_;
};

// A log in memory that fails from its n-th row on, as a full disk does.
class MemoryLog : public AppendFile {
  public:
    MemoryLog(std::string& text, int failAt) : text_(text), failAt_(failAt) {}
    bool Append(std::string_view text, std::string* error) override {
        if (++rows_ == failAt_ || (failAt_ && rows_ > failAt_)) {
            *error = "No space left on device";
            return false;
        }
        text_.append(text);
        return true;
    }

  private:
    std::string& text_;
    int failAt_;
    int rows_ = 0;
};

// What the line told, and a way to wait for it.
class Recorder : public LineObserver {
  public:
    void BoardStateChanged(BoardId b, BoardState s, const std::string& text) override {
        Note([&] {
            states[b].push_back(s);
            texts[b].push_back(text);
        });
    }
    void PagerDone(BoardId b, const PagerOutcome& o) override {
        Note([&] { pagers.push_back({b, o}); });
    }
    void PagerFailed(BoardId b, const PagerOutcome& o) override {
        Note([&] { pagers.push_back({b, o}); });
    }
    void LedgerFailed(const std::string& message, const std::vector<CapcodePair>& c) override {
        Note([&] { failures.push_back({message, c}); });
    }
    void SeriesOver(const SeriesEnd& e) override {
        Note([&] { end = e; });
    }

    // True once pred holds (read under the recorder's lock); false after 30 s.
    bool Until(const std::function<bool()>& pred) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 30s, pred);
    }
    int Count(BoardId b, BoardState s) {
        return static_cast<int>(std::count(states[b].begin(), states[b].end(), s));
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::map<BoardId, std::vector<BoardState>> states;
    std::map<BoardId, std::vector<std::string>> texts;
    std::vector<std::pair<BoardId, PagerOutcome>> pagers;
    std::vector<std::pair<std::string, std::vector<CapcodePair>>> failures;
    std::optional<SeriesEnd> end;

  private:
    template <class F>
    void Note(F f) {
        {
            std::lock_guard lock(mutex);
            f();
        }
        changed.notify_all();
    }
};

// A line of bench boards on a CSV log in memory, counting capcode 1 up from 100.
struct LineRig {
    LineRig(int boardCount, LineSettings s, bool operatorSwaps, int failRowAt = 0) {
        PagerImage image = BuildDefaultImage();
        StoreCapcode(image, 0, 100);
        StoreCapcode(image, 1, 42);
        s.autoIncrease = {true, false};
        const SeriesRequest request{{100, 42}, s.autoIncrease, s.count, false};
        ledger = std::make_unique<CsvLog>("runs.csv", std::make_unique<MemoryLog>(log, failRowAt),
                                          request.fromFile, request, std::vector<LogRow>{});
        for (int i = 0; i < boardCount; ++i) {
            boards.push_back(std::make_unique<BenchBoard>(operatorSwaps));
        }
        auto ports = [this](const std::string& path) {
            return BoardPort{std::make_unique<BenchPort>(*boards[std::stoul(path)], clock), 1, {}};
        };
        line = std::make_unique<ProductionLine>(image, s, *ledger, seen, ports, clock);
        for (int i = 0; i < boardCount; ++i)
            line->AddBoard(std::to_string(i), "COM" + std::to_string(i + 1));
    }

    // Capcode 1 of the log's rows with that result, in the log's order.
    std::vector<int> Logged(const std::string& result) {
        std::istringstream text(log);
        std::vector<int> capcodes;
        for (const LogRow& row : ParseLog(text)) {
            if (row.result == result) capcodes.push_back(row.capcodes[0]);
        }
        return capcodes;
    }
    // Waits for the engine to poll an empty slot twice: it has seen the pager gone.
    void AwaitEmptySeen(BenchBoard& board) {
        int from;
        {
            std::lock_guard lock(board.mutex);
            from = board.emptyPolls;
        }
        for (int i = 0; i < 3000; ++i) {
            {
                std::lock_guard lock(board.mutex);
                if (board.emptyPolls >= from + 2) return;
            }
            std::this_thread::sleep_for(5ms);
        }
        ADD_FAILURE() << "the slot was not polled";
    }

    FastClock clock;
    std::string log;
    std::vector<std::unique_ptr<BenchBoard>> boards;
    std::unique_ptr<CsvLog> ledger;
    Recorder seen;
    std::unique_ptr<ProductionLine> line;
};

std::vector<int> Range(int from, int count) {
    std::vector<int> r(count);
    for (int i = 0; i < count; ++i) r[i] = from + i;
    return r;
}

LineSettings Swapping(int count) {
    LineSettings s;
    s.count = count;
    s.swapDetection = true;
    return s;
}

LineSettings Straight(int count) {
    LineSettings s;
    s.count = count;
    s.swapDetection = false;
    s.noWait = true;
    return s;
}

TEST(ProductionLine, ProgramsASeriesOverSeveralBoardsAsTheOperatorSwapsPagers) {
    LineRig rig(3, Swapping(7), true);
    rig.line->Start();
    const SeriesEnd end = rig.line->Wait();
    EXPECT_EQ(end.reason, SeriesEndReason::Finished);
    EXPECT_EQ(end.done, 7);
    EXPECT_EQ(end.failed, 0);
    // Each capcode once, in one unbroken run, though three boards took them.
    std::vector<int> ok = rig.Logged("ok");
    std::sort(ok.begin(), ok.end());
    EXPECT_EQ(ok, Range(100, 7));
    int perBoard = 0;
    for (const BoardInfo& b : rig.line->Boards()) {
        EXPECT_GE(b.done, 1) << b.name;
        EXPECT_EQ(b.state, BoardState::Stopped) << b.name;
        perBoard += b.done;
    }
    EXPECT_EQ(perBoard, 7);
    // Every pager was written once: 8 blocks each.
    int writes = 0;
    for (auto& b : rig.boards) writes += b->writes();
    EXPECT_EQ(writes, 7 * 8);
    const LineTotals totals = rig.line->Totals();
    EXPECT_EQ(totals.left, 0);
    EXPECT_EQ(totals.next, (CapcodePair{107, 42}));
}

// A pager that is only re-seated holds what the board just wrote: it is not written again. A
// factory pager with the file's own capcodes is not taken for it, and Next needs no swap.
TEST(ProductionLine, APagerLeftInItsSlotIsNotWrittenTwice) {
    LineRig rig(1, Swapping(3), false);
    BenchBoard& board = *rig.boards[0];
    const sim::BoardMemory factory = board.core.memory();
    rig.line->Start();
    ASSERT_TRUE(rig.seen.Until([&] { return rig.seen.pagers.size() == 1; }));

    board.Slot(false);
    rig.AwaitEmptySeen(board);
    board.Slot(true);
    ASSERT_TRUE(
        rig.seen.Until([&] { return rig.seen.Count(0, BoardState::AlreadyProgrammed) == 1; }));
    EXPECT_EQ(rig.seen.texts[0].back(), "already programmed");
    EXPECT_EQ(board.writes(), 8);

    ImageBytes bytes;
    std::copy_n(factory.begin(), kImageSize, bytes.begin());
    PagerImage fromFactory(bytes);
    StoreCapcode(fromFactory, 0, 100);
    StoreCapcode(fromFactory, 1, 42);
    sim::BoardMemory memory = factory;
    std::copy(fromFactory.bytes().begin(), fromFactory.bytes().end(), memory.begin());
    board.Slot(false);
    rig.AwaitEmptySeen(board);
    board.Slot(true, memory);
    ASSERT_TRUE(rig.seen.Until([&] { return rig.seen.pagers.size() == 2; }));

    rig.line->Next(0);
    const SeriesEnd end = rig.line->Wait();
    EXPECT_EQ(end.done, 3);
    EXPECT_EQ(rig.Logged("ok"), Range(100, 3));
    EXPECT_EQ(board.writes(), 3 * 8);
}

// The pager pulled in the middle of its write fails and gives its capcodes back; the board
// waits for the next pager, which gets them.
TEST(ProductionLine, APagerPulledInTheMiddleOfAWriteFailsAndItsCapcodesGoBack) {
    LineRig rig(1, Swapping(1), false);
    BenchBoard& board = *rig.boards[0];
    board.afterCommand = [pulled = false](BenchBoard& b) mutable {
        if (b.core.writes() == 3 && !pulled) b.core.SetPagerPresent(false);
        pulled = pulled || b.core.writes() == 3;
    };
    rig.line->Start();
    ASSERT_TRUE(rig.seen.Until([&] { return rig.seen.pagers.size() == 1; }));
    EXPECT_FALSE(rig.seen.pagers[0].second.ok);
    EXPECT_EQ(rig.seen.pagers[0].second.message, "Write error!");
    rig.AwaitEmptySeen(board);
    board.Slot(true);
    const SeriesEnd end = rig.line->Wait();
    EXPECT_EQ(end.done, 1);
    EXPECT_EQ(end.failed, 1);
    EXPECT_EQ(rig.Logged("failed"), std::vector<int>{100});
    EXPECT_EQ(rig.Logged("ok"), std::vector<int>{100});
}

// A board unplugged during a write fails that pager and is gone; a board taken away by the
// window (its cable no longer listed) finishes the pager under way. The other board goes on.
TEST(ProductionLine, ABoardThatIsGoneTakesNoMorePagersAndTheSeriesGoesOn) {
    for (const bool unplug : {true, false}) {
        LineRig rig(2, Straight(6), false);
        BenchBoard& leaving = *rig.boards[1];
        leaving.afterCommand = [unplug](BenchBoard& b) {
            if (unplug && b.core.writes() == 10) b.unplugged = true;
        };
        rig.line->Start();
        if (!unplug) {
            ASSERT_TRUE(
                rig.seen.Until([&] { return rig.seen.Count(1, BoardState::Writing) == 2; }));
            rig.line->RemoveBoard(1);
        }
        const SeriesEnd end = rig.line->Wait();
        EXPECT_EQ(end.reason, SeriesEndReason::Finished) << unplug;
        EXPECT_EQ(end.done, 6) << unplug;
        const BoardInfo gone = rig.line->Boards()[1];
        EXPECT_EQ(gone.state, BoardState::Gone) << unplug;
        EXPECT_EQ(gone.text, "the board is gone; it takes no more pagers");
        EXPECT_EQ(gone.done, unplug ? 1 : 2) << unplug;
        EXPECT_EQ(gone.failed, unplug ? 1 : 0) << unplug;
        std::vector<int> ok = rig.Logged("ok");
        std::sort(ok.begin(), ok.end());
        EXPECT_EQ(ok, Range(100, 6)) << unplug;
    }
}

// A pause lets the pagers under way finish and starts no new one until the line goes on.
TEST(ProductionLine, APauseFinishesThePagersUnderWayAndStartsNoNewOne) {
    LineRig rig(2, Straight(6), false);
    auto started = [&] { return rig.seen.Count(0, BoardState::Writing) +
                                rig.seen.Count(1, BoardState::Writing); };
    rig.line->Start();
    ASSERT_TRUE(rig.seen.Until([&] { return !rig.seen.pagers.empty(); }));
    rig.line->Pause();
    ASSERT_TRUE(rig.seen.Until([&] { return started() == int(rig.seen.pagers.size()); }));
    std::this_thread::sleep_for(200ms);  // two seconds on the line's clock
    {
        std::lock_guard lock(rig.seen.mutex);
        EXPECT_EQ(started(), int(rig.seen.pagers.size()));
        EXPECT_LT(started(), 6);
    }
    rig.line->Resume();
    const SeriesEnd end = rig.line->Wait();
    EXPECT_EQ(end.done, 6);
    EXPECT_EQ(rig.Logged("ok").size(), 6u);
}

// A log that cannot take a row stops the line with its own message, and the capcodes of
// unknown state are named in the events.
TEST(ProductionLine, ALogThatCannotBeWrittenStopsTheLine) {
    LineRig rig(2, Straight(8), false, 3);
    rig.line->Start();
    const SeriesEnd end = rig.line->Wait();
    EXPECT_EQ(end.reason, SeriesEndReason::LedgerFailed);
    // The other board's pager under way may have failed to get its row too.
    ASSERT_GE(rig.seen.failures.size(), 1u);
    std::vector<CapcodePair> told;
    for (const auto& f : rig.seen.failures)
        told.insert(told.end(), f.second.begin(), f.second.end());
    EXPECT_EQ(end.unknown, told);
    const auto& [message, unknown] = rig.seen.failures[0];
    ASSERT_EQ(unknown.size(), 1u);
    EXPECT_EQ(message, "runs.csv: cannot be written: No space left on device; capcodes " +
                           CapcodeDigits(unknown[0][0]) +
                           " 0000042 (ok) are missing from it or cut short; the series stops");
    EXPECT_EQ(end.message, message);
    // The other board's pager under way finished; no pager started after the failure.
    EXPECT_LE(end.done + end.failed, 4);
    EXPECT_EQ(rig.Logged("ok").size(), 2u);
}

}  // namespace
}  // namespace kpx
