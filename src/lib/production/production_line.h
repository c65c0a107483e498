#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "link/link_host.h"
#include "link/pager_transfers.h"
#include "link/serial_port.h"
#include "production/backups.h"
#include "production/ledger.h"
#include "support/user_dialogs.h"
#include "timing/clock.h"

namespace kpx {

// The production line: a series of pagers programmed on one or several boards at once, each
// board on a thread of its own, the capcodes taken from a ledger. The command line and the
// window's station are two shells over it: they add boards, press its controls and show what
// its observer hears.

// A board of the line, numbered in the order it was added; a number is never used again.
using BoardId = int;
// What an event that concerns the whole line (not one board) carries as its board.
inline constexpr BoardId kNoBoard = -1;

// A board that fails this many pagers in a row is taken out of the series: it needs a look.
inline constexpr int kFailuresInRowLimit = 3;

enum class BoardState {
    Idle,               // not started, or left out of the series by the user
    WaitingForPager,    // waiting for a pager in its slot, or for Next
    Writing,            // a pager is being written
    Verifying,          // the pager just written is read back
    Done,               // the last pager was programmed; the text names its capcodes
    AlreadyProgrammed,  // the pager in the slot is the one this board just programmed
    Failed,             // the last pager failed; the text is its message
    Retired,            // failed too many pagers in a row: takes no more
    Gone,               // unplugged or its port lost: takes no more
    Stopped,            // the series is over for this board
};

struct LineSettings {
    AutoIncrease autoIncrease;
    // Pagers of the series; 0 for no end.
    int count = 0;
    // The board watches its slot and takes the next pager when one was swapped in; without it
    // the board waits for Next (or goes straight on with noWait).
    bool swapDetection = true;
    // Without swap detection: the next pager at once, without waiting for Next.
    bool noWait = false;
    // The answer to the GP(RoHS) question, given once for the whole series.
    bool gpAnswerYes = false;
    // The band list's row of the file (decides the GP(RoHS) question).
    int bandRow = 0;
    // Where every written image is kept; nothing for no backups.
    BackupStore* backups = nullptr;
    // How long a slot poll waits for its reply, and the time between polls.
    int pollReplyMs = 250;
    int pollPeriodMs = 400;
};

// One pager's outcome.
struct PagerOutcome {
    CapcodePair capcodes{};
    bool ok = false;
    // The last message the programming gave ("Verify Success!", "Write error!", ...).
    std::string message;
    // SHA-256 of the 1024 bytes sent, as the ledger's row has it.
    std::string sha256;
};

enum class SeriesEndReason {
    Finished,      // every pager of the count programmed, or no capcode left to hand out
    Refused,       // the next capcode is already written in the ledger
    LedgerFailed,  // the ledger could not hand out or record: the station stops
    NoBoards,      // no board left that takes pagers
    Stopped,       // the user stopped the series
};

struct SeriesEnd {
    SeriesEndReason reason = SeriesEndReason::Finished;
    // Why, for a refusal or a ledger that failed (the ledger's or the log's own message).
    std::string message;
    // Capcodes handed out whose pagers have no row: written or not, nobody knows.
    std::vector<CapcodePair> unknown;
    // Why the ledger refused the next capcodes, when it did (also with another reason).
    std::string refusal;
    int done = 0;
    int failed = 0;
    double pagersPerHour = 0;
};

// What the line tells its shell. Called from the boards' threads (and from the thread that
// calls the line's controls), never with the line's lock held: implementations must be
// thread-safe; they may read Boards() and Totals().
class LineObserver {
  public:
    virtual ~LineObserver() = default;
    virtual void BoardStateChanged(BoardId, BoardState, const std::string& /*text*/) {}
    // The write's or verify's progress bar.
    virtual void Progress(BoardId, int /*position*/, int /*maximum*/) {}
    // A message box the programming dialog would have shown for this board, with the answer
    // the line gave to a question.
    virtual void BoardMessage(BoardId, const std::string& /*text*/, DialogButtons, DialogAnswer) {}
    // A note that is no message box of the dialog: a backup that could not be kept.
    virtual void Notice(BoardId, const std::string& /*text*/) {}
    // Why the board's link could not be used for a pager (its own words, a whole line).
    virtual void LinkUnusable(BoardId, const std::string& /*why*/) {}
    virtual void PagerDone(BoardId, const PagerOutcome&) {}
    virtual void PagerFailed(BoardId, const PagerOutcome&) {}
    // The ledger failed: the line takes no more pagers. Told at each failure, at once (pagers
    // under way still finish), with the capcodes of unknown state that failure left.
    virtual void LedgerFailed(const std::string& /*message*/,
                              const std::vector<CapcodePair>& /*unknown*/) {}
    // The series is over: every board has stopped. Told once.
    virtual void SeriesOver(const SeriesEnd&) {}
};

// The link one board programs over, built for each board by the line or by its shell.
class BoardLink {
  public:
    virtual ~BoardLink() = default;
    virtual PagerTransfers& transfers() = 0;
    // The board was unplugged, or its port lost: it takes no more pagers.
    virtual bool gone() const = 0;
    // Why the link could not be connected, when it says more than its message boxes did.
    virtual std::string WhyNotConnected() const { return ""; }
    // Reads the pager's bytes first..last quietly: no message box, nothing written, a short
    // wait for the reply. Nothing when no pager answered (or the link cannot poll).
    virtual std::optional<std::vector<std::uint8_t>> Peek(int /*first*/, int /*last*/,
                                                          int /*replyMs*/) {
        return std::nullopt;
    }
};
using BoardLinkFactory =
    std::function<std::unique_ptr<BoardLink>(UserDialogs& dialogs, LinkHost& host)>;

// A serial board's own port: each board gets one, so that boards run on threads of their own.
struct BoardPort {
    std::unique_ptr<SerialPort> port;
    // The number `port` opens the board's device by.
    int com = -1;
    // What `port` wraps (a traced port over the machine's), kept as long as it.
    std::unique_ptr<SerialPort> under;
};
// Makes the port of the board at a device path (the machine's tty, a simulator's pty).
using BoardPortFactory = std::function<BoardPort(const std::string& path)>;

struct BoardInfo {
    BoardId id = kNoBoard;
    std::string path;  // what the ledger's rows name as the port
    std::string name;  // what the user sees ("COM3"), the path when none was given
    BoardState state = BoardState::Idle;
    std::string text;
    bool enabled = true;
    int done = 0;
    int failed = 0;
};

struct LineTotals {
    int done = 0;
    int failed = 0;
    // Pagers still to program; nothing for a series without end.
    std::optional<int> left;
    int underWay = 0;
    // The capcodes the next new pager takes, when the ledger can tell.
    std::optional<CapcodePair> next;
    double pagersPerHour = 0;
};

class ProductionLine {
  public:
    // `image` as the window opens it (PC characters); every pager gets these bytes with its
    // capcodes. The ledger, observer, port factory and clock outlive the line.
    ProductionLine(const PagerImage& image, const LineSettings& settings, CapcodeLedger& ledger,
                   LineObserver& observer, BoardPortFactory ports, Clock& clock);
    ~ProductionLine();  // stops the series and waits for the boards
    ProductionLine(const ProductionLine&) = delete;
    ProductionLine& operator=(const ProductionLine&) = delete;

