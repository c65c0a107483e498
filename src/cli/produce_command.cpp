// kpx41 produce: the programming dialog's production mode from a script, on one or several
// boards at once, with a CSV log or a shared ledger of every pager.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "catalogue/open_table.h"
#include "cli/commands.h"
#include "cli/open_ledger.h"
#include "cli/file_messages.h"
#include "cli/parallel_session.h"
#include "cli/stream_dialogs.h"
#include "cli/transfer_extras.h"
#include "image/charmap.h"
#include "image/table_file.h"
#include "link/frame_trace.h"
#include "link/observed_transfers.h"
#include "link/programming_dialog.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "platform/platform_serial.h"
#include "platform/steady_clock.h"
#include "platform/termios_port.h"
#include "production/ledger.h"
#include "production/ledger_url.h"
#include "production/production.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "support/sha256.h"

namespace kpx::cli {

namespace {

constexpr const char* kName = "produce";
// A board that fails this many pagers in a row is taken out of the series: it needs a look.
constexpr int kFailuresInRowLimit = 3;

struct ProduceOptions {
    std::string file;
    std::vector<std::string> ports;
    bool lpt = false;
    std::optional<std::string> lptPath;
    AutoIncrease autoIncrease;
    int count = 0;
    LedgerChoice ledger;
    bool resume = false;
    bool noWait = false;
    bool yes = false;
    bool noBackup = false;
    std::optional<std::string> trace;
};

const std::vector<CliOption> kProduceOptions = {
    {"--port", "", "PATH", "a board's serial port; once per board, all programmed at once"},
    kLptOption,
    {"--auto-increase", "", "1|2|1,2", "the capcodes that count up by one per pager"},
    {"--count", "", "N", "how many pagers to program"},
    {"--log", "", "FILE", "append one CSV row per pager to FILE"},
    kLedgerOption,
    {"--series", "", "NAME", "the ledger's series (by default named after the capcodes)"},
    {"--station", "", "NAME", "this station's name in the ledger (by default the host name)"},
    {"--resume", "", "", "carry on a series from where its log or ledger stopped"},
    {"--no-wait", "", "", "do not wait for Enter between pagers"},
    kYesOption,
    kTraceOption,
    kNoBackupOption,
};

// One option into o; false (problem set) for a value it does not take.
bool TakeOption(const ParsedArg& a, ProduceOptions& o, bool& haveAuto, std::string& problem) {
    const std::string_view name = a.option->name;
    const std::string value = a.value.value_or("");
    if (name == "--auto-increase") {
        const auto parsed = ParseAutoIncrease(value);
        if (!parsed) problem = "--auto-increase takes 1, 2 or 1,2";
        if (parsed) o.autoIncrease = *parsed;
        haveAuto = haveAuto || parsed;
    } else if (name == "--count") {
        if (value.empty() || value.size() > 7 ||
            value.find_first_not_of("0123456789") != value.npos || std::stoi(value) < 1) {
            problem = "--count takes a number of pagers from 1 to 9999999";
        } else {
            o.count = std::stoi(value);
        }
    }
    if (name == "--port") o.ports.push_back(value);
    if (name == "--lpt") o.lptPath = a.value;
    if (name == "--log") o.ledger.log = value;
    if (name == "--ledger") o.ledger.ledger = value;
    if (name == "--series") o.ledger.series = value;
    if (name == "--station") o.ledger.station = value;
    if (name == "--trace") o.trace = value;
    o.lpt = o.lpt || name == "--lpt";
    o.resume = o.resume || name == "--resume";
    o.noWait = o.noWait || name == "--no-wait";
    o.yes = o.yes || name == "--yes";
    o.noBackup = o.noBackup || name == "--no-backup";
    return problem.empty();
}

std::optional<ProduceOptions> Parse(const std::vector<std::string>& args, std::string& problem) {
    ProduceOptions o;
    bool haveAuto = false;
    const auto parsed = ParseOptions(kProduceOptions, args, problem);
    if (!parsed) return std::nullopt;
    for (const ParsedArg& a : *parsed) {
        if (a.option) {
            if (!TakeOption(a, o, haveAuto, problem)) return std::nullopt;
        } else if (o.file.empty()) {
            o.file = a.text;
        } else {
            problem = "unexpected argument " + a.text + " (one FILE only)";
            return std::nullopt;
        }
    }
    if (o.file.empty())
        problem = "needs a table FILE";
    else if (o.lpt && !o.ports.empty())
        problem = "--port and --lpt name two different links";
    else if (o.ports.empty() && !o.lpt)
        problem = "needs at least one --port, or --lpt";
    else if (!haveAuto)
        problem = "needs --auto-increase 1, 2 or 1,2";
    else if (o.count == 0)
        problem = "needs --count N";
    else if (o.ledger.log.empty() && !o.ledger.ledger)
        problem = "needs --log FILE or --ledger URL";
    else if (o.ledger.ledger && !IsLedgerUrl(*o.ledger.ledger))
        problem = "--ledger takes a postgresql:// URL";  // never the URL: it may hold a password
    else if (!o.ledger.ledger && (o.ledger.series || o.ledger.station))
        problem = "--series and --station name a series in a --ledger";
    if (!problem.empty()) return std::nullopt;
    return o;
}

// What the whole series shares: the ledger, the output, the backups and the trace.
struct Line {
    Line(CapcodeLedger& l, std::ostream& o, std::ostream& e) : ledger(l), out(o), err(e) {}

