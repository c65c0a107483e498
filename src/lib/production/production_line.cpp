#include "production/production_line.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "image/charmap.h"
#include "link/observed_transfers.h"
#include "link/programming_dialog.h"
#include "link/serial_transfers.h"
#include "production/serial_board_link.h"
#include "settings/capcode.h"
#include "support/iso_time.h"
#include "support/sha256.h"

namespace kpx {

namespace {

using SteadyTime = std::chrono::steady_clock;

constexpr const char* kGoneText = "the board is gone; it takes no more pagers";
constexpr const char* kAlreadyProgrammedText = "already programmed";

std::string PairText(const CapcodePair& c) {
    return CapcodeDigits(c[0]) + " " + CapcodeDigits(c[1]);
}

bool HoldsPager(const std::optional<std::vector<std::uint8_t>>& ident) {
    return ident && IdentificationText(*ident).substr(0, 5) == "KPX41";
}

double PerHour(int done, SteadyTime::time_point since) {
    const double hours = std::chrono::duration<double>(SteadyTime::now() - since).count() / 3600.0;
    return hours > 0 ? done / hours : 0.0;
}

}  // namespace

struct ProductionLine::Shared {
    Shared(const PagerImage& i, const LineSettings& s, CapcodeLedger& l, LineObserver& o,
           BoardPortFactory p, Clock& c)
        : image(i), settings(s), ledger(l), observer(o), ports(std::move(p)), clock(c) {
        // The pager holds its texts in its own character set.
        EncodeTextRegions(image);
    }

    // Locked. Whether the boards take no new pager (ledgerOver: the ledger's Over(), asked
    // before locking, as a shared ledger may take its time).
    bool Ending(bool ledgerOver) const { return ledgerOver || stopping || broken; }
    // Locked. The ledger failed: no more pagers.
    void Broken(const std::string& message, const std::optional<CapcodePair>& lost) {
        if (!broken) failure = message;
        broken = true;
        if (lost) unknown.push_back(*lost);
    }
    // Locked. Every board that ran has ended.
    bool AllEnded() const;
    // Called once every board has ended (or none was there): the end, told once.
    void EndSeries();

    PagerImage image;
    LineSettings settings;
    CapcodeLedger& ledger;
    LineObserver& observer;
    BoardPortFactory ports;
    Clock& clock;

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool paused = false;
    bool stopping = false;
    bool broken = false;
    bool over = false;
    std::uint64_t finishes = 0;  // pagers finished: capcodes may have come back
    bool ended = false;          // `end` holds the series' end
    std::string refusal;
    std::string failure;  // the ledger's first failure
    std::vector<CapcodePair> unknown;
    SteadyTime::time_point began;
    SeriesEnd end;
    std::vector<std::unique_ptr<Board>> boards;
};

// One board: its thread, its link and its programming dialog, sharing only the line.
class ProductionLine::Board {
  public:
    Board(Shared& line, BoardId id, const std::string& path, const std::string& name,
          const BoardLinkFactory& makeLink)
        : line_(line),
          dialogs_(*this),
          view_(*this),
          image_(line.image),
          host_(image_, line.settings.bandRow),
          link_(makeLink(dialogs_, host_)),
          observed_(link_->transfers()),
          dialog_(observed_, &observed_, host_, dialogs_, image_, view_) {
        info.id = id;
        info.path = path;
        info.name = name.empty() ? path : name;
        observed_.afterWrite = [this](const PagerImage& written, bool ok) {
            written_ = written;
            writtenOk_ = ok;
        };
        const AutoIncrease a = line.settings.autoIncrease;
        dialog_.Form_Activate(kOperationWrite, a.first, a.second);
    }
    ~Board() {
        if (thread_.joinable()) thread_.join();
    }

    // Locked by the line.
    void Launch() {
        launched = true;
        thread_ = std::thread([this] { Run(); });
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    // Guarded by the line's mutex.
    BoardInfo info;
    bool launched = false;
    bool finished = false;  // its thread has ended
    bool removed = false;
    bool nextPressed = false;
    bool waitingForNext = false;
    bool busy = false;

  private:
    // The dialog's message boxes: told to the observer; a question gets the series' answer.
    class Dialogs : public UserDialogs {
      public:
        explicit Dialogs(Board& board) : board_(board) {}
        DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon) override {
            const DialogAnswer answer = buttons == DialogButtons::Ok        ? DialogAnswer::Ok
                                        : board_.line_.settings.gpAnswerYes ? DialogAnswer::Yes
                                                                            : DialogAnswer::No;
            last = text;
            board_.line_.observer.BoardMessage(board_.info.id, text, buttons, answer);
            return answer;
        }
        std::string last;

      private:
        Board& board_;
    };

