#include "production/line_board.h"

#include <algorithm>

#include "image/charmap.h"
#include "link/serial_transfers.h"
#include "settings/capcode.h"
#include "support/iso_time.h"
#include "support/sha256.h"

namespace kpx {

namespace {

constexpr const char* kGoneText = "the board is gone; it takes no more pagers";
constexpr const char* kAlreadyProgrammedText = "already programmed";

std::string PairText(const CapcodePair& c) {
    return CapcodeDigits(c[0]) + " " + CapcodeDigits(c[1]);
}

bool HoldsPager(const std::optional<std::vector<std::uint8_t>>& ident) {
    return ident && IdentificationText(*ident).substr(0, 5) == "KPX41";
}

}  // namespace

void ProductionLine::Board::SetState(BoardState state, const std::string& text) {
    {
        std::lock_guard lock(line_.mutex);
        info.state = state;
        info.text = text;
    }
    line_.observer.BoardStateChanged(info.id, state, text);
}

void ProductionLine::Board::WaitChange(std::unique_lock<std::mutex>& lock, int ms) {
    // Every change the board waits for is notified; the time-out only bounds a missed one.
    line_.changed.wait_for(lock, std::chrono::milliseconds(ms));
}

void ProductionLine::Board::Run() {
    bool first = true;
    while (AwaitPager(first)) {
        first = false;
        const auto capcodes = TakeCapcodes();
        if (!capcodes) break;
        Program(*capcodes);
    }
    bool gone;
    {
        std::lock_guard lock(line_.mutex);
        gone = removed || link_->gone();
    }
    if (gone) {
        SetState(BoardState::Gone, kGoneText);
    } else if (info.state != BoardState::Retired) {
        SetState(BoardState::Stopped, "");
    }
    bool last;
    {
        std::lock_guard lock(line_.mutex);
        finished = true;
        last = !line_.over && line_.AllEnded();
        if (last) line_.over = true;
    }
    line_.changed.notify_all();
    if (last) line_.EndSeries();
}

bool ProductionLine::Board::AwaitPager(bool first) {
    if (out_) return false;
    if (line_.settings.swapDetection) return AwaitSwap(first);
    return AwaitNext(!first && !line_.settings.noWait);
}

bool ProductionLine::Board::AwaitNext(bool needNext) {
    SetState(BoardState::WaitingForPager, "");
    for (;;) {
        const bool ledgerOver = line_.ledger.Over();
        std::unique_lock lock(line_.mutex);
        if (MustEnd(ledgerOver)) {
            waitingForNext = false;
            return false;
        }
        if (nextPressed) needNext = false;
        nextPressed = false;
        waitingForNext = needNext;
        if (!needNext && info.enabled && !line_.paused) return true;
        line_.changed.notify_all();  // a round may be over
        WaitChange(lock, 500);
    }
}

bool ProductionLine::Board::ReadyToGo() {
    for (;;) {
        const bool ledgerOver = line_.ledger.Over();
        std::unique_lock lock(line_.mutex);
        if (MustEnd(ledgerOver)) return false;
        if (info.enabled && !line_.paused) return true;
        WaitChange(lock, 500);
    }
}

// The slot is watched: the next pager is taken once the slot was seen empty and then holding
// a pager, each in two polls in a row. At the start a pager already in the slot is taken.
bool ProductionLine::Board::AwaitSwap(bool first) {
    const LineSettings& s = line_.settings;
    bool needEmpty = !first;
    int seen = 0;
    SetState(BoardState::WaitingForPager, "");
    for (;;) {
        const std::int32_t polled = line_.clock.TickMs();
        {
            const bool ledgerOver = line_.ledger.Over();
            std::unique_lock lock(line_.mutex);
            if (MustEnd(ledgerOver)) return false;
            if (nextPressed) {
                nextPressed = false;
                lock.unlock();
                return ReadyToGo();
            }
            if (!info.enabled) {
                seen = 0;
                WaitChange(lock, 500);
                continue;
            }
        }
        const bool present = HoldsPager(link_->Peek(kIdentFirst, kIdentLast, s.pollReplyMs));
        if (link_->gone()) return false;
        seen = present != needEmpty ? seen + 1 : 0;
        if (seen >= 2) {
            seen = 0;
            if (needEmpty) {
                needEmpty = false;
            } else if (lastWritten_ && HoldsLastWritten()) {
                // Only re-seated: writing it again would waste the next capcodes.
                SetState(BoardState::AlreadyProgrammed, kAlreadyProgrammedText);
                needEmpty = true;
            } else {
                return ReadyToGo();
            }
        }
        PollPause(polled);
    }
}

// The rest of the poll period on the line's clock, in short naps: Next or the end of the
// series cut it short.
void ProductionLine::Board::PollPause(std::int32_t polled) {
    constexpr int kNapMs = 50;
    for (;;) {
        const int left = line_.settings.pollPeriodMs - TicksSince(line_.clock, polled);
        if (left <= 0) return;
        {
            std::lock_guard lock(line_.mutex);
            if (nextPressed || MustEnd(false)) return;
        }
        line_.clock.SleepMs(std::min(left, kNapMs));
    }
}

// Block by block, the capcodes' block first: a fresh pager differs there at once.
bool ProductionLine::Board::HoldsLastWritten() {
    const int capcodeBlock = CapcodeAddress(0) / kBlockSize;
    for (int i = 0; i < kImageSize / kBlockSize; ++i) {
        const int block = i == 0 ? capcodeBlock : (i <= capcodeBlock ? i - 1 : i);
        const int first = block * kBlockSize;
        const int last = first + kBlockSize - 1;
        const auto pager = link_->Peek(first, last, line_.settings.pollReplyMs);
        if (!pager || !std::equal(pager->begin() + first, pager->end(),
                                  lastWritten_->bytes().begin() + first)) {
            return false;
        }
    }
    return true;
}

// Nothing when the series is over for this board; while capcodes are under way on other
// boards and none is free, waits: a failed pager gives its capcodes back.
std::optional<CapcodePair> ProductionLine::Board::TakeCapcodes() {
    for (;;) {
        std::uint64_t finishes;
        {
            std::unique_lock lock(line_.mutex);
            if (MustEnd(false)) return std::nullopt;
            // Capcodes given back while the line is paused wait for it to go on: a pause
            // starts no new pager.
            if (line_.paused || !info.enabled) {
                WaitChange(lock, 500);
                continue;
            }
            busy = true;
            finishes = line_.finishes;
        }
        std::string refusal, error;
        const auto capcodes = line_.ledger.Take(info.path, &refusal, &error);
        const bool ledgerOver = capcodes ? false : line_.ledger.Over();
        std::unique_lock lock(line_.mutex);
        if (capcodes) return capcodes;
        busy = false;
        if (!refusal.empty()) line_.refusal = refusal;
        if (!error.empty()) {
            line_.Broken(error, std::nullopt);
            lock.unlock();
            line_.observer.LedgerFailed(error, {});
            lock.lock();
        }
        line_.changed.notify_all();
        if (MustEnd(ledgerOver)) return std::nullopt;
        line_.changed.wait_for(lock, std::chrono::milliseconds(500),
                               [&] { return line_.finishes != finishes || line_.stopping; });
    }
}

void ProductionLine::Board::Program(const CapcodePair& capcodes) {
    SetState(BoardState::Writing, PairText(capcodes));
    for (int k = 0; k < 2; ++k) StoreCapcode(image_, k, capcodes[k]);
    host_.advanced = {};
    written_.reset();
    writtenOk_ = false;
    dialogs_.last.clear();

    // The dialog connects a link that needs it only in the build of that link.
    const bool connected = observed_.Connect();
    if (connected) {
        dialog_.cmdWrite_Click();
    } else {
        line_.observer.LinkUnusable(info.id, link_->WhyNotConnected());
    }
    observed_.Release();
    Record(capcodes, connected && !dialog_.TransferFailed());
}

// The row, the backup and the events of a pager that took `capcodes`.
void ProductionLine::Board::Record(const CapcodePair& capcodes, bool ok) {
    const AutoIncrease a = line_.settings.autoIncrease;
    for (int k = 0; k < 2 && ok; ++k) {
        // The dialog said the capcode cannot go higher: the series ends here.
        if (a.counts(k) && !host_.advanced[k]) line_.ledger.Stop();
    }
    const PagerImage& sent = written_ ? *written_ : image_;
    const PagerOutcome outcome{capcodes, ok, dialogs_.last, Sha256Hex(sent.bytes())};
    std::string error;
    const bool recorded =
        line_.ledger.Finish({IsoTime(WallClock::now()), info.path, capcodes, outcome.sha256,
                             ok ? kResultOk : kResultFailed, outcome.message},
                            &error);
    if (!recorded) {
        {
            std::lock_guard lock(line_.mutex);
            line_.Broken(error, capcodes);
        }
        line_.observer.LedgerFailed(error, {capcodes});
    }
    if (written_ && writtenOk_ && line_.settings.backups) {
        PagerImage decoded = *written_;
        DecodeTextRegions(decoded);
        std::string why;
        if (!line_.settings.backups->Save(decoded, "write", &why)) {
            line_.observer.Notice(info.id, "no backup kept: " + why);
        }
    }
    if (ok) lastWritten_ = written_;
    failuresInRow_ = ok ? 0 : failuresInRow_ + 1;
    {
        std::lock_guard lock(line_.mutex);
        ok ? ++info.done : ++info.failed;
        busy = false;
        ++line_.finishes;
    }
    line_.changed.notify_all();
    if (ok) {
        line_.observer.PagerDone(info.id, outcome);
        SetState(BoardState::Done, PairText(capcodes));
    } else {
        line_.observer.PagerFailed(info.id, outcome);
        SetState(BoardState::Failed, outcome.message);
    }
    if (link_->gone()) {
        out_ = true;
    } else if (failuresInRow_ >= kFailuresInRowLimit) {
        out_ = true;
        SetState(BoardState::Retired, std::to_string(failuresInRow_) +
                                          " pagers failed in a row; it takes no more pagers");
    }
}

}  // namespace kpx
