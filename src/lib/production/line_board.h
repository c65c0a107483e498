#pragma once

// The inside of the production line: what its boards share and one board. Only the line's own
// files include this.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "image/charmap.h"
#include "link/observed_transfers.h"
#include "link/programming_dialog.h"
#include "production/production_line.h"

namespace kpx {

using SteadyTime = std::chrono::steady_clock;

// Pagers per hour of `done` pagers since a moment.
double PerHour(int done, SteadyTime::time_point since);

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
    void PollPause(std::int32_t polled);
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

}  // namespace kpx