    // The dialog's progress bar; its colour tells the write from the verify.
    class View : public ProgrammingDialogView {
      public:
        explicit View(Board& board) : board_(board) {}
        void SetProgressMax(int m) override { max_ = m; }
        void SetProgressValue(int v) override {
            board_.line_.observer.Progress(board_.info.id, v, max_);
        }
        void SetProgressColour(ProgressColour c) override {
            if (c == ProgressColour::Purple) board_.SetState(BoardState::Verifying, "");
        }
        void SetStatus(const std::string&) override {}
        void ShowAutoLabel(int, bool) override {}
        void SetAutoLabelText(int, const std::string&) override {}
        void ShowWriteButtons() override {}
        void SetButtonsEnabled(bool) override {}
        void CloseDialog() override {}

      private:
        Board& board_;
        int max_ = 0;
    };

    void Run();
    bool AwaitPager(bool first);
    bool AwaitNext(bool needNext);
    bool AwaitSwap(bool first);
    // After a pager was seen or Next pressed: waits while the line is paused.
    bool ReadyToGo();
    bool HoldsLastWritten();
    std::optional<CapcodePair> TakeCapcodes();
    void Program(const CapcodePair& capcodes);
    void Record(const CapcodePair& capcodes, bool ok);
    void SetState(BoardState state, const std::string& text);
    // Locked. Whether this board takes no new pager.
    bool MustEnd(bool ledgerOver) const {
        return line_.Ending(ledgerOver) || removed || out_ || line_.over;
    }
    void WaitChange(std::unique_lock<std::mutex>& lock, int ms);

    Shared& line_;
    Dialogs dialogs_;
    View view_;
    PagerImage image_;
    LineHost host_;
    std::unique_ptr<BoardLink> link_;
    ObservedTransfers observed_;
    ProgrammingDialog dialog_;
    std::optional<PagerImage> written_;
    bool writtenOk_ = false;
    std::optional<PagerImage> lastWritten_;  // the last pager this board wrote and verified
    int failuresInRow_ = 0;
    bool out_ = false;  // gone or retired: set on its own thread only
    std::thread thread_;
};

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
        const auto polled = SteadyTime::now();
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
        std::unique_lock lock(line_.mutex);
        line_.changed.wait_until(lock, polled + std::chrono::milliseconds(s.pollPeriodMs));
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
            std::lock_guard lock(line_.mutex);
            if (MustEnd(false)) return std::nullopt;
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

ProductionLine::ProductionLine(const PagerImage& image, const LineSettings& settings,
                               CapcodeLedger& ledger, LineObserver& observer,
                               BoardPortFactory ports, Clock& clock)
    : shared_(
          std::make_unique<Shared>(image, settings, ledger, observer, std::move(ports), clock)) {}

ProductionLine::~ProductionLine() {
    Stop();
    for (auto& board : shared_->boards) board->Join();
}

BoardId ProductionLine::AddBoard(const std::string& path, const std::string& name) {
    Shared& s = *shared_;
    return AddBoard(path, name, [&s, path](UserDialogs& dialogs, LinkHost& host) {
        return std::make_unique<SerialBoardLink>(s.ports(path), s.clock, dialogs, host);
    });
}

BoardId ProductionLine::AddBoard(const std::string& path, const std::string& name,
                                 BoardLinkFactory link) {
    BoardId id;
    {
        std::lock_guard lock(shared_->mutex);
        id = static_cast<BoardId>(shared_->boards.size());
        shared_->boards.emplace_back();  // the number is taken
    }
    // Made outside the lock: the link's dialog may already tell the observer something.
    auto board = std::make_unique<Board>(*shared_, id, path, name, link);
    std::lock_guard lock(shared_->mutex);
    shared_->boards[id] = std::move(board);
    if (shared_->started && !shared_->over) shared_->boards[id]->Launch();
    return id;
}

bool ProductionLine::Shared::AllEnded() const {
    return std::all_of(boards.begin(), boards.end(),
                       [](const auto& b) { return !b || !b->launched || b->finished; });
}

void ProductionLine::Shared::EndSeries() {
    SeriesEnd e;
    e.done = ledger.done();
    e.failed = ledger.failed();
    const bool ledgerOver = ledger.Over();
    {
        std::lock_guard lock(mutex);
        e.unknown = unknown;
        e.refusal = refusal;
        e.pagersPerHour = PerHour(e.done, began);
        if (broken) {
            e.reason = SeriesEndReason::LedgerFailed;
            e.message = failure;
        } else if (!refusal.empty()) {
            e.reason = SeriesEndReason::Refused;
            e.message = refusal;
        } else if (ledgerOver) {
            e.reason = SeriesEndReason::Finished;
        } else {
            e.reason = stopping ? SeriesEndReason::Stopped : SeriesEndReason::NoBoards;
        }
        end = e;
        ended = true;
    }
    changed.notify_all();
    observer.SeriesOver(e);
}

// Locked: the board of a number, or nothing.
ProductionLine::Board* ProductionLine::Find(BoardId board) const {
    const auto& boards = shared_->boards;
    return board >= 0 && board < static_cast<BoardId>(boards.size()) ? boards[board].get()
                                                                     : nullptr;
}

void ProductionLine::RemoveBoard(BoardId board) {
    std::lock_guard lock(shared_->mutex);
    if (Board* b = Find(board)) b->removed = true;
    shared_->changed.notify_all();
}

void ProductionLine::SetBoardEnabled(BoardId board, bool enabled) {
    std::lock_guard lock(shared_->mutex);
    if (Board* b = Find(board)) b->info.enabled = enabled;
    shared_->changed.notify_all();
}

void ProductionLine::Start() {
    bool none;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->started) return;
        shared_->started = true;
        shared_->began = SteadyTime::now();
        for (auto& b : shared_->boards) {
            if (b) b->Launch();
        }
        none = shared_->AllEnded() && std::none_of(shared_->boards.begin(), shared_->boards.end(),
                                                   [](const auto& b) { return b != nullptr; });
        if (none) shared_->over = true;
    }
    if (none) shared_->EndSeries();
}