    void Print(std::ostream& stream, const std::string& text) {
        std::lock_guard lock(mutex);
        stream << text;
        stream.flush();
    }
    // A hand-out or a row the ledger could not record stops the station: it no longer knows
    // that no other pager gets those capcodes.
    void Broken(const std::string& error) {
        {
            std::lock_guard lock(mutex);
            broken = true;
        }
        Print(err, "kpx41 produce: " + error + "\n");
    }

    CapcodeLedger& ledger;
    std::ostream& out;
    std::ostream& err;
    bool broken = false;
    std::mutex mutex;
    std::unique_ptr<BackupStore> backups;
    std::unique_ptr<TraceFile> trace;
    std::string refusal;
};

// A board's message boxes: the texts as the dialog has them, each line marked with the
// board's port so that several boards can share one error stream.
class BoardDialogs : public UserDialogs {
  public:
    BoardDialogs(Line& line, std::string port, bool yes)
        : line_(line), port_(std::move(port)), inner_(text_, yes) {}
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override {
        text_.str("");
        const DialogAnswer answer = inner_.Message(text, buttons, icon);
        std::string marked;
        std::istringstream lines(text_.str());
        for (std::string l; std::getline(lines, l);) marked += port_ + ": " + l + "\n";
        line_.Print(line_.err, marked);
        last = text;
        return answer;
    }
    std::string last;

  private:
    Line& line_;
    std::string port_;
    std::ostringstream text_;
    StreamDialogs inner_;
};

class NoDialogView : public ProgrammingDialogView {
  public:
    void SetProgressMax(int) override {}
    void SetProgressValue(int) override {}
    void SetProgressColour(ProgressColour) override {}
    void SetStatus(const std::string&) override {}
    void ShowAutoLabel(int, bool) override {}
    void SetAutoLabelText(int, const std::string&) override {}
    void ShowWriteButtons() override {}
    void SetButtonsEnabled(bool) override {}
    void CloseDialog() override {}
};

// The link a board of the line programs over.
class BoardLink {
  public:
    virtual ~BoardLink() = default;
    virtual PagerTransfers& transfers() = 0;
    // Unplugged during the series: it takes no more pagers.
    virtual bool gone() const = 0;
    // After a failed connect: why the link could not be used, as the transfer commands say it.
    virtual void SayWhy(std::ostream&) const {}
};

// A serial board with its own port objects, so that boards run on threads of their own.
class SerialBoardLink : public BoardLink {
  public:
    SerialBoardLink(Line& line, int com, UserDialogs& dialogs, LinkHost& host)
        : traced_(serial_.port, line.trace ? &line.trace->trace() : nullptr),
          link_(traced_, serial_.lister, serial_.registry, serial_.clock, pump_, dialogs),
          transfers_(link_, host) {
        link_.SetHost(&host);
        link_.SetWaitSliceMs(50);  // no window to keep alive
        link_.boardPort = com;
    }
    PagerTransfers& transfers() override { return transfers_; }
    bool gone() const override { return link_.boardPort < 0; }

  private:
    PlatformSerial serial_;
    TracingSerialPort traced_;
    NullEventPump pump_;
    SerialLink link_;
    SerialTransfers transfers_;
};

// The PC's parallel port: the bus is found again and handed back around every pager.
class ParallelBoardLink : public BoardLink {
  public:
    ParallelBoardLink(Line& line, const std::optional<std::string>& path, UserDialogs& dialogs,
                      LinkHost& host)
        : session_(path, clock_, dialogs, host) {
        if (line.trace) session_.traced.SetTrace(&line.trace->trace());
    }
    PagerTransfers& transfers() override { return session_.transfers; }
    bool gone() const override { return false; }
    void SayWhy(std::ostream& err) const override { session_.SayWhy(err); }

