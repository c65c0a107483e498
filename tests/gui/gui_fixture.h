#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "gui/main_window.h"
#include "testsupport/fakes.h"
#include "testsupport/window_start.h"

namespace kpx::gui::testing {

// A started main window, offscreen, with recorded message boxes and a program folder of its
// own.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(); }

    void Start() {
        window = kpx::testing::NewMainWindow(settings, dialogs, folder);
        ASSERT_TRUE(kpx::testing::ShowAndLoad(*window));
    }

    template <class T>
    T* Get(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Types text into an entry box and leaves it, as a user does.
    void Enter(const char* box, const QString& text) {
        auto* edit = Get<QLineEdit>(box);
        edit->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QTest::keyClicks(edit, text);
        Get<QWidget>("picTabBack")->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    int Row(const char* list) { return Get<QComboBox>(list)->currentIndex(); }
    QString Text(const char* edit) { return Get<QLineEdit>(edit)->text(); }
    std::uint8_t Byte(int a) { return window->Image().at(a); }
    std::uint32_t Word(int a) {
        return static_cast<std::uint32_t>(Byte(a) << 16 | Byte(a + 1) << 8 | Byte(a + 2));
    }

    ProgramSettings settings;
    kpx::testing::RecordingDialogs dialogs;
    kpx::testing::TempDir folder;
    std::unique_ptr<MainWindow> window;
};

}  // namespace kpx::gui::testing
