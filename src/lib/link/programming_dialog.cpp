#include "link/programming_dialog.h"

#include <cctype>
#include <stdexcept>

#include "link/serial_link.h"
#include "settings/capcode.h"

namespace kpx {

std::string CapcodeAtTopMessage(int index) {
    return "Capcode " + std::to_string(index + 1) + " > 2097151 so can not be increase!";
}

namespace {

// The leading whole number of a text box, as the window reads it ("0001234" is 1234);
// nothing when the text does not begin with a number.
std::optional<long long> LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    bool any = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        any = true;
        if (value < 100000000000LL) value = value * 10 + (text[i] - '0');
    }
    if (!any) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

ProgrammingDialog::ProgrammingDialog(PagerTransfers& usb, PagerTransfers* lpt, LinkHost& host,
                                     UserDialogs& dialogs, PagerImage& image,
                                     ProgrammingDialogView& view)
    : usb_(usb), lpt_(lpt), host_(host), dialogs_(dialogs), image_(image), view_(view) {
    link().SetView(&view_);
}

ProgrammingDialog::~ProgrammingDialog() {
    // However the dialog goes, a port it connected is handed back.
    if (connected_) ReleaseLink();
    link().SetView(nullptr);
}

PagerTransfers& ProgrammingDialog::link() const {
    if (LinkIsUsb()) return usb_;
    if (!lpt_) throw std::logic_error("no parallel link in this build");
    return *lpt_;
}

bool ProgrammingDialog::Connect() {
    if (LinkIsUsb()) return true;
    connected_ = link().Connect();
    return connected_;
}

void ProgrammingDialog::ReleaseLink() {
    if (LinkIsUsb()) return;
    link().Release();
    connected_ = false;
}

void ProgrammingDialog::tbl_writeall(PagerImage& image, int start, int end) {
    link().writeall(image, start, end);
    ReleaseLink();
}

void ProgrammingDialog::tbl_readall(int start, int end) {
    link().readall(image_, start, end);
    ReleaseLink();
}

void ProgrammingDialog::tbl_verify(const PagerImage& image, int start, int end) {
    link().verify(image, start, end);
    ReleaseLink();
}

void ProgrammingDialog::Form_Activate(int ProgramOperation, bool AutoIncrease1,
                                      bool AutoIncrease2) {
    // The window system activates the dialog again after each message box; the operation
    // runs only once.
    if (activated_) return;
    activated_ = true;
    autoIncrease1_ = AutoIncrease1;
    autoIncrease2_ = AutoIncrease2;

    if (ProgramOperation == kOperationRead) {
        if (Connect()) tbl_readall(0, kImageLast);
        view_.CloseDialog();
        return;
    }
    if (ProgramOperation == kOperationVerify) {
        if (Connect()) tbl_verify(image_, 0, kImageLast);
        view_.CloseDialog();
        return;
    }
    if (!Connect()) {
        view_.CloseDialog();
        return;
    }
    if (host_.ModifyModeSelected()) {
        ReleaseLink();
        dialogs_.Warn(kModifyModeRefusal);
        view_.CloseDialog();
        return;
    }
    if (autoIncrease1_) view_.ShowAutoLabel(1, true);
    if (autoIncrease2_) view_.ShowAutoLabel(2, true);
    if (!autoIncrease1_ && !autoIncrease2_) {
        tbl_writeall(image_, 0, kImageLast);
        if (!TransferFailed()) tbl_verify(image_, 0, kImageLast);
        view_.CloseDialog();
        return;
    }
    // The port is free while the dialog waits for Write; each write claims it again.
    ReleaseLink();
    view_.ShowWriteButtons();
}

void ProgrammingDialog::cmdWrite_Click() {
    view_.SetButtonsEnabled(false);
    view_.SetAutoLabelText(1, " 1st capcode : " + host_.CapcodeText(0));
    view_.SetAutoLabelText(2, " 2nd capcode : " + host_.CapcodeText(1));
    tbl_writeall(image_, 0, kImageLast);
    if (!TransferFailed()) tbl_verify(image_, 0, kImageLast);
    if (!TransferFailed()) {
        if (autoIncrease1_) set_capcode(0);
        if (autoIncrease2_) set_capcode(1);
    }
    view_.SetButtonsEnabled(true);
    view_.SetProgressValue(0);
    view_.SetStatus("");
}

void ProgrammingDialog::set_capcode(int index) {
    // A box left empty (clicked into, nothing typed) still stands for the stored capcode;
    // counting on from zero would program capcode 1 into the next pager.
    long long c = LeadingNumber(host_.CapcodeText(index))
                      .value_or(static_cast<long long>(CapcodeValue(image_, index)));
    if (c >= kCapcodeMax) {
        dialogs_.Warn(CapcodeAtTopMessage(index));
        return;
    }
    if (c < 0) c = static_cast<long long>(CapcodeValue(image_, index));
    const auto v = static_cast<std::int32_t>(c + 1);
    host_.SetCapcodeText(index, std::to_string(v));
    StoreCapcode(image_, index, v);
    host_.ReadCapcodes();
}

}  // namespace kpx
