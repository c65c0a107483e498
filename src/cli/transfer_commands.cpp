#include "cli/transfer_commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/commands.h"
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

namespace kpx::cli {

namespace {

// The port and clock --lpt drives instead of the machine's.
PortIo* parallelOverride = nullptr;
Clock* parallelClock = nullptr;

struct Options {
    std::optional<std::string> port;
    bool lpt = false;
    std::optional<std::string> lptPath;
    std::optional<std::string> output;
    std::vector<std::string> files;
    bool yes = false;
    std::optional<std::string> trace;
    bool noBackup = false;
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
    std::string CapcodeText(int index) const override {
        const int a = 0x360 + 3 * index;
        const int v = (image_.at(a) & 0x7F) << 16 | image_.at(a + 1) << 8 | image_.at(a + 2);
        char text[16];
        std::snprintf(text, sizeof text, "%07d", v);
        return text;
    }
    void SetCapcodeText(int, const std::string&) override {}
    void ReadCapcodes() override {}

    int bandRow = kBandRow130;
    std::string line;
    bool replaced = false;

  private:
    PagerImage& image_;
};

// The parallel port and the bus on it, for --lpt.
struct ParallelSession {
    ParallelSession(const Options& o, Clock& machineClock, UserDialogs& dialogs, LinkHost& host)
        : clock(parallelClock ? *parallelClock : machineClock),
          machine(MachinePorts(o)),
          link(parallelOverride ? *parallelOverride : *machine, clock, pump, dialogs),
          transfers(link, host) {}

    // With PATH the device is used directly, at the first base the probe tries.
    ParportMap Map(const Options& o) {
        if (o.lptPath) return {{kLptBases[0], *o.lptPath}};
        return MachineParports(&lookupProblem);
    }
    std::unique_ptr<PpdevPortIo> MachinePorts(const Options& o) {
        if (parallelOverride) return nullptr;
        return std::make_unique<PpdevPortIo>(Map(o));
    }

    // lpt_connect has told the user; this says why the machine's ports did not do.
    void SayWhy(std::ostream& err) const {
        if (!machine) return;
        if (!lookupProblem.empty()) err << "kpx41: " << lookupProblem << "\n";
        if (machine->map().empty()) {
            err << "kpx41: no parallel port found (none in /proc/sys/dev/parport; "
                   "KPX41_PARPORTS=0x378=/dev/parport0 names one)\n";
        }
        for (const std::string& p : machine->Problems()) err << "kpx41: " << p << "\n";
    }

    Clock& clock;
    NullEventPump pump;
    std::string lookupProblem;
    std::unique_ptr<PpdevPortIo> machine;
    ParallelLink link;
    ParallelTransfers transfers;
};

// Everything one transfer needs, wired to the machine.
struct Session {
    Session(std::ostream& err, const Options& o)
        : dialogs(err, o.yes),
          registry(registryBackend),
          link(traced, lister, registry, clock, pump, dialogs),
          host(image),
          serial(link, host) {
        link.SetHost(&host);
        // No window to keep alive: block on the port in longer slices.
        link.SetWaitSliceMs(50);
        if (o.lpt) parallel = std::make_unique<ParallelSession>(o, clock, dialogs, host);
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
            std::error_code ec;
            if (!std::filesystem::exists(*o.port, ec)) {
                err << "kpx41: no such port: " << *o.port << "\n";
                return false;
            }
            link.boardPort = PortMap::Default().Register(*o.port);
            return true;
        }
        if (link.usb_probe()) return true;
        err << kBoardNotResponding << "\n";
        return false;
    }

    // Done with the link; false when the operation failed.
    bool Finish() {
        Transfers().Release();
        return !Transfers().TransferFailed();
    }

    StreamDialogs dialogs;
    SteadyClock clock;
    NullEventPump pump;
    TermiosSerialPort port;
    TracingSerialPort traced{port};
    std::unique_ptr<TraceFile> traceFile;
    std::unique_ptr<BackupStore> backups;
    SysfsDeviceLister lister;
    SystemRegistry registryBackend;
    RegistryAccess registry;
    SerialLink link;
    PagerImage image;
    ConsoleHost host;
    SerialTransfers serial;
    std::unique_ptr<ParallelSession> parallel;
};

std::optional<Options> Parse(const std::vector<std::string>& args, std::string& problem) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--port" || a == "-o" || a == "--output" || a == "--trace") {
            if (i + 1 >= args.size()) {
                problem = a + " needs a value";
                return std::nullopt;
            }
            (a == "--port" ? o.port : a == "--trace" ? o.trace : o.output) = args[++i];
        } else if (a == "--lpt" || a.rfind("--lpt=", 0) == 0) {
            o.lpt = true;
            if (a.size() > 6) {
                o.lptPath = a.substr(6);
            } else if (i + 1 < args.size() && args[i + 1].rfind("/dev/", 0) == 0) {
                // A device path; anything else after --lpt is the command's own argument.
                o.lptPath = args[++i];
            }
        } else if (a == "--no-backup") {
            o.noBackup = true;
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (!a.empty() && a[0] == '-') {
            problem = "unknown option " + a;
            return std::nullopt;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.port && o.lpt) {
        problem = "--port and --lpt name two different links";
        return std::nullopt;
    }
    return o;
}

