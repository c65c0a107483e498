#include "cli/transfer_commands.h"

#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "catalogue/field_catalogue.h"
#include "catalogue/open_table.h"
#include "cli/commands.h"
#include "cli/file_messages.h"
#include "cli/parallel_session.h"
#include "cli/progress_bar.h"
#include "cli/stream_dialogs.h"
#include "cli/transfer_extras.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "image/table_file.h"
#include "link/frame_trace.h"
#include "link/parallel_transfers.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "platform/port_map.h"
#include "platform/ppdev_port.h"
#include "platform/steady_clock.h"
#include "platform/sysfs_lister.h"
#include "platform/system_registry.h"
#include "platform/termios_port.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "texts/cp1252.h"

namespace kpx::cli {

namespace {

// The port and clock --lpt drives instead of the machine's.
PortIo* parallelOverride = nullptr;
Clock* parallelClock = nullptr;

}  // namespace

ParallelSession::ParallelSession(const std::optional<std::string>& lptPath, Clock& machineClock,
                                 UserDialogs& dialogs, LinkHost& host)
    : clock(parallelClock ? *parallelClock : machineClock),
      machine(MachinePorts(lptPath)),
      traced(parallelOverride ? *parallelOverride : *machine),
      link(traced, clock, pump, dialogs),
      transfers(link, host) {}

// With PATH the device is used directly, at the first base the probe tries.
std::unique_ptr<PpdevPortIo> ParallelSession::MachinePorts(
    const std::optional<std::string>& lptPath) {
    if (parallelOverride) return nullptr;
    if (lptPath) return std::make_unique<PpdevPortIo>(ParportMap{{kLptBases[0], *lptPath}});
    return std::make_unique<PpdevPortIo>(MachineParports(&lookupProblem));
}

void ParallelSession::SayWhy(std::ostream& err) const {
    if (!machine) return;
    for (const std::string& line : ParallelPortReasons(*machine, lookupProblem)) {
        err << "kpx41: " << line << "\n";
    }
}

bool ParallelSession::NoPortAtAll(const std::optional<std::string>& lptPath, std::ostream& err) {
    if (parallelOverride || lptPath) return false;
    std::string problem;
    ParportMap map = MachineParports(&problem);
    if (!map.empty()) return false;
    err << kBoardNotResponding << "\n";
    for (const std::string& line : ParallelPortReasons(PpdevPortIo(std::move(map)), problem)) {
        err << "kpx41: " << line << "\n";
    }
    return true;
}

namespace {

struct Options {
    std::optional<std::string> port;
    bool lpt = false;
    std::optional<std::string> lptPath;
    std::optional<std::string> output;
    std::vector<std::string> files;
    bool yes = false;
    std::optional<std::string> trace;
    bool noBackup = false;
    bool force = false;
};

// The main window as a command line sees it: no controls, the band taken from the file.
class ConsoleHost : public LinkHost {
  public:
    explicit ConsoleHost(PagerImage& image) : image_(image) {}
    void SetBoardLine(const std::string& text, std::uint32_t) override { line = text; }
    void SetPagerMenuEnabled(bool) override {}
    void StopWatchTimer() override {}
    void StartWatchTimer() override {}
    int BandRow() const override { return bandRow; }
    bool ModifyModeSelected() const override { return false; }
    void RefreshControls() override {}
    void ImageReplacedByRead() override {
        replaced = true;
        if (auto row = DetectBandFromImage(image_.bytes()).row) bandRow = *row;
        DecodeTextRegions(image_);
    }
    std::string CapcodeText(int index) const override { return kpx::CapcodeText(image_, index); }
    void SetCapcodeText(int, const std::string&) override {}
    void ReadCapcodes() override {}

    int bandRow = kBandRow130;
    std::string line;
    bool replaced = false;

