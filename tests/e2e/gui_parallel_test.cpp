// The Pager menu of an LPT build against the EEPROM simulator on the parallel port.
#include <gtest/gtest.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "gui/board_link.h"
#include "gui/dialogs/programming_form.h"
#include "gui/dialogs/verify_differences.h"
#include "gui/main_window.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "platform/port_map.h"
#include "platform/ppdev_port.h"
#include "platform/steady_clock.h"
#include "platform/termios_port.h"
#include "settings/capcode.h"
#include "sim/eeprom_simulator.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"
#include "testsupport/window_start.h"

namespace kpx::gui::testing {
namespace {

using kpx::testing::GermanImage;

sim::EepromMemory MemoryOf(const PagerImage& image) {
    sim::EepromMemory m;
    m.fill(0xFF);
    std::copy(image.bytes().begin(), image.bytes().end(), m.begin());
    return m;
}

PagerImage ImageOf(const sim::EepromMemory& m) {
    PagerImage image;
    std::copy_n(m.begin(), kImageSize, image.bytes().begin());
    return image;
}

// The kernel's ppdev calls for the three bases' /dev/parport devices, with the memory behind the
// device of its base; it counts the claims and releases the program makes.
class KernelPorts : public ParportSystem {
  public:
    explicit KernelPorts(sim::EepromSimulator& memory) : memory_(memory) {}
    int Open(const std::string& path) override {
        if (openResult < 0) return openResult;
        for (std::size_t i = 0; i < kLptBases.size(); ++i) {
            if (path == Path(i)) return static_cast<int>(i) + 10;
        }
        return -ENOENT;
    }
    int Ioctl(int fd, unsigned long request, std::uint8_t* value) override {
        const auto base = kLptBases[static_cast<std::size_t>(fd - 10)];
        switch (request) {
            case PPCLAIM:
                if (claimResult < 0) return claimResult;
                ++claims;
                ++held;
                return 0;
            case PPRELEASE:
                ++releases;
                --held;
                return 0;
            case PPWDATA:
                memory_.Out(base, *value);
                return 0;
            case PPRDATA:
                *value = memory_.In(base);
                return 0;
            case PPRSTATUS:
                *value = memory_.In(static_cast<std::uint16_t>(base + 1));
                return 0;
            default:
                return -EINVAL;
        }
    }
    void Close(int) override {}
    static std::string Path(std::size_t i) { return "/dev/parport" + std::to_string(i); }
    static ParportMap Map() {
        ParportMap map;
        for (std::size_t i = 0; i < kLptBases.size(); ++i) map[kLptBases[i]] = Path(i);
        return map;
    }

    int openResult = 0;
    int claimResult = 0;
    int claims = 0;
    int releases = 0;
    int held = 0;

  private:
    sim::EepromSimulator& memory_;
};

class ParallelWindow : public ::testing::Test {
  protected:
    // Builds and loads the window with the memory on the parallel port; the load step probes.
    // With ppdev, the port is the machine's adapter over the kernel calls of `kernel`.
    void StartWindow(sim::EepromOptions options = {}, bool ppdev = false,
                     ParportMap map = KernelPorts::Map()) {
        if (!options.memory) options.memory = MemoryOf(BuildDefaultImage());
        memory = std::make_unique<sim::EepromSimulator>(clock, options);
        window = kpx::testing::NewMainWindow(settings, dialogs, folder);
        PortIo* io = memory.get();
        if (ppdev) {
            kernel = std::make_unique<KernelPorts>(*memory);
            ports = std::make_unique<PpdevPortIo>(std::move(map), *kernel);
            io = ports.get();
        }
        link = std::make_unique<BoardLink>(*window, port, lister, registry, dialogs, io);
        if (ppdev) link->ExplainParallelFailures(*ports, "");
        ASSERT_TRUE(kpx::testing::ShowAndLoad(*window));
        window->Timer1()->stop();
    }
    bool PagerMenuEnabled() { return window->findChild<QMenu*>("mnuPager")->isEnabled(); }

    SteadyClock clock;
    std::unique_ptr<sim::EepromSimulator> memory;
    std::unique_ptr<KernelPorts> kernel;
    std::unique_ptr<PpdevPortIo> ports;
    PortMap map;
    TermiosSerialPort port{map};
    kpx::testing::ScriptedLister lister;
    MemoryRegistry registryBackend;
    RegistryAccess registry{registryBackend};
    ProgramSettings settings;
    kpx::testing::RecordingDialogs dialogs;
    kpx::testing::TempDir folder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<BoardLink> link;
};

// Presses Exit of the auto-increase dialog as soon as it waits for Write.
void ExitOnceWaiting(BoardLink& link) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, &link] {
        Form2* f = link.Dialog();
        if (!f) return;
        auto* exit = f->findChild<QPushButton*>("cmdExit");
        if (exit->isHidden() || !exit->isEnabled()) return;
        poll->stop();
        poll->deleteLater();
        exit->click();
    });
    poll->start();
}

