#include "gui/programmer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "gui/board_link.h"
#include "gui/dialogs/form5.h"
#include "gui/dialogs/form6.h"
#include "gui/dialogs/programming_form.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/display_check.h"
#include "gui/station_link.h"
#include "gui/station_start.h"
#include "gui/window_backups.h"
#include "image/default_image.h"
#include "link/bus_trace.h"
#include "link/frame_trace.h"
#include "platform/data_dirs.h"
#include "platform/platform_serial.h"
#include "platform/ppdev_port.h"
#include "platform/user_settings.h"
#include "sim/eeprom_simulator.h"
#include "sim/fresh_memory.h"
#include "texts/prompt_slots.h"

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
        QSize start(window_->designWidth + frame.width(), window_->designHeight + frame.height());
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

namespace {

class SilentDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string& text, DialogButtons, DialogIcon) override {
        std::fprintf(stderr, "kpx41-programmer: %s\n", text.c_str());
        return DialogAnswer::No;
    }
};

// A pager memory on the first parallel port, as writing the start-up image leaves it.
std::unique_ptr<sim::EepromSimulator> SimulatedEeprom(Clock& clock) {
    sim::EepromOptions options;
    options.memory = sim::FreshEepromMemory();
    return std::make_unique<sim::EepromSimulator>(clock, options);
}

bool Save(QWidget* w, const QString& file, QString* error) {
    if (w->grab().save(file, "PNG")) return true;
    if (error) *error = "cannot write " + file;
    return false;
}

}  // namespace

bool WriteScreenshots(const QString& dir, QString* error) {
    if (!QDir().mkpath(dir)) {
        if (error) *error = "cannot create " + dir;
        return false;
    }
    SilentDialogs dialogs;
    const ProgramSettings& settings = DefaultProgramSettings();
    // An empty folder of its own, so that no default.tbl changes what is shown.
    MainWindow w(settings, dialogs, QDir::tempPath() + "/kpx41-screenshot-none");
    w.resize(1000, 700);
    w.show();
    w.Load();
    QApplication::processEvents();
    bool ok = true;
    w.EMoptCode_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet1.png", error) && ok;
    w.EMoptStatus_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet2.png", error) && ok;
    // The two editors opened from the code page: capcode 1's function bits, the message status.
    for (QDialog* editor : std::initializer_list<QDialog*>{new Form5(w, 3, &w), new Form6(w, &w)}) {
        editor->show();
        QApplication::processEvents();
        ok = Save(editor, dir + "/" + editor->objectName() + ".png", error) && ok;
        editor->done(QDialog::Accepted);
        delete editor;
    }
    // The text page in German (national letters), the glyph page and keyboard in Russian.
    auto* languages = w.findChild<QComboBox*>("cboLng");
    languages->setCurrentIndex(kLanguageRowGerman);
    w.EMoptPrompts_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet5.png", error) && ok;
    languages->setCurrentIndex(kRussianRow);
    w.EMoptPrompts_Click();
    QApplication::processEvents();
    ok = Save(&w, dir + "/picSet6.png", error) && ok;
    if (auto* keyboard = w.findChild<QWidget*>("Form3")) {
        keyboard->adjustSize();
        QApplication::processEvents();
        ok = Save(keyboard, dir + "/Form3.png", error) && ok;
    }
    w.EMoptCode_Click();
    languages->setCurrentIndex(0);
    AboutWindow about(settings, "130-180MHz", &w);
    about.show();
    QApplication::processEvents();
    ok = Save(&about, dir + "/about.png", error) && ok;
    about.close();

    // The programming dialog in production mode, half-way through a pager.
    PlatformSerial serial;
    const auto eeprom = SimulatedEeprom(serial.clock);
    BoardLink link(w, serial.port, serial.lister, serial.registry, dialogs, eeprom.get());
    w.findChild<QRadioButton*>("WriteOpt")->setChecked(true);
    Form2 form(link.UsbForDialog(), link.LptForDialog(), link.Host(), dialogs, w.Image(),
               kOperationWrite, true, true, &w);
    form.show();
    QApplication::processEvents();
    form.SetAutoLabelText(1, " 1st capcode : 1234567");
    form.SetAutoLabelText(2, " 2nd capcode : 0000042");
    form.SetButtonsEnabled(false);
    form.SetProgressMax(kImageLast - 16);
    form.SetProgressColour(ProgressColour::Highlight);
    form.SetProgressValue(640);
    form.SetStatus("Writing Now.......");
    QApplication::processEvents();
    ok = Save(&form, dir + "/Form2.png", error) && ok;
    form.done(QDialog::Accepted);
    return ok;
}

int RunProgrammer(int argc, char** argv) {
    ProgrammerArgs args;
    if (const auto exit = TakeProgrammerArgs(argc, argv, &args)) return *exit;
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
    if (!screenshotDir.isEmpty()) {
        QString error;
        if (!WriteScreenshots(screenshotDir, &error)) {
            std::fprintf(stderr, "kpx41-programmer: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    QtUserDialogs dialogs;
    PlatformSerial serial;
    // The parallel port of an LPT build: the machine's, or a simulated pager memory on it.
    std::unique_ptr<PortIo> parallelPort;
    PpdevPortIo* machinePorts = nullptr;
    std::string lookupProblem;
    if (!LinkIsUsb()) {
        if (simulate) {
            parallelPort = SimulatedEeprom(serial.clock);
            std::fprintf(stderr,
                         "kpx41-programmer: simulated pager memory on the parallel port "
                         "at 0x378\n");
        } else {
            auto machine = std::make_unique<PpdevPortIo>(MachineParports(&lookupProblem));
            machinePorts = machine.get();
            parallelPort = std::move(machine);
            if (!lookupProblem.empty())
                std::fprintf(stderr, "kpx41-programmer: %s\n", lookupProblem.c_str());
        }
    }
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
    // KPX41_TRACE=FILE: every frame to and from the board (in an LPT build every transaction on
    // the memory's bus), time-stamped, for a fault report.
    std::ofstream traceFile;
    std::unique_ptr<FrameTrace> trace;
    if (const char* path = std::getenv("KPX41_TRACE"); path && *path) {
        traceFile.open(path, std::ios::app);
        if (traceFile)
            trace = std::make_unique<FrameTrace>(traceFile);
        else
            std::fprintf(stderr, "kpx41-programmer: cannot write the trace %s\n", path);
    }
    TracingSerialPort port(serial.port, trace.get());
    std::unique_ptr<TracingPortIo> tracedParallel;
    if (parallelPort) tracedParallel = std::make_unique<TracingPortIo>(*parallelPort, trace.get());
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
    DeviceLister& lister = bench.Any() ? static_cast<DeviceLister&>(simulatedOnly) : serial.lister;
    BoardLink link(programmer.Window(), port, lister, serial.registry, dialogs,
                   tracedParallel.get());
    if (machinePorts) link.ExplainParallelFailures(*machinePorts, lookupProblem);
    BackupStore backups(BackupFolder());
    WindowBackups windowBackups(programmer.Window(), link, backups, dialogs);
    // The station's choices live beside the program's other settings.
    const std::string stationFolder =
        folders.settingsFile.empty() ? folders.program : ConfigFolder();
    const auto station =
        AttachStation(programmer, link, lister, backups, stationFolder, args, bench);
    programmer.Start();
    return QApplication::exec();
}

}  // namespace kpx::gui