  private:
    PagerImage& image_;
};

// Everything one transfer needs, wired to the machine.
struct Session {
    Session(CliIo& io, const Options& o)
        : dialogs(io.err, o.yes),
          lister(io.lister ? *io.lister : machineLister),
          registry(registryBackend),
          link(traced, lister, registry, clock, pump, dialogs),
          host(image),
          serial(link, host) {
        link.SetHost(&host);
        // No window to keep alive: block on the port in longer slices.
        link.SetWaitSliceMs(50);
        dialogs.SetQuiet(io.quiet);
        if (o.lpt) parallel = std::make_unique<ParallelSession>(o.lptPath, clock, dialogs, host);
        // A paced write is seconds of silence: on a terminal the user sees it move.
        if (io.errIsTerminal && !io.quiet) {
            bar = std::make_unique<ProgressBar>(io.err);
            dialogs.SetProgressBar(bar.get());
            Transfers().SetView(bar.get());
        }
    }

    PagerTransfers& Transfers() {
        if (parallel) return parallel->transfers;
        return serial;
    }

    // --trace and the backups; false (told on err) when the trace cannot be written.
    bool Prepare(const Options& o, std::ostream& err) {
        if (o.trace) {
            traceFile = TraceFile::Open(*o.trace, err);
            if (!traceFile) return false;
            traced.SetTrace(&traceFile->trace());
            if (parallel) parallel->traced.SetTrace(&traceFile->trace());
        }
        backups = OpenBackups(!o.noBackup);
        return true;
    }

    // The board's port: the given path, or the first listed port that answers the probe; with
    // --lpt the parallel port the memory answers on.
    bool Connect(const Options& o, std::ostream& err) {
        if (parallel) {
            if (parallel->transfers.Connect()) return true;
            parallel->SayWhy(err);
            return false;
        }
        if (o.port) {
            if (const std::string problem = SerialPortProblem(*o.port); !problem.empty()) {
                err << problem << "\n";
                return false;
            }
            link.boardPort = PortMap::Default().Register(*o.port);
            if (traceFile) traceFile->trace().NamePort(link.boardPort, *o.port);
            return Hold(err);
        }
        if (link.usb_probe()) return Hold(err);
        err << kBoardNotResponding << "\n";
        return false;
    }

    // The board's port stays this command's from here to the end, between its transfers too.
    bool Hold(std::ostream& err) {
        const int held = port.Keep(link.boardPort);
        if (held == 0) return true;
        const std::string path = PortMap::Default().PathForCom(link.boardPort).value_or("?");
        std::string problem =
            held == TermiosSerialPort::kInUse ? PortInUse(path) : SerialPortProblem(path);
        err << (problem.empty() ? path + " cannot be opened" : problem) << "\n";
        return false;
    }

    // Done with the link; false when the operation failed.
    bool Finish() {
        if (bar) bar->EndLine();
        Transfers().Release();
        return !Transfers().TransferFailed();
    }