TEST_F(ParallelWindow, WriteThenReadCarriesGermanTextsEncodedOnTheWire) {
    StartWindow();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(PagerMenuEnabled());
    EXPECT_EQ(memory->releases(), 1);  // the start-up probe handed the port back
    window->Image() = GermanImage();
    window->init_ctl();
    window->findChild<QRadioButton*>("WriteOpt")->setChecked(true);

    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Verify Success!"});
    EXPECT_EQ(link->Dialog(), nullptr);
    const sim::EepromMemory written = memory->memory();
    EXPECT_EQ(written[0x105], 0x7B);  // ä in the German set
    EXPECT_EQ(written[0x106], 0x7E);  // ß
    EXPECT_EQ(written[0x3B2], 0x5D);  // Ü
    EXPECT_EQ(written[0x3E0], 1);
    EXPECT_EQ(window->Image().at(0x105), 0xE4);
    // Released after the write and after the verify; the bus left stopped.
    EXPECT_EQ(memory->releases(), 3);
    EXPECT_EQ(link->Parallel()->LptDataShadow, 0xFC);

    window->Image() = BuildDefaultImage();
    window->init_ctl();
    dialogs.Clear();
    window->mnuEntire_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Read success!"});
    PagerImage expected = ImageOf(written);
    DecodeTextRegions(expected);
    EXPECT_TRUE(window->Image() == expected);
    EXPECT_EQ(window->Image().at(0x106), 0xDF);
}

TEST_F(ParallelWindow, FailedAndImplausibleReadsKeepTheWindowsImage) {
    struct Case {
        sim::EepromFault fault;
        int address;
        std::vector<std::string> messages;
    } cases[] = {
        {sim::EepromFault::NeverAck, 0, {"Read error!"}},
        {sim::EepromFault::FlipBit, 1, {"Read success!", "The data in this pager is wrong!"}},
    };
    for (const auto& c : cases) {
        sim::EepromOptions options;
        options.fault = {c.fault, c.address, 0x10};
        StartWindow(options);
        window->Image().set(0x200, 0x42);
        const PagerImage before = window->Image();
        dialogs.Clear();
        window->mnuEntire_Click();
        EXPECT_EQ(dialogs.Texts(), c.messages);
        EXPECT_TRUE(window->Image() == before);
        EXPECT_EQ(link->Dialog(), nullptr);
        link.reset();
        window.reset();
    }
}

// "Verify Error!" over the parallel port offers the settings that differ, as over the cable.
TEST_F(ParallelWindow, AFailedVerifyOffersTheSettingsThatDiffer) {
    StartWindow();
    PagerImage onPager = window->Image();
    const int before = CapcodeValue(onPager, 2);
    StoreCapcode(onPager, 2, 1234568);
    std::copy(onPager.bytes().begin(), onPager.bytes().end(), memory->memory().begin());
    dialogs.Clear();
    dialogs.AnswerNext(DialogAnswer::Yes);
    window->mnuEB1_Click();
    ASSERT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"Verify Error!", kShowDifferencesQuestion}));
    QDialog* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "frmVerifyDiff" && w->isVisible()) shown = qobject_cast<QDialog*>(w);
    }
    ASSERT_NE(shown, nullptr);
    auto* text = shown->findChild<QPlainTextEdit*>("txtDifferences");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText().toStdString(),
              "Cap #3: " + std::to_string(before) + " -> 1234568");
    shown->accept();
}

TEST_F(ParallelWindow, WithoutTheMemoryEveryCommandSaysTheBoardIsNotResponding) {
    sim::EepromOptions elsewhere;
    elsewhere.base = 0x300;
    StartWindow(elsewhere);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "The Programmed Board is not responding!");
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Warning);
    // The watch does not follow the parallel port: the menu stays open, the line untouched.
    EXPECT_TRUE(PagerMenuEnabled());
    const QString line = window->MessageLabel()->text();
    window->Timer1_Timer();
    EXPECT_EQ(window->MessageLabel()->text(), line);
    EXPECT_TRUE(window->Timer1()->isActive());

    dialogs.Clear();
    const PagerImage before = window->Image();
    window->findChild<QRadioButton*>("WriteOpt")->setChecked(true);
    window->mnuEB_Click();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"The Programmed Board is not responding!"});
    EXPECT_EQ(link->Dialog(), nullptr);
    EXPECT_EQ(memory->dataWrites(), 0);
    EXPECT_TRUE(window->Image() == before);
}

