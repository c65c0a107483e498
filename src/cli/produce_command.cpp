// kpx41 produce: the programming dialog's production mode from a script, on one or several
// boards at once, with a CSV log or a shared ledger of every pager.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>

#include "catalogue/open_table.h"
#include "cli/commands.h"
#include "cli/file_messages.h"
#include "platform/pg/open_ledger.h"
#include "cli/parallel_session.h"
#include "cli/stream_dialogs.h"
#include "cli/transfer_extras.h"
#include "image/table_file.h"
#include "link/frame_trace.h"
#include "link/serial_link.h"
#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/termios_port.h"
#include "production/ledger.h"
#include "production/ledger_url.h"
#include "production/production.h"
#include "production/production_line.h"
#include "settings/capcode.h"

namespace kpx::cli {

namespace {

constexpr const char* kName = "produce";

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

// The line's events as the command prints them: results on stdout, each board's messages on
// stderr marked with its port, so that several boards can share the streams.
class LinePrinter : public LineObserver {
  public:
    // The port each board's lines are marked with, in the order the boards are added (before
    // they are: a board's dialog may speak while it is set up).
    LinePrinter(CliIo& io, bool yes, std::vector<std::string> paths)
        : io_(io), yes_(yes), paths_(std::move(paths)) {}
    void Print(std::ostream& stream, const std::string& text) {
        std::lock_guard lock(mutex_);
        stream << text;
        stream.flush();
    }

    void BoardMessage(BoardId board, const std::string& text, DialogButtons buttons,
                      DialogAnswer) override {
        std::ostringstream shown;
        StreamDialogs(shown, yes_).Message(text, buttons, DialogIcon::None);
        std::string marked;
        std::istringstream lines(shown.str());
        for (std::string l; std::getline(lines, l);) marked += paths_[board] + ": " + l + "\n";
        Print(io_.err, marked);
    }
    void Notice(BoardId board, const std::string& text) override {
        Print(io_.err, paths_[board] + ": kpx41: " + text + "\n");
    }
    void LinkUnusable(BoardId, const std::string& why) override { Print(io_.err, why); }
    void LedgerFailed(const std::string& message, const std::vector<CapcodePair>&) override {
        Print(io_.err, "kpx41 produce: " + message + "\n");
    }
    void PagerDone(BoardId board, const PagerOutcome& pager) override { Result(board, pager); }
    void PagerFailed(BoardId board, const PagerOutcome& pager) override { Result(board, pager); }
    void BoardStateChanged(BoardId board, BoardState state, const std::string& text) override {
        if (state == BoardState::Gone || state == BoardState::Retired) {
            Print(io_.err, paths_[board] + ": " + text + "\n");
        }
    }

  private:
    void Result(BoardId board, const PagerOutcome& pager) {
        Print(io_.out, paths_[board] + ": capcodes " + CapcodeDigits(pager.capcodes[0]) + " " +
                           CapcodeDigits(pager.capcodes[1]) + ": " +
                           (pager.ok ? kResultOk : kResultFailed) + "\n");
    }

    CliIo& io_;
    bool yes_;
    std::mutex mutex_;
    std::vector<std::string> paths_;
};

// The PC's parallel port: the bus is found again and handed back around every pager.
class ParallelBoardLink : public BoardLink {
  public:
    ParallelBoardLink(TraceFile* trace, const std::optional<std::string>& path,
                      UserDialogs& dialogs, LinkHost& host)
        : session_(path, clock_, dialogs, host) {
        if (trace) session_.traced.SetTrace(&trace->trace());
    }
    PagerTransfers& transfers() override { return session_.transfers; }
    bool gone() const override { return false; }
    std::string WhyNotConnected() const override {
        std::ostringstream why;
        session_.SayWhy(why);
        return why.str();
    }

  private:
    SteadyClock clock_;
    ParallelSession session_;
};

// Each board's own tty port, traced when the trace is on.
BoardPortFactory MachinePorts(TraceFile* trace) {
    return [trace](const std::string& path) {
        BoardPort p;
        p.com = PortMap::Default().Register(path);
        auto machine = std::make_unique<TermiosSerialPort>(PortMap::Default());
        if (!trace) {
            p.port = std::move(machine);
            return p;
        }
        // The trace names ports by COM number, the log by path: say once which is which.
        trace->trace().NamePort(p.com, path);
        p.port = std::make_unique<TracingSerialPort>(*machine, &trace->trace());
        p.under = std::move(machine);
        return p;
    };
}

// The rounds: after each, the operator puts the next pagers on the boards and presses Enter.
void RunRounds(ProductionLine& line, LinePrinter& printer, const ProduceOptions& o, CliIo& io) {
    line.Start();
    while (line.WaitForOperator()) {
        printer.Print(io.out, "put the next pagers on the boards and press Enter\n");
        std::string answer;
        if (!std::getline(io.in ? *io.in : std::cin, answer)) {
            printer.Print(io.err, "kpx41 produce: standard input ended; " +
                                      std::to_string(o.count - line.Totals().done) +
                                      " pagers not programmed\n");
            line.Stop();
            break;
        }
        line.NextAll();
    }
}

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

    const PagerImage& image = opened.image;
    const SeriesRequest request{
        {CapcodeValue(image, 0), CapcodeValue(image, 1)}, o.autoIncrease, o.count, o.resume};
    bool notALog = false;
    const std::unique_ptr<CapcodeLedger> ledger =
        OpenLedger(o.ledger, request, io.out, io.err, &notALog);
    if (!ledger) return notALog ? kExitUsage : kExitFailure;
    const std::unique_ptr<BackupStore> backups = OpenBackups(!o.noBackup);

    LineSettings settings;
    settings.autoIncrease = o.autoIncrease;
    settings.count = o.count;
    settings.swapDetection = false;
    settings.noWait = o.noWait;
    settings.gpAnswerYes = o.yes;
    settings.bandRow = opened.frequency.bandRow;
    settings.backups = backups.get();
    // A PC has the one parallel port: one board.
    const std::string lptName = o.lptPath.value_or("lpt");
    std::vector<std::string> paths = o.ports;
    if (o.lpt) paths.insert(paths.begin(), lptName);
    LinePrinter printer(io, o.yes, paths);
    SteadyClock clock;
    ProductionLine line(image, settings, *ledger, printer, MachinePorts(trace.get()), clock);
    if (o.lpt) {
        TraceFile* traced = trace.get();
        line.AddBoard(lptName, lptName, [&o, traced](UserDialogs& d, LinkHost& h) {
            return std::make_unique<ParallelBoardLink>(traced, o.lptPath, d, h);
        });
    }
    for (const std::string& path : o.ports) line.AddBoard(path);

    RunRounds(line, printer, o, io);
    const SeriesEnd end = line.Wait();
    if (!end.refusal.empty()) io.err << "kpx41 produce: " << end.refusal << "\n";
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.1f", end.pagersPerHour);
    io.out << "done " << end.done << ", failed " << end.failed << ", " << rate
           << " pagers per hour\n";
    return end.done == o.count && end.reason != SeriesEndReason::LedgerFailed ? kExitOk
                                                                              : kExitFailure;
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
