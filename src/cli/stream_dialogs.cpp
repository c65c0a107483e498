#include "cli/stream_dialogs.h"

#include "link/serial_transfers.h"

namespace kpx::cli {

DialogAnswer StreamDialogs::Message(const std::string& text, DialogButtons buttons, DialogIcon) {
    if (quiet_ && (text == kReadSuccess || text == kVerifySuccess)) return DialogAnswer::Ok;
    if (bar_) bar_->EndLine();
    err_ << text << "\n";
    if (buttons == DialogButtons::Ok) {
        err_.flush();
        return DialogAnswer::Ok;
    }
    err_ << (answerYes_ ? "(answered Yes: --yes)" : "(answered No; --yes answers Yes)") << "\n";
    err_.flush();
    return answerYes_ ? DialogAnswer::Yes : DialogAnswer::No;
}

}  // namespace kpx::cli