// Every way through the programming dialog hands the port back: the printer driver may have
// it while the program waits.
TEST_F(ParallelWindow, EveryWayOutOfTheDialogReleasesThePort) {
    struct Case {
        const char* path;
        bool memoryThere;
        bool writeMode;
        bool autoIncrease;
        int operation;
        std::vector<std::string> messages;
    } cases[] = {
        {"read", true, false, false, 0, {"Read success!"}},
        {"verify", true, false, false, 2, {"Verify Success!"}},
        {"write", true, true, false, 1, {"Verify Success!"}},
        {"Modify refusal", true, false, false, 1, {"Modify Mode can not write! Please check!"}},
        {"auto-increase Exit without a Write", true, true, true, 1, {}},
        {"no memory found", false, true, false, 1, {"The Programmed Board is not responding!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        sim::EepromOptions options;
        if (!c.memoryThere) options.base = 0x300;
        StartWindow(options, true);
        ASSERT_GE(kernel->claims, 1) << "the start-up probe claimed the port";
        EXPECT_EQ(kernel->held, 0) << "and handed it back";
        // The pager holds what the window holds, so a verify finds them equal.
        PagerImage onPager = window->Image();
        EncodeTextRegions(onPager);
        std::copy(onPager.bytes().begin(), onPager.bytes().end(), memory->memory().begin());
        const int claimsBefore = kernel->claims;
        if (c.writeMode) window->findChild<QRadioButton*>("WriteOpt")->setChecked(true);
        window->findChild<QCheckBox*>("optAuto1")->setChecked(c.autoIncrease);
        if (c.autoIncrease) ExitOnceWaiting(*link);
        dialogs.Clear();
        if (c.operation == 0) window->mnuEntire_Click();
        if (c.operation == 1) window->mnuEB_Click();
        if (c.operation == 2) window->mnuEB1_Click();
        EXPECT_EQ(dialogs.Texts(), c.messages);
        EXPECT_EQ(link->Dialog(), nullptr);
        EXPECT_GT(kernel->claims, claimsBefore) << "the command looked for the memory";
        EXPECT_EQ(kernel->held, 0)
            << "claims " << kernel->claims << ", releases " << kernel->releases;
        link.reset();
        window.reset();
        ports.reset();
        kernel.reset();
    }
}

// After "The Programmed Board is not responding!" the window says why, as kpx41 does.
TEST_F(ParallelWindow, NoMemoryFoundNamesTheReason) {
    struct Case {
        const char* what;
        int openResult;
        int claimResult;
        bool noPorts;
        std::string reason;
    } cases[] = {
        {"permission", -EACCES, 0, false,
         "cannot open /dev/parport0 for the port at 0x378: Permission denied (join the group "
         "lp: sudo usermod -aG lp $USER, then log in again)"},
        {"claimed elsewhere", 0, -EBUSY, false,
         "cannot claim /dev/parport0: Device or resource busy"},
        {"no port", 0, 0, true,
         "no parallel port found (none in /proc/sys/dev/parport; "
         "KPX41_PARPORTS=0x378=/dev/parport0 names one)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Only the first base has a device; the kernel refuses it as the case says.
        ParportMap map;
        if (!c.noPorts) map[kLptBases[0]] = KernelPorts::Path(0);
        dialogs.Clear();
        memory = std::make_unique<sim::EepromSimulator>(clock);
        KernelPorts refusing(*memory);
        refusing.openResult = c.openResult;
        refusing.claimResult = c.claimResult;
        window = kpx::testing::NewMainWindow(settings, dialogs, folder);
        ports = std::make_unique<PpdevPortIo>(map, refusing);
        link = std::make_unique<BoardLink>(*window, port, lister, registry, dialogs, ports.get());
        link->ExplainParallelFailures(*ports, "");
        window->show();
        window->Load();
        QApplication::processEvents();
        window->Timer1()->stop();
        const std::vector<std::string> expected = {"The Programmed Board is not responding!",
                                                   c.reason};
        EXPECT_EQ(dialogs.Texts(), expected) << "at start";
        // Every command tells it again, not only the first.
        for (int round = 0; round < 2; ++round) {
            dialogs.Clear();
            window->mnuEB1_Click();
            EXPECT_EQ(dialogs.Texts(), expected);
        }
        link.reset();
        window.reset();
        ports.reset();
    }
}

}  // namespace
}  // namespace kpx::gui::testing
