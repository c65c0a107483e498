#pragma once

// link/: the serial and parallel links and their read, write and verify, the programming
// dialog's logic, the traces and the board watch. It may use catalogue/ and every layer below.

#include <optional>

#include "image/pager_image.h"
#include "link/transfer_view.h"

namespace kpx {

// The three whole-image operations over one link (serial board or parallel bus). Outcomes are
// told to the user by the link; the caller only reads TransferFailed().
class PagerTransfers {
  public:
    virtual ~PagerTransfers() = default;
    virtual void writeall(PagerImage& image, int start, int end) = 0;
    virtual void readall(PagerImage& image, int start, int end) = 0;
    virtual void verify(const PagerImage& image, int start, int end) = 0;
    virtual bool TransferFailed() const = 0;
    // When the last operation was a verify that read the pager and found it different: the
    // pager's bytes (in its character set), so the caller can tell what differs.
    virtual std::optional<ImageBytes> MismatchedPager() const { return std::nullopt; }
    // Connects the link before an operation where the link needs it; false ends the operation.
    virtual bool Connect() { return true; }
    // Releases the link after an operation.
    virtual void Release() {}
    virtual void SetView(TransferView* view) = 0;
};

}  // namespace kpx
