#pragma once

#include <ostream>

#include "cli/progress_bar.h"
#include "support/user_dialogs.h"

namespace kpx::cli {

// Message boxes on a text stream: the text as it stands, one line after it. A question is
// answered Yes only when the user said so beforehand (--yes).
class StreamDialogs : public UserDialogs {
  public:
    StreamDialogs(std::ostream& err, bool answerYes) : err_(err), answerYes_(answerYes) {}
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override;
    // A message during a transfer goes on a line of its own, below the bar.
    void SetProgressBar(ProgressBar* bar) { bar_ = bar; }
    // --quiet: the boxes that only say all went well are not shown.
    void SetQuiet(bool quiet) { quiet_ = quiet; }

  private:
    ProgressBar* bar_ = nullptr;
    bool quiet_ = false;
    std::ostream& err_;
    bool answerYes_;
};

}  // namespace kpx::cli
