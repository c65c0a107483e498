#include "production/production_line.h"

#include <algorithm>

#include "production/line_board.h"
#include "production/serial_board_link.h"

namespace kpx {

double PerHour(int done, SteadyTime::time_point since) {
    const double hours = std::chrono::duration<double>(SteadyTime::now() - since).count() / 3600.0;
    return hours > 0 ? done / hours : 0.0;
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
    // A Next during a pager would take the same pager again right after it.
    if (Board* b = Find(board); b && !b->busy) {
        b->nextPressed = true;
        // Said at once, so that the round just begun is not taken for over.
        b->waitingForNext = false;
    }
    shared_->changed.notify_all();
}

void ProductionLine::NextAll() {
    std::lock_guard lock(shared_->mutex);
    for (auto& b : shared_->boards) {
        if (!b || b->busy) continue;
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
