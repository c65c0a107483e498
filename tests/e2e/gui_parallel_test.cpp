// The Pager menu of an LPT build against the EEPROM simulator on the parallel port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "gui/board_link.h"
#include "gui/dialogs/verify_differences.h"
#include "gui/main_window.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/termios_port.h"
#include "settings/capcode.h"
#include "sim/eeprom_simulator.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::gui::testing {
namespace {

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

PagerImage GermanImage() {
    PagerImage image = BuildDefaultImage();
    image.SetBits(0x3A, 0, 8, 4);  // German character set
    image.set(0x105, 0xE4);        // ä
    image.set(0x106, 0xDF);        // ß
    image.set(0x3B2, 0xDC);        // Ü
    return image;
}

class ParallelWindow : public ::testing::Test {
  protected:
    // Builds and loads the window with the memory on the parallel port; the load step probes.
    void StartWindow(sim::EepromOptions options = {}) {
        if (!options.memory) options.memory = MemoryOf(BuildDefaultImage());
        memory = std::make_unique<sim::EepromSimulator>(clock, options);
        window =
            std::make_unique<MainWindow>(settings, dialogs, QString::fromStdString(folder.path()));
        link = std::make_unique<BoardLink>(*window, port, lister, registry, dialogs, memory.get());
        window->resize(1000, 700);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->Load();
        QApplication::processEvents();
        window->Timer1()->stop();
    }
    bool PagerMenuEnabled() { return window->findChild<QMenu*>("mnuPager")->isEnabled(); }

    SteadyClock clock;
    std::unique_ptr<sim::EepromSimulator> memory;
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

}  // namespace
}  // namespace kpx::gui::testing