  private:
    SteadyClock clock_;
    ParallelSession session_;
};

// One board of the line with its own link and dialog, sharing nothing but the Line.
class Board {
  public:
    Board(Line& line, const ProduceOptions& o, const std::string& name, const PagerImage& image,
          int bandRow,
          const std::function<std::unique_ptr<BoardLink>(UserDialogs&, LinkHost&)>& makeLink)
        : line_(line),
          path_(name),
          autoIncrease_(o.autoIncrease),
          dialogs_(line, name, o.yes),
          image_(image),
          host_(image_, bandRow),
          link_(makeLink(dialogs_, host_)),
          observed_(link_->transfers()),
          dialog_(observed_, &observed_, host_, dialogs_, image_, view_) {
        observed_.afterWrite = [this](const PagerImage& written, bool ok) {
            written_ = written;
            writtenOk_ = ok;
        };
        dialog_.Form_Activate(kOperationWrite, o.autoIncrease.first, o.autoIncrease.second);
    }

    bool out() const { return out_; }

    // One pager: the next capcodes, the dialog's Write, the log row, the backup.
    void Pager() {
        std::string refusal, error;
        const auto capcodes = line_.ledger.Take(path_, &refusal, &error);
        if (!capcodes) {
            if (!refusal.empty()) {
                std::lock_guard lock(line_.mutex);
                line_.refusal = refusal;
            }
            if (!error.empty()) line_.Broken(error);
            return;
        }
        for (int k = 0; k < 2; ++k) StoreCapcode(image_, k, (*capcodes)[k]);
        host_.advanced = {};
        written_.reset();
        writtenOk_ = false;
        dialogs_.last.clear();

        // The dialog connects a link that needs it only in the build of that link.
        const bool connected = observed_.Connect();
        if (connected) {
            dialog_.cmdWrite_Click();
        } else {
            std::ostringstream why;
            link_->SayWhy(why);
            line_.Print(line_.err, why.str());
        }
        observed_.Release();

        const bool ok = connected && !dialog_.TransferFailed();
        if (ok) {
            for (int k = 0; k < 2; ++k) {
                // The dialog said the capcode cannot go higher: the series ends here.
                if (autoIncrease_.counts(k) && !host_.advanced[k]) line_.ledger.Stop();
            }
        }
        const PagerImage& sent = written_ ? *written_ : image_;
        if (!line_.ledger.Finish(
                {IsoTime(WallClock::now()), path_, *capcodes, Sha256Hex(sent.bytes()),
                 ok ? kResultOk : kResultFailed, dialogs_.last},
                &error)) {
            line_.Broken(error);
        }
        if (written_ && writtenOk_) {
            // Boards share the error stream: the warning goes through the line, marked.
            std::ostringstream warning;
            KeepWrittenBackup(line_.backups.get(), *written_, warning);
            if (!warning.str().empty()) line_.Print(line_.err, path_ + ": " + warning.str());
        }
        line_.Print(line_.out, path_ + ": capcodes " + CapcodeDigits((*capcodes)[0]) + " " +
                                   CapcodeDigits((*capcodes)[1]) + ": " +
                                   (ok ? kResultOk : kResultFailed) + "\n");

        failuresInRow_ = ok ? 0 : failuresInRow_ + 1;
        if (link_->gone()) {
            line_.Print(line_.err, path_ + ": the board is gone; it takes no more pagers\n");
            out_ = true;
        } else if (failuresInRow_ >= kFailuresInRowLimit) {
            line_.Print(line_.err, path_ + ": " + std::to_string(failuresInRow_) +
                                       " pagers failed in a row; it takes no more pagers\n");
            out_ = true;
        }
    }

