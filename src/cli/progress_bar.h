#pragma once

#include <iosfwd>
#include <string>

#include "link/transfer_view.h"

namespace kpx::cli {

// A transfer's progress drawn on a terminal, one line redrawn in place:
// "Writing  [##########          ]  50%". The line is ended when the bar goes away.
class ProgressBar final : public TransferView {
  public:
    explicit ProgressBar(std::ostream& err) : err_(err) {}
    ~ProgressBar() override;
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void SetProgressMax(int maximum) override;
    void SetProgressValue(int position) override;
    void SetProgressColour(ProgressColour) override {}
    void SetStatus(const std::string& text) override;
    // Ends the bar's line, so that what follows starts on a line of its own.
    void EndLine();

  private:
    void Draw();

    std::ostream& err_;
    std::string label_;
    int maximum_ = 0;
    int position_ = 0;
    int drawnPercent_ = -1;
    bool drawn_ = false;
};

}  // namespace kpx::cli
