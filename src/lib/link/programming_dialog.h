#pragma once

#include <string>

#include "image/pager_image.h"
#include "link/link_host.h"
#include "link/pager_transfers.h"
#include "link/transfer_view.h"
#include "support/user_dialogs.h"

namespace kpx {

// ProgramOperation: what the programming dialog does when it comes up.
inline constexpr int kOperationRead = 0;
inline constexpr int kOperationWrite = 1;
inline constexpr int kOperationVerify = 2;

inline constexpr const char* kModifyModeRefusal = "Modify Mode can not write! Please check!";
std::string CapcodeAtTopMessage(int index);

// The controls of Form2 the dialog logic drives, besides the progress bar and Label1.
class ProgrammingDialogView : public TransferView {
  public:
    // lblAuto1 (which = 1) or lblAuto2 (which = 2).
    virtual void ShowAutoLabel(int which, bool visible) = 0;
    virtual void SetAutoLabelText(int which, const std::string& text) = 0;
    // cmdWrite and cmdExit shown.
    virtual void ShowWriteButtons() = 0;
    // cmdWrite and cmdExit enabled or disabled.
    virtual void SetButtonsEnabled(bool enabled) = 0;
    // Unload the dialog.
    virtual void CloseDialog() = 0;
};

// The logic of the programming dialog Form2: runs the operation the main window chose, over
// the link LinkKind names, and in auto-increase mode programs a series of pagers.
// The window builds one per showing of Form2 (Form2 being the view), calls Form_Activate once
// the dialog is up, routes cmdWrite to cmdWrite_Click and closes when CloseDialog is called.
// Around a write or verify the window encodes the text regions before and decodes them after.
class ProgrammingDialog {
  public:
    // lpt may be null where the parallel link is not built.
    ProgrammingDialog(PagerTransfers& usb, PagerTransfers* lpt, LinkHost& host,
                      UserDialogs& dialogs, PagerImage& image, ProgrammingDialogView& view);
    ~ProgrammingDialog();

    // Form_Activate: runs once, on the first activation.
    void Form_Activate(int ProgramOperation, bool AutoIncrease1, bool AutoIncrease2);
    void cmdWrite_Click();

    void tbl_writeall(PagerImage& image, int start, int end);
    void tbl_readall(int start, int end);
    void tbl_verify(const PagerImage& image, int start, int end);
    void set_capcode(int index);

    bool TransferFailed() const { return link().TransferFailed(); }

  private:
    PagerTransfers& link() const;
    bool Connect();
    // The parallel port handed back (the bus stopped); nothing on the serial link.
    void ReleaseLink();

    PagerTransfers& usb_;
    PagerTransfers* lpt_;
    LinkHost& host_;
    UserDialogs& dialogs_;
    PagerImage& image_;
    ProgrammingDialogView& view_;
    bool activated_ = false;
    bool connected_ = false;  // a parallel Connect not yet released
    bool autoIncrease1_ = false;
    bool autoIncrease2_ = false;
};

}  // namespace kpx
