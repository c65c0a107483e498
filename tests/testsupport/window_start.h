#pragma once

#include <QApplication>
#include <QTest>
#include <memory>

#include "gui/main_window.h"
#include "testsupport/fakes.h"

namespace kpx::testing {

// The main window over the test's settings and dialogs, with `folder` as its program folder.
inline std::unique_ptr<gui::MainWindow> NewMainWindow(const ProgramSettings& settings,
                                                      UserDialogs& dialogs, const TempDir& folder) {
    return std::make_unique<gui::MainWindow>(settings, dialogs,
                                             QString::fromStdString(folder.path()));
}

// Shows the window at the tests' size and, once it is the active one, runs its load step as
// the program's start does. False when it never became active.
inline bool ShowAndLoad(gui::MainWindow& window) {
    window.resize(1000, 700);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return false;
    window.Load();
    QApplication::processEvents();
    return true;
}

}  // namespace kpx::testing
