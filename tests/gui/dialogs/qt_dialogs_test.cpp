// The real message boxes, offscreen: a question answered "No" by clicking its button refuses
// what it guards.
#include "gui/dialogs/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "gui/main_window.h"
#include "gui/dialogs/verify_differences.h"
#include "image/default_image.h"
#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/termios_port.h"
#include "sim/simulated_board.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx::gui {
namespace {

// Clicks the given button of every QMessageBox that comes up and notes its text; any other
// dialog is noted by name and closed.
class BoxClicker {
  public:
    explicit BoxClicker(QMessageBox::StandardButton answer) : answer_(answer) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(5);
    }
    std::vector<std::string> seen;

  private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.push_back(ToCp1252(box->text()));
            last_ = modal;
            box->button(answer_)->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            seen.push_back("dialog " + dialog->objectName().toStdString());
            last_ = modal;
            dialog->reject();
        }
    }
    QMessageBox::StandardButton answer_;
    QTimer timer_;
    QWidget* last_ = nullptr;
};

TEST(QtDialogs, NoOnTheRealBoxRefuses) {
    const struct {
        const char* question;
        std::function<void(QtUserDialogs&, kpx::testing::TempDir&)> run;
    } cases[] = {
        {"This file is arealy exist ! \r\nAre you sure overwrite this file?",
         [](QtUserDialogs& dialogs, kpx::testing::TempDir& dir) {
             const std::string path = dir.File("kept.tbl");
             {
                 QFile f(QString::fromStdString(path));
                 ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                 f.write("keep me");
             }
             ProgramSettings settings;
             MainWindow window(settings, dialogs, QString::fromStdString(dir.path()));
             window.ChooseFile = [path](bool) { return QString::fromStdString(path); };
             EXPECT_FALSE(window.TableFileSave());
             EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 7);
         }},
        {kGpQuestion,
         [](QtUserDialogs& dialogs, kpx::testing::TempDir&) {
             PortMap map;
             sim::BoardOptions gp;
             gp.gpMarker = true;
             sim::SimulatedBoard board(sim::BoardSimulator::Config{gp}, map);
             ASSERT_TRUE(board.Start());
             TermiosSerialPort port(map);
             kpx::testing::ScriptedLister lister;
             lister.SetComs({board.com()});
             MemoryRegistry registryBackend;
             RegistryAccess registry(registryBackend);
             SteadyClock clock;
             kpx::testing::CountingPump pump;
             SerialLink link(port, lister, registry, clock, pump, dialogs);
             PagerImage image = BuildDefaultImage();
             kpx::testing::RecordingHost host(image);
             host.bandRow = 2;  // 130-180 MHz, not the GP band
             link.SetHost(&host);
             link.boardPort = board.com();
             SerialTransfers transfers(link, host);
             transfers.usb_writeall(image, 0, kImageSize - 1);
             EXPECT_TRUE(link.TransferFailed);
             EXPECT_EQ(board.simulator().writes(), 0);
         }},
        {kShowDifferencesQuestion,
         [](QtUserDialogs& dialogs, kpx::testing::TempDir&) {
             const PagerImage written = BuildDefaultImage();
             ImageBytes pager = written.bytes();
             pager[0x0E9] ^= 1;
             QWidget parent;
             OfferVerifyDifferences(&parent, dialogs, written, pager);
         }},
    };
    for (const auto& c : cases) {
        kpx::testing::TempDir dir;
        QtUserDialogs dialogs;
        BoxClicker clicker(QMessageBox::No);
        c.run(dialogs, dir);
        // The question came up, was answered No, and nothing came after it.
        EXPECT_EQ(clicker.seen, std::vector<std::string>{c.question}) << c.question;
    }
}

// The same box answered Yes goes on: the clicks reach the box that asked.
TEST(QtDialogs, YesOnTheRealBoxGoesOn) {
    kpx::testing::TempDir dir;
    const std::string path = dir.File("replaced.tbl");
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    QtUserDialogs dialogs;
    BoxClicker clicker(QMessageBox::Yes);
    ProgramSettings settings;
    MainWindow window(settings, dialogs, QString::fromStdString(dir.path()));
    window.ChooseFile = [path](bool) { return QString::fromStdString(path); };
    EXPECT_TRUE(window.TableFileSave());
    EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 1024);
    EXPECT_EQ(clicker.seen.size(), 1u);
}

}  // namespace
}  // namespace kpx::gui
