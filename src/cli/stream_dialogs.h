#pragma once

#include <ostream>

#include "support/user_dialogs.h"

namespace kpx::cli {

// Message boxes on a text stream: the text as it stands, one line after it. A question is
// answered Yes only when the user said so beforehand (--yes).
class StreamDialogs : public UserDialogs {
  public:
    StreamDialogs(std::ostream& err, bool answerYes) : err_(err), answerYes_(answerYes) {}
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override;

  private:
    std::ostream& err_;
    bool answerYes_;
};

}  // namespace kpx::cli
