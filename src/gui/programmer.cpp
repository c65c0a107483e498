#include "gui/programmer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>

#include "gui/board_link.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/display_check.h"
#include "gui/screenshots.h"
#include "gui/station_link.h"
#include "gui/station_start.h"
#include "gui/window_backups.h"
#include "link/bus_trace.h"
#include "link/frame_trace.h"
#include "platform/data_dirs.h"
#include "platform/platform_serial.h"
#include "platform/ppdev_port.h"
#include "platform/user_settings.h"
#include "sim/eeprom_simulator.h"
#include "sim/fresh_memory.h"

namespace kpx::gui {

Programmer::Programmer(const ProgramSettings& settings, UserDialogs& dialogs, const QString& folder,
                       int splashShowMs, int splashCloseMs)
    : window_(std::make_unique<MainWindow>(settings, dialogs, folder)),
      splash_(std::make_unique<SplashWindow>(settings)) {
    splash_->Timer1()->setInterval(splashShowMs);
    splash_->Timer2()->setInterval(splashCloseMs);
    QObject::connect(splash_.get(), &SplashWindow::ShowMainWindow, window_.get(), [this] {
        window_->resize(1000, 700);
        window_->show();
        window_->Load([this] { splash_->EnableTimer2(); });
        // Where the screen has room, the window grows to the size its controls were laid out
        // for, at the design font; a 1024x768 screen keeps 1000x700 with the fonts scaled down.
        const QSize frame = window_->size() - window_->centralWidget()->size();
        QSize start = window_->DesignSize() + frame;
        if (const QScreen* screen = window_->screen()) {
            const QSize decoration = window_->frameGeometry().size() - window_->size();
            start = start.boundedTo(screen->availableGeometry().size() - decoration);
        }
        window_->resize(start.expandedTo(window_->minimumSize()));
        splash_->raise();
    });
}

void Programmer::Start() {
    splash_->show();
}

std::unique_ptr<sim::EepromSimulator> SimulatedEeprom(Clock& clock) {
    sim::EepromOptions options;
    options.memory = sim::FreshEepromMemory();
    return std::make_unique<sim::EepromSimulator>(clock, options);
}

namespace {

// The parallel port of an LPT build: the machine's, or a simulated pager memory on it.
struct ParallelPort {
    std::unique_ptr<PortIo> port;
    PpdevPortIo* machinePorts = nullptr;
    std::string lookupProblem;
};

ParallelPort OpenParallelPort(bool simulate, Clock& clock) {
    ParallelPort parallel;
    if (LinkIsUsb()) return parallel;
    if (simulate) {
        parallel.port = SimulatedEeprom(clock);
        std::fprintf(stderr,
                     "kpx41-programmer: simulated pager memory on the parallel port at 0x378\n");
        return parallel;
    }
    auto machine = std::make_unique<PpdevPortIo>(MachineParports(&parallel.lookupProblem));
    parallel.machinePorts = machine.get();
    parallel.port = std::move(machine);
    if (!parallel.lookupProblem.empty())
        std::fprintf(stderr, "kpx41-programmer: %s\n", parallel.lookupProblem.c_str());
    return parallel;
}

// KPX41_TRACE=FILE: every frame to and from the board (in an LPT build every transaction on
// the memory's bus), time-stamped, for a fault report.
struct TraceFile {
    std::ofstream file;
    std::unique_ptr<FrameTrace> trace;

