#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "gui/board_link.h"
#include "gui/dialogs/programming_form.h"
#include "gui/main_window.h"
#include "platform/port_map.h"
#include "platform/termios_port.h"
#include "sim/simulated_board.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"
#include "testsupport/window_start.h"

namespace kpx::gui::testing {

// The main window wired to the serial link as the program wires it, with a port map of its own,
// a device list the test sets and (when plugged in) a simulated board on a real pseudo-terminal.
class BoardWindowTest : public ::testing::Test {
  protected:
    // Plugs a simulated board in and lists its port.
    void PlugInBoard(sim::BoardOptions options = {}) {
        board = std::make_unique<sim::SimulatedBoard>(sim::BoardSimulator::Config{options}, map);
        std::string error;
        ASSERT_TRUE(board->Start(&error)) << error;
        lister.SetComs({board->com()});
    }

    // Builds and loads the window; the load step probes for the board.
    void StartWindow() {
        window = kpx::testing::NewMainWindow(settings, dialogs, folder);
        link = std::make_unique<BoardLink>(*window, port, lister, registry, dialogs);
        ASSERT_TRUE(kpx::testing::ShowAndLoad(*window));
        // The tests run the watch ticks themselves.
        window->Timer1()->stop();
    }

    template <class T>
    T* Get(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Types a capcode into txtAddr(index) and leaves the box.
    void EnterCapcode(int index, const QString& text) {
        auto* box = Get<QLineEdit>(QString("txtAddr(%1)").arg(index).toLatin1().constData());
        box->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        box->selectAll();
        QTest::keyClicks(box, text);
        Get<QWidget>("picTabBack")->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }

    void SelectWriteMode() { Get<QRadioButton>("WriteOpt")->setChecked(true); }
    QString BoardLine() { return window->MessageLabel()->text(); }
    QColor BoardLineColour() {
        return window->MessageLabel()->palette().color(QPalette::WindowText);
    }
    bool PagerMenuEnabled() { return Get<QMenu>("mnuPager")->isEnabled(); }
    sim::BoardMemory Memory() { return board->simulator().Memory(); }

    PortMap map;
    std::unique_ptr<sim::SimulatedBoard> board;
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

}  // namespace kpx::gui::testing