void ProductionLine::Pause() {
    std::lock_guard lock(shared_->mutex);
    shared_->paused = true;
}

void ProductionLine::Resume() {
    std::lock_guard lock(shared_->mutex);
    shared_->paused = false;
    shared_->changed.notify_all();
}

void ProductionLine::Stop() {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->changed.notify_all();
}

void ProductionLine::Next(BoardId board) {
    std::lock_guard lock(shared_->mutex);
    if (Board* b = Find(board)) {
        b->nextPressed = true;
        // Said at once, so that the round just begun is not taken for over.
        b->waitingForNext = false;
    }
    shared_->changed.notify_all();
}

void ProductionLine::NextAll() {
    std::lock_guard lock(shared_->mutex);
    for (auto& b : shared_->boards) {
        if (!b) continue;
        b->nextPressed = true;
        b->waitingForNext = false;
    }
    shared_->changed.notify_all();
}

SeriesEnd ProductionLine::Wait() {
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [this] { return shared_->ended || !shared_->started; });
    return shared_->end;
}

bool ProductionLine::WaitForOperator() {
    std::unique_lock lock(shared_->mutex);
    for (;;) {
        const auto& boards = shared_->boards;
        const bool round = std::any_of(boards.begin(), boards.end(),
                                       [](const auto& b) { return b && b->waitingForNext; });
        const bool allWait = std::all_of(boards.begin(), boards.end(), [](const auto& b) {
            return !b || !b->launched || b->finished || b->waitingForNext || !b->info.enabled;
        });
        if (shared_->ended || !shared_->started) return false;
        if (round && allWait) {
            // A round that ended the series is no round: its boards are about to stop.
            lock.unlock();
            const bool ledgerOver = shared_->ledger.Over();
            lock.lock();
            if (!ledgerOver && !shared_->stopping && !shared_->broken) return true;
        }
        shared_->changed.wait_for(lock, std::chrono::milliseconds(500));
    }
}

bool ProductionLine::Running() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->started && !shared_->ended;
}

bool ProductionLine::Paused() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->paused;
}

bool ProductionLine::Over() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->ended;
}

std::vector<BoardInfo> ProductionLine::Boards() const {
    std::lock_guard lock(shared_->mutex);
    std::vector<BoardInfo> infos;
    for (const auto& b : shared_->boards) {
        if (b) infos.push_back(b->info);
    }
    return infos;
}

LineTotals ProductionLine::Totals() const {
    LineTotals t;
    t.done = shared_->ledger.done();
    t.failed = shared_->ledger.failed();
    t.next = shared_->ledger.NextCapcodes();
    const int count = shared_->settings.count;
    if (count > 0) t.left = std::max(0, count - t.done);
    std::lock_guard lock(shared_->mutex);
    for (const auto& b : shared_->boards) {
        if (b && b->busy) ++t.underWay;
    }
    if (shared_->started) t.pagersPerHour = PerHour(t.done, shared_->began);
    return t;
}

}  // namespace kpx