    TraceFile() {
        const char* path = std::getenv("KPX41_TRACE");
        if (!path || !*path) return;
        file.open(path, std::ios::app);
        if (file)
            trace = std::make_unique<FrameTrace>(file);
        else
            std::fprintf(stderr, "kpx41-programmer: cannot write the trace %s\n", path);
    }
};

// The window with its links and backups, until the program ends.
int RunWindow(PlatformSerial& serial, SerialPort& port, PortIo* parallelPort,
              const ParallelPort& parallel, const ProgrammerArgs& args, SimulatedBench& bench,
              int argc, char** argv) {
    QtUserDialogs dialogs;
    // An installed program keeps default.tbl and its settings in the user's configuration
    // folder; one run from its build tree keeps them beside itself.
    const ProgramFolders folders =
        ChooseProgramFolders(QFile::encodeName(QApplication::applicationDirPath()).toStdString());
    std::unique_ptr<UserSettings> userSettings;
    if (!folders.settingsFile.empty()) {
        userSettings = std::make_unique<UserSettings>(folders.settingsFile);
    }
    Programmer programmer(DefaultProgramSettings(), dialogs,
                          QFile::decodeName(folders.program.c_str()));
    programmer.Window().KeepDialogFolderIn(userSettings.get());
    dialogs.SetParent(&programmer.Window());
    // A trial run with --simulate lists only the simulated board: a real cable on the machine
    // is neither probed nor written by it (nor by the tests that start one).
    SysfsDeviceLister simulatedOnly(PortMap::Default(), "/nonexistent-sysfs");
    DeviceLister& lister =
        bench.Any() ? static_cast<DeviceLister&>(simulatedOnly) : serial.lister;
    BoardLink link(programmer.Window(), port, lister, serial.registry, dialogs, parallelPort);
    if (parallel.machinePorts)
        link.ExplainParallelFailures(*parallel.machinePorts, parallel.lookupProblem);
    BackupStore backups(BackupFolder());
    WindowBackups windowBackups(programmer.Window(), link, backups, dialogs);
    // The station's choices live beside the program's other settings.
    const std::string stationFolder =
        folders.settingsFile.empty() ? folders.program : ConfigFolder();
    const auto station =
        AttachStation(programmer, link, lister, backups, stationFolder, args, bench);
    OpenFileArgument(programmer, argc, argv);
    programmer.Start();
    return QApplication::exec();
}

}  // namespace

// Options and their values are not files.
void OpenFileArgument(Programmer& programmer, int argc, char** argv) {
    QString file;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0) {
            if (i + 1 < argc) file = QFile::decodeName(argv[i + 1]);
            break;
        }
        // The station opens its own FILE.
        if (std::strcmp(a, "--production") == 0) return;
        if (std::strcmp(a, "--screenshot") == 0) ++i;
        if (a[0] != '-' && std::strspn(a, "0123456789") != std::strlen(a))
            file = QFile::decodeName(a);
    }
    if (file.isEmpty()) return;
    const QString path = QFileInfo(file).absoluteFilePath();
    QObject::connect(&programmer.Splash(), &SplashWindow::ShowMainWindow, &programmer.Window(),
                     [&programmer, path] { programmer.Window().OpenFile(path); });
}

void SetDesktopIdentity() {
    QGuiApplication::setDesktopFileName("kpx41-programmer");
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/kpx41-programmer-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
}

int RunProgrammer(int argc, char** argv) {
    ProgrammerArgs args;
    if (const std::optional<int> exit = TakeProgrammerArgs(argc, argv, &args)) return *exit;
    const QString screenshotDir = QString::fromStdString(args.screenshotDir);
    const bool simulate = args.simulate > 0;
    if (!screenshotDir.isEmpty() && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Without a display Qt aborts; say what to do instead.
    if (!DisplayAvailable(RequestedPlatform(argc, argv).c_str(), std::getenv("DISPLAY"),
                          std::getenv("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", kNoDisplayMessage);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("KPX41 Programmer");
    SetDesktopIdentity();
    if (!screenshotDir.isEmpty()) {
        QString error;
        if (!WriteScreenshots(screenshotDir, &error)) {
            std::fprintf(stderr, "kpx41-programmer: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    PlatformSerial serial;
    const ParallelPort parallel = OpenParallelPort(simulate, serial.clock);
    // Simulated boards holding a freshly written pager, plugged in before the start-up probe
    // looks.
    SimulatedBench bench;
    if (simulate && LinkIsUsb()) {
        std::string error;
        if (!bench.Start(args.simulate, &error)) {
            std::fprintf(stderr, "kpx41-programmer: no simulated board: %s\n", error.c_str());
            return 1;
        }
    }
    TraceFile trace;
    TracingSerialPort port(serial.port, trace.trace.get());
    std::unique_ptr<TracingPortIo> tracedParallel;
    if (parallel.port)
        tracedParallel = std::make_unique<TracingPortIo>(*parallel.port, trace.trace.get());
    return RunWindow(serial, port, tracedParallel.get(), parallel, args, bench, argc, argv);
}

}  // namespace kpx::gui