    std::unique_ptr<ProgressBar> bar;  // first in, last out: the transfers point at it
    StreamDialogs dialogs;
    SteadyClock clock;
    NullEventPump pump;
    TermiosSerialPort port;
    TracingSerialPort traced{port};
    std::unique_ptr<TraceFile> traceFile;
    std::unique_ptr<BackupStore> backups;
    SysfsDeviceLister machineLister;
    DeviceLister& lister;
    SystemRegistry registryBackend;
    RegistryAccess registry;
    SerialLink link;
    PagerImage image;
    ConsoleHost host;
    SerialTransfers serial;
    std::unique_ptr<ParallelSession> parallel;
};

// The arguments of a transfer command by its option table, taking up to `files` FILEs.
std::optional<Options> Parse(std::string_view name, const std::vector<std::string>& args,
                             std::size_t files, CliIo& io) {
    const auto parsed = ParseCommand(name, args, io);
    if (!parsed) return std::nullopt;
    Options o;
    std::string problem;
    for (const ParsedArg& a : *parsed) {
        const std::string_view option = a.option ? a.option->name : "";
        if (!a.option && o.files.size() >= files) {
            problem = "unexpected argument " + a.text + (files == 0 ? "" : " (one FILE only)");
            break;
        }
        if (!a.option) o.files.push_back(a.text);
        if (option == "--port") o.port = a.value;
        if (option == "--trace") o.trace = a.value;
        if (option == "--output") o.output = a.value;
        if (option == "--lpt") o.lptPath = a.value;
        o.lpt = o.lpt || option == "--lpt";
        o.noBackup = o.noBackup || option == "--no-backup";
        o.yes = o.yes || option == "--yes";
        o.force = o.force || option == "--force";
        io.quiet = io.quiet || option == "--quiet";
    }
    if (problem.empty() && o.port && o.lpt) problem = "--port and --lpt name two different links";
    if (problem.empty()) return o;
    UsageError(name, problem, io);
    return std::nullopt;
}

// Opens a table file as the File menu and the window's refresh do, so the pager gets the bytes
// the window would write; false (the message told) when it cannot be used.
bool OpenTable(Session& s, const std::string& path, std::ostream& err) {
    const OpenedTable opened = OpenTableAsWindow(path, DefaultProgramSettings(), s.dialogs);
    if (opened.status != TableFileStatus::Ok) {
        TellTableFileProblem(err, path, {opened.status, {}, opened.message, opened.reason});
        return false;
    }
    s.image = opened.image;
    s.host.bandRow = opened.frequency.bandRow;
    return true;
}

// The whole pager, read as `read` does (with its trace and backup); nothing when it failed.
std::optional<PagerImage> ReadWith(const Options& o, CliIo& io) {
    Session s(io, o);
    // The image the program starts with: a parallel read must bring its fixed bytes back.
    s.image = BuildDefaultImage();
    if (!s.Prepare(o, io.err) || !s.Connect(o, io.err)) return std::nullopt;
    s.Transfers().readall(s.image, 0, kImageLast);
    // Only a complete and plausible read replaces the image; anything else gives nothing.
    if (!s.Finish() || !s.host.replaced) return std::nullopt;
    KeepBackup(s.backups.get(), s.image, "read", io.err);
    return s.image;
}

// After "Verify Error!": the settings in which the pager differs from the file.
void ReportMismatch(Session& s, const std::string& file, std::ostream& err) {
    const auto pager = s.Transfers().MismatchedPager();
    if (!pager) return;
    err << "the pager differs from " << file << " (file -> pager):\n";
    for (const std::string& line : DiffLines(DiffVerified(s.image, *pager))) {
        err << "  " << Cp1252ToUtf8(line) << "\n";
    }
}

}  // namespace

int CmdRead(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "read";
    auto o = Parse(kName, args, 0, io);
    if (!o) return kExitUsage;
    if (!o->output) return UsageError(kName, "needs -o FILE", io);
    // Before the pager is read: a read takes seconds, and its result would have nowhere to go.
    if (const int refused = CheckOutput(err, *o->output, o->force)) return refused;
    const std::optional<PagerImage> image = ReadWith(*o, io);
    if (!image) return 1;
    const std::string failure = SaveTableFile(*o->output, *image);
    if (!failure.empty()) {
        TellAboutFile(err, *o->output, failure);
        return 1;
    }
    if (!io.quiet) out << "read the pager into " << *o->output << "\n";
    return 0;
}

int CmdWrite(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "write";
    auto o = Parse(kName, args, 1, io);
    if (!o) return kExitUsage;
    if (o->files.empty()) return UsageError(kName, "needs a FILE", io);
    Session s(io, *o);
    if (!s.Prepare(*o, err) || !OpenTable(s, o->files[0], err)) return 1;
    if (!s.Connect(*o, err)) return 1;
    EncodeTextRegions(s.image);
    PagerTransfers& t = s.Transfers();
    t.writeall(s.image, 0, kImageLast);
    if (!t.TransferFailed()) KeepWrittenBackup(s.backups.get(), s.image, err);
    if (!t.TransferFailed()) t.verify(s.image, 0, kImageLast);
    ReportMismatch(s, o->files[0], err);
    DecodeTextRegions(s.image);
    if (!s.Finish()) return 1;
    if (!io.quiet) out << "wrote and verified " << o->files[0] << "\n";
    return 0;
}

int CmdVerify(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "verify";
    auto o = Parse(kName, args, 1, io);
    if (!o) return kExitUsage;
    if (o->files.empty()) return UsageError(kName, "needs a FILE", io);
    Session s(io, *o);
    if (!s.Prepare(*o, err) || !OpenTable(s, o->files[0], err)) return 1;
    if (!s.Connect(*o, err)) return 1;
    // The pager holds the texts in its own character set, and so does a written file's image.
    EncodeTextRegions(s.image);
    s.Transfers().verify(s.image, 0, kImageLast);
    ReportMismatch(s, o->files[0], err);
    if (!s.Finish()) return 1;
    if (!io.quiet) out << "the pager matches " << o->files[0] << "\n";
    return 0;
}

std::optional<PagerImage> ReadPager(const PagerSource& source, CliIo& io) {
    Options o;
    o.port = source.port;
    o.lpt = source.lpt;
    o.lptPath = source.lptPath;
    o.trace = source.trace;
    o.noBackup = source.noBackup;
    return ReadWith(o, io);
}

int CmdPorts(const std::vector<std::string>& args, CliIo& io) {
    const auto parsed = ParseCommand("ports", args, io);
    if (!parsed) return kExitUsage;
    bool json = false;
    for (const ParsedArg& a : *parsed) {
        if (!a.option) return UsageError("ports", "unexpected argument " + a.text, io);
        json = true;  // --json, the only option
    }
    std::vector<SysfsDeviceLister::Port> ports;
    if (io.lister) {
        // A given list names ports by COM number only; the paths are the port map's.
        for (std::string name : io.lister->GetDevInfo(kCableDescription)) {
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
            const auto com = PortNumberFromName(name);
            const auto path = com ? PortMap::Default().PathForCom(*com) : std::nullopt;
            ports.push_back({com.value_or(-1), name, path.value_or("?")});
        }
    } else {
        ports = SysfsDeviceLister().Ports(kCableDescription);
    }
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const auto& p : ports) {
            list.push_back({{"com", p.com}, {"name", p.friendlyName}, {"path", p.path}});
        }
        io.out << list.dump(2) << "\n";
    } else {
        for (const auto& p : ports) io.out << p.friendlyName << "\t" << p.path << "\n";
    }
    // Said aside, so that a script reading the list gets an empty one.
    if (ports.empty()) io.err << "no " << kCableDescription << " found\n";
    return 0;
}