// Opens a table file as the File menu does; false (the message told) when it cannot be used.
bool OpenTable(Session& s, const std::string& path, std::ostream& err) {
    const TableFileLoad load = LoadTableFile(path);
    if (load.status != TableFileStatus::Ok) {
        err << load.message << "\n";
        return false;
    }
    s.image = PagerImage(load.bytes);
    if (auto row = DetectBandFromImage(load.bytes).row) s.host.bandRow = *row;
    return true;
}

}  // namespace

int CmdRead(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "read";
    std::string problem;
    auto o = Parse(args, problem);
    if (!o) return UsageError(kName, problem, io);
    if (!o->output || !o->files.empty() || o->yes)
        return UsageError(kName, "read needs -o FILE", io);
    Session s(err, *o);
    // The image the program starts with: a parallel read must bring its fixed bytes back.
    s.image = BuildDefaultImage();
    if (!s.Prepare(*o, err) || !s.Connect(*o, err)) return 1;
    s.Transfers().readall(s.image, 0, kImageLast);
    // Only a complete and plausible read replaces the image; anything else writes no file.
    if (!s.Finish() || !s.host.replaced) return 1;
    KeepBackup(s.backups.get(), s.image, "read", err);
    const std::string failure = SaveTableFile(*o->output, s.image);
    if (!failure.empty()) {
        err << failure << "\n";
        return 1;
    }
    out << "read the pager into " << *o->output << "\n";
    return 0;
}

int CmdWrite(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "write";
    std::string problem;
    auto o = Parse(args, problem);
    if (!o) return UsageError(kName, problem, io);
    if (o->files.size() != 1 || o->output) return UsageError(kName, "write needs one FILE", io);
    Session s(err, *o);
    if (!s.Prepare(*o, err) || !OpenTable(s, o->files[0], err)) return 1;
    if (!s.Connect(*o, err)) return 1;
    EncodeTextRegions(s.image);
    PagerTransfers& t = s.Transfers();
    t.writeall(s.image, 0, kImageLast);
    if (!t.TransferFailed()) KeepWrittenBackup(s.backups.get(), s.image, err);
    if (!t.TransferFailed()) t.verify(s.image, 0, kImageLast);
    DecodeTextRegions(s.image);
    if (!s.Finish()) return 1;
    out << "wrote and verified " << o->files[0] << "\n";
    return 0;
}

int CmdVerify(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "verify";
    std::string problem;
    auto o = Parse(args, problem);
    if (!o) return UsageError(kName, problem, io);
    if (o->files.size() != 1 || o->output || o->yes) {
        return UsageError(kName, "verify needs one FILE", io);
    }
    Session s(err, *o);
    if (!s.Prepare(*o, err) || !OpenTable(s, o->files[0], err)) return 1;
    if (!s.Connect(*o, err)) return 1;
    // The pager holds the texts in its own character set, and so does a written file's image.
    EncodeTextRegions(s.image);
    s.Transfers().verify(s.image, 0, kImageLast);
    if (!s.Finish()) return 1;
    out << "the pager matches " << o->files[0] << "\n";
    return 0;
}

int CmdPorts(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    (void)err;
    if (!args.empty()) return UsageError("ports", "takes no arguments", io);
    SysfsDeviceLister lister;
    const auto ports = lister.Ports(kCableDescription);
    for (const auto& p : ports) out << p.friendlyName << "\t" << p.path << "\n";
    if (ports.empty()) out << "no " << kCableDescription << " found\n";
    return 0;
}

int CmdProbe(const std::vector<std::string>& args, CliIo& io) {
    std::ostream& out = io.out;
    std::ostream& err = io.err;
    static constexpr const char* kName = "probe";
    std::string problem;
    auto o = Parse(args, problem);
    if (!o) return UsageError(kName, problem, io);
    if (o->port || o->lpt || o->output || !o->files.empty() || o->yes) {
        return UsageError(kName, "probe takes only --trace FILE", io);
    }
    Session s(err, *o);
    if (!s.Prepare(*o, err) || !s.Connect(*o, err)) return 1;
    const auto path = PortMap::Default().PathForCom(s.link.boardPort);
    out << "board on COM" << s.link.boardPort << " (" << path.value_or("?") << ")\n";
    return 0;
}

void UseParallelPort(PortIo* io, Clock* clock) {
    parallelOverride = io;
    parallelClock = clock;
}

const CliCommand kReadCommand = {"read",
                                 "read [--port PATH | --lpt [PATH]] -o FILE [--trace FILE] "
                                 "[--no-backup]",
                                 "read the pager on the board and save it as a table file",
                                 CmdRead};
const CliCommand kWriteCommand = {
    "write", "write [--port PATH | --lpt [PATH]] FILE [--yes] [--trace FILE] [--no-backup]",
    "write a table file to the pager and verify it (--yes answers the GP(RoHS) question)",
    CmdWrite};
const CliCommand kVerifyCommand = {"verify",
                                   "verify [--port PATH | --lpt [PATH]] FILE [--trace FILE]",
                                   "compare the pager with a table file", CmdVerify};
const CliCommand kPortsCommand = {
    "ports", "ports", "list the cable's serial ports with their device paths", CmdPorts};
const CliCommand kProbeCommand = {"probe", "probe [--trace FILE]", "look for the programming board",
                                  CmdProbe};

}  // namespace kpx::cli
