#include "gui/board_link.h"

#include <QLineEdit>

#include "gui/dialogs/programming_form.h"
#include "gui/dialogs/qt_dialogs.h"
#include "gui/dialogs/verify_differences.h"
#include "image/charmap.h"
#include "link/board_watch.h"

namespace kpx::gui {

void WindowLinkHost::SetBoardLine(const std::string& text, std::uint32_t colour) {
    QLabel* lblMsg = window_.MessageLabel();
    lblMsg->setText(FromCp1252(text));
    QPalette pal = lblMsg->palette();
    // Colours come as 0x00BBGGRR.
    pal.setColor(QPalette::WindowText,
                 QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                        static_cast<int>(colour >> 16 & 0xFF)));
    lblMsg->setPalette(pal);
}

void WindowLinkHost::ImageReplacedByRead() {
    // The same steps as after opening a table file, with the pager's texts decoded first.
    DecodeTextRegions(window_.Image());
    window_.RefreshFromNewImage();
}

QLineEdit* WindowLinkHost::txtAddr(int index) const {
    return window_.findChild<QLineEdit*>(QString("txtAddr(%1)").arg(index));
}

std::string WindowLinkHost::CapcodeText(int index) const {
    QLineEdit* box = txtAddr(index);
    return box ? ToCp1252(box->text()) : std::string();
}

void WindowLinkHost::SetCapcodeText(int index, const std::string& text) {
    if (QLineEdit* box = txtAddr(index)) box->setText(FromCp1252(text));
}

BoardLink::BoardLink(MainWindow& window, SerialPort& port, DeviceLister& lister,
                     RegistryAccess& registry, UserDialogs& dialogs, PortIo* parallelPort)
    : window_(window),
      dialogs_(dialogs),
      host_(window),
      link_(port, lister, registry, window.WindowClock(), pump_, dialogs),
      transfers_(link_, host_) {
    link_.SetHost(&host_);
    if (parallelPort) {
        parallel_ =
            std::make_unique<ParallelLink>(*parallelPort, window.WindowClock(), pump_, dialogs);
        parallelTransfers_ = std::make_unique<ParallelTransfers>(*parallel_, host_);
        // The start-up probe: the port is handed back as soon as it is found.
        link_.SetLptConnect([this] {
            const bool found = parallelTransfers_->Connect();
            parallelTransfers_->Release();
            return found;
        });
    }
    // The Pager commands' link is watched for the backups.
    if (!LinkIsUsb() && parallelTransfers_) {
        observed_ = std::make_unique<ObservedTransfers>(*parallelTransfers_);
    } else {
        observed_ = std::make_unique<ObservedTransfers>(transfers_);
    }
    // The watch follows only the serial board; over the parallel port every command looks
    // for the memory first, so the Pager menu stays open.
    if (!LinkIsUsb()) window.SetPagerMenuEnabled(true);
    window.ShowProgrammingDialog = [this](int operation) { ShowProgrammingDialog(operation); };
    window.StartupProbe = [this] { StartupProbe(); };
    window.Timer1_Timer = [this] { Timer1_Timer(); };
    window.LinkBusy = [this] { return link_.Busy() || dialog_ != nullptr; };
}

BoardLink::~BoardLink() {
    window_.ShowProgrammingDialog = nullptr;
    window_.StartupProbe = nullptr;
    window_.Timer1_Timer = nullptr;
    window_.LinkBusy = nullptr;
    window_.Timer1()->stop();
    link_.SetHost(nullptr);
}

PagerTransfers& BoardLink::UsbForDialog() {
    return LinkIsUsb() ? static_cast<PagerTransfers&>(*observed_) : transfers_;
}

PagerTransfers* BoardLink::LptForDialog() {
    if (!parallelTransfers_) return nullptr;
    return LinkIsUsb() ? static_cast<PagerTransfers*>(parallelTransfers_.get()) : observed_.get();
}

void BoardLink::ExplainParallelFailures(PpdevPortIo& ports, std::string lookupProblem) {
    if (!parallelTransfers_) return;
    parallelTransfers_->notFoundReasons = [&ports, problem = std::move(lookupProblem)] {
        std::vector<std::string> lines = ParallelPortReasons(ports, problem);
        // Each failure tells what its own attempt met.
        ports.ForgetProblems();
        return lines;
    };
}

void BoardLink::ShowProgrammingDialog(int operation) {
    // Created anew for every command, gone when it is unloaded.
    Form2 form(UsbForDialog(), LptForDialog(), host_, dialogs_, window_.Image(), operation,
               window_.State().AutoIncrease1, window_.State().AutoIncrease2, &window_);
    dialog_ = &form;
    watch_.SetDialogOpen(true);
    form.exec();
    dialog_ = nullptr;
    watch_.SetDialogOpen(false);  // a tick held meanwhile runs now
    // The image is still in the pager's character set here, as the verify compared it.
    if (const auto pager = observed_->MismatchedPager()) {
        OfferVerifyDifferences(&window_, dialogs_, window_.Image(), *pager);
    }
}

}  // namespace kpx::gui