int CmdProbe(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "probe";
    auto o = Parse(kName, args, 0, io);
    if (!o) return kExitUsage;
    Session s(io, *o);
    if (!s.Prepare(*o, err) || !s.Connect(*o, err)) return 1;
    const auto path = PortMap::Default().PathForCom(s.link.boardPort);
    if (!io.quiet) out << "board on COM" << s.link.boardPort << " (" << path.value_or("?") << ")\n";
    return 0;
}

void UseParallelPort(PortIo* io, Clock* clock) {
    parallelOverride = io;
    parallelClock = clock;
}

const CliCommand kReadCommand = {
    "read",
    "read [--port PATH | --lpt [PATH]] -o FILE [--force] [--trace FILE] [--no-backup] [--quiet]",
    "read the pager on the board and save it as a table file (refuses an existing FILE "
    "unless --force)",
    CmdRead,
    {kPortOption, kLptOption, kOutputOption, kForceOption, kTraceOption, kNoBackupOption,
     kQuietOption}};
const CliCommand kWriteCommand = {
    "write",
    "write [--port PATH | --lpt [PATH]] FILE [--yes] [--trace FILE] [--no-backup] [--quiet]",
    "write a table file to the pager and verify it (--yes answers the GP(RoHS) question)",
    CmdWrite,
    {kPortOption, kLptOption, kYesOption, kTraceOption, kNoBackupOption, kQuietOption}};
const CliCommand kVerifyCommand = {
    "verify", "verify [--port PATH | --lpt [PATH]] FILE [--trace FILE] [--quiet]",
    "compare the pager with a table file", CmdVerify,
    {kPortOption, kLptOption, kTraceOption, kQuietOption}};
const CliCommand kPortsCommand = {"ports",
                                  "ports [--json]",
                                  "list the cable's serial ports with their device paths",
                                  CmdPorts,
                                  {kJsonOption}};
const CliCommand kProbeCommand = {"probe", "probe [--trace FILE] [--quiet]",
                                  "look for the programming board", CmdProbe,
                                  {kTraceOption, kQuietOption}};

}  // namespace kpx::cli
