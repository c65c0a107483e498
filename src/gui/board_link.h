#pragma once

#include <memory>

#include "gui/main_window.h"
#include "gui/qt_event_pump.h"
#include "link/board_watch.h"
#include "link/device_lister.h"
#include "link/link_host.h"
#include "link/observed_transfers.h"
#include "link/parallel_transfers.h"
#include "link/port_io.h"
#include "link/serial_link.h"
#include "link/serial_port.h"
#include "link/serial_transfers.h"
#include "platform/ppdev_port.h"
#include "support/registry_access.h"

namespace kpx::gui {

class Form2;

// The main window as the serial link sees it.
class WindowLinkHost final : public LinkHost {
  public:
    explicit WindowLinkHost(MainWindow& window) : window_(window) {}

    void SetBoardLine(const std::string& text, std::uint32_t colour) override;
    void SetPagerMenuEnabled(bool enabled) override { window_.SetPagerMenuEnabled(enabled); }
    void StopWatchTimer() override { window_.Timer1()->stop(); }
    void StartWatchTimer() override { window_.Timer1()->start(); }
    int BandRow() const override { return window_.Frequency().bandRow; }
    bool ModifyModeSelected() const override { return window_.ModifyMode(); }
    void RefreshControls() override { window_.init_ctl(); }
    void ImageReplacedByRead() override;
    std::string CapcodeText(int index) const override;
    void SetCapcodeText(int index, const std::string& text) override;
    void ReadCapcodes() override { window_.RunReader(ReaderStep::Capcodes); }

  private:
    QLineEdit* txtAddr(int index) const;
    MainWindow& window_;
};

// The links wired into the main window: the Pager commands show Form2 over the build's link,
// the load step probes for the board, and Timer1 runs the board watch. With a parallel port
// given, the parallel link is there too; it is the one used when the build's link is "LPT".
class BoardLink {
  public:
    BoardLink(MainWindow& window, SerialPort& port, DeviceLister& lister, RegistryAccess& registry,
              UserDialogs& dialogs, PortIo* parallelPort = nullptr);
    ~BoardLink();
    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    SerialLink& Link() { return link_; }
    SerialTransfers& Transfers() { return transfers_; }
    // The transfers the Pager commands run through, with hooks after each read and write.
    ObservedTransfers& Observed() { return *observed_; }
    // The parallel link, or null without a parallel port.
    ParallelLink* Parallel() { return parallel_.get(); }
    ParallelTransfers* ParallelOps() { return parallelTransfers_.get(); }
    // The two links as Form2 takes them; the build's one is the observed one.
    PagerTransfers& UsbForDialog();
    PagerTransfers* LptForDialog();
    WindowLinkHost& Host() { return host_; }
    // The programming dialog on show, or null.
    Form2* Dialog() { return dialog_; }

    // After "The Programmed Board is not responding!" over the machine's parallel ports, the
    // window says why (no port, a device that cannot be opened or claimed), as kpx41 does.
    void ExplainParallelFailures(PpdevPortIo& ports, std::string lookupProblem);

    // The window's hooks, callable directly.
    void ShowProgrammingDialog(int operation);
    void StartupProbe() { StartupBoardProbe(link_, host_); }
    void Timer1_Timer() { watch_.Tick(); }
    BoardWatch& Watch() { return watch_; }

  private:
    MainWindow& window_;
    UserDialogs& dialogs_;
    QtEventPump pump_;
    WindowLinkHost host_;
    SerialLink link_;
    SerialTransfers transfers_;
    std::unique_ptr<ParallelLink> parallel_;
    std::unique_ptr<ParallelTransfers> parallelTransfers_;
    std::unique_ptr<ObservedTransfers> observed_;
    BoardWatch watch_{link_, host_};
    Form2* dialog_ = nullptr;
};

}  // namespace kpx::gui