  private:
    Line& line_;
    std::string path_;
    AutoIncrease autoIncrease_;
    BoardDialogs dialogs_;
    PagerImage image_;
    LineHost host_;
    std::unique_ptr<BoardLink> link_;
    ObservedTransfers observed_;
    NoDialogView view_;
    ProgrammingDialog dialog_;
    std::optional<PagerImage> written_;
    bool writtenOk_ = false;
    int failuresInRow_ = 0;
    bool out_ = false;
};

int Produce(const ProduceOptions& o, CliIo& io) {
    if (!LinkIsUsb() && !o.lpt) {
        io.err << "kpx41 produce: this build drives the parallel port; produce needs --lpt\n";
        return kExitFailure;
    }
    // The file as the window opens it, so every pager of the series gets the window's bytes.
    StreamDialogs fileDialogs(io.err, o.yes);
    const OpenedTable opened = OpenTableAsWindow(o.file, DefaultProgramSettings(), fileDialogs);
    if (opened.status != TableFileStatus::Ok) {
        TellTableFileProblem(io.err, o.file, {opened.status, {}, opened.message, opened.reason});
        return kExitFailure;
    }
    PagerImage image = opened.image;
    const int bandRow = opened.frequency.bandRow;
    // The pager holds its texts in its own character set.
    EncodeTextRegions(image);

    // The boards and the trace before the ledger: a run that cannot start leaves no log behind.
    for (const std::string& path : o.ports) {
        if (const std::string problem = SerialPortProblem(path); !problem.empty()) {
            io.err << problem << "\n";
            return kExitFailure;
        }
    }
    if (o.lpt && ParallelSession::NoPortAtAll(o.lptPath, io.err)) return kExitFailure;
    std::unique_ptr<TraceFile> trace;
    if (o.trace) {
        trace = TraceFile::Open(*o.trace, io.err);
        if (!trace) return kExitFailure;
    }

    const SeriesRequest request{
        {CapcodeValue(image, 0), CapcodeValue(image, 1)}, o.autoIncrease, o.count, o.resume};
    bool notALog = false;
    const std::unique_ptr<CapcodeLedger> ledger =
        OpenLedger(o.ledger, request, io.out, io.err, &notALog);
    if (!ledger) return notALog ? kExitUsage : kExitFailure;
    Line line(*ledger, io.out, io.err);
    line.trace = std::move(trace);
    line.backups = OpenBackups(!o.noBackup);

    std::vector<std::unique_ptr<Board>> boards;
    if (o.lpt) {
        // A PC has the one parallel port: one board.
        boards.push_back(std::make_unique<Board>(
            line, o, o.lptPath.value_or("lpt"), image, bandRow, [&](UserDialogs& d, LinkHost& h) {
                return std::make_unique<ParallelBoardLink>(line, o.lptPath, d, h);
            }));
    }
    for (const std::string& path : o.ports) {
        const int com = PortMap::Default().Register(path);
        // The trace names ports by COM number, the log by path: say once which is which.
        if (line.trace) line.trace->trace().NamePort(com, path);
        boards.push_back(std::make_unique<Board>(
            line, o, path, image, bandRow, [&line, com](UserDialogs& d, LinkHost& h) {
                return std::make_unique<SerialBoardLink>(line, com, d, h);
            }));
    }

    const auto began = std::chrono::steady_clock::now();
    for (;;) {
        std::vector<std::thread> round;
        for (auto& b : boards) {
            if (!b->out()) round.emplace_back([&b] { b->Pager(); });
        }
        for (std::thread& t : round) t.join();
        const bool anyBoard =
            std::any_of(boards.begin(), boards.end(), [](const auto& b) { return !b->out(); });
        if (round.empty() || !anyBoard || ledger->Over()) break;
        if (!o.noWait) {
            io.out << "put the next pagers on the boards and press Enter" << std::endl;
            std::string answer;
            if (!std::getline(io.in ? *io.in : std::cin, answer)) {
                io.err << "kpx41 produce: standard input ended; " << o.count - ledger->done()
                       << " pagers not programmed\n";
                break;
            }
        }
    }
    const double hours =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() / 3600.0;

    if (!line.refusal.empty()) io.err << "kpx41 produce: " << line.refusal << "\n";
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f", hours > 0 ? ledger->done() / hours : 0.0);
    io.out << "done " << ledger->done() << ", failed " << ledger->failed() << ", " << rate
           << " pagers per hour\n";
    return ledger->done() == o.count && !line.broken ? kExitOk : kExitFailure;
}

// Two --port naming one board (the same path or a link to it) would put two threads, and two
// capcodes, on one pager.
std::string SameBoardTwice(const std::vector<std::string>& ports) {
    std::vector<std::string> real;
    for (const std::string& p : ports) {
        std::error_code ec;
        const auto c = std::filesystem::canonical(p, ec);  // a missing port is reported later
        real.push_back(ec ? p : c.string());
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (real[i] == real[j])
                return "--port " + ports[i] + " is the board of --port " + ports[j];
        }
    }
    return "";
}

int CmdProduce(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    const auto o = Parse(args, problem);
    if (o) problem = SameBoardTwice(o->ports);
    if (!o || !problem.empty()) return UsageError(kName, problem, io);
    return Produce(*o, io);
}

}  // namespace

const CliCommand kProduceCommand = {
    "produce",
    "produce FILE (--port PATH [--port PATH ...] | --lpt [PATH]) --auto-increase 1|2|1,2 --count N "
    "(--log FILE | --ledger URL [--series NAME] [--station NAME] [--log FILE]) "
    "[--resume] [--no-wait] [--yes] [--trace FILE] [--no-backup]",
    "program a series of pagers from a table file, one board per --port in parallel, the chosen "
    "capcodes counting up by one per pager (--lpt: the one parallel port); one CSV row per pager "
    "in the log, or one row in a PostgreSQL ledger that several stations share",
    CmdProduce,
    kProduceOptions};

}  // namespace kpx::cli
