#pragma once

#include <string>

namespace kpx {

// Bar colours of the programming dialog's progress bar.
enum class ProgressColour {
    Highlight,  // the system highlight colour (writing)
    Purple,     // 0x800080 (reading, verifying)
};

// The programming dialog as the transfers see it: the progress bar and the status line Label1.
class TransferView {
  public:
    virtual ~TransferView() = default;
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressValue(int position) = 0;
    virtual void SetProgressColour(ProgressColour colour) = 0;
    virtual void SetStatus(const std::string& text) = 0;  // Label1
};

// The opening of every transfer: the bar runs from `position` to `maximum` in `colour`, and the
// status line says what is going on.
inline void StartProgress(TransferView& view, int maximum, int position, ProgressColour colour,
                          const std::string& status) {
    view.SetProgressMax(maximum);
    view.SetProgressValue(position);
    view.SetProgressColour(colour);
    view.SetStatus(status);
}

class NullTransferView final : public TransferView {
  public:
    void SetProgressMax(int) override {}
    void SetProgressValue(int) override {}
    void SetProgressColour(ProgressColour) override {}
    void SetStatus(const std::string&) override {}
};

}  // namespace kpx