    // A serial board at a device path; `name` is what the user sees (the path when empty).
    // Boards may come and go while the series runs: a board added then starts at once.
    BoardId AddBoard(const std::string& path, const std::string& name = "");
    // A board over another link (the PC's parallel port).
    BoardId AddBoard(const std::string& path, const std::string& name, BoardLinkFactory link);
    // The board's cable was unplugged: it takes no more pagers (a pager under way fails).
    void RemoveBoard(BoardId board);
    // Whether the board takes pagers; a board left out finishes a pager under way.
    void SetBoardEnabled(BoardId board, bool enabled);

    void Start();
    // Pagers under way finish; no new pager starts until Resume.
    void Pause();
    void Resume();
    // Pagers under way finish; then the series is over (SeriesEndReason::Stopped).
    void Stop();
    // The operator says the next pager is in the board's slot.
    void Next(BoardId board);
    void NextAll();

    // Blocks until the series is over.
    SeriesEnd Wait();
    // Blocks until every board that takes pagers waits for Next, or the series is over
    // (false then): the end of a round for a shell that asks the operator between rounds.
    bool WaitForOperator();

    bool Running() const;
    bool Paused() const;
    bool Over() const;
    std::vector<BoardInfo> Boards() const;
    LineTotals Totals() const;

  private:
    class Board;
    struct Shared;
    Board* Find(BoardId board) const;
    std::unique_ptr<Shared> shared_;
};

}  // namespace kpx
