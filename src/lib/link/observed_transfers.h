#pragma once

#include <functional>

#include "link/pager_transfers.h"

namespace kpx {

// PagerTransfers that hand every operation to another link and tell the caller what went to
// and came from the pager: for the backups and for the production log's image hash.
class ObservedTransfers : public PagerTransfers {
  public:
    explicit ObservedTransfers(PagerTransfers& inner) : inner_(inner) {}

    // After every write: the image as it went to the pager (its character set, with the
    // write's own changes), and whether the write went through.
    std::function<void(const PagerImage&, bool ok)> afterWrite;
    // After a read that replaced the image (PC characters again).
    std::function<void(const PagerImage&)> afterRead;

    void writeall(PagerImage& image, int start, int end) override {
        inner_.writeall(image, start, end);
        if (afterWrite) afterWrite(image, !inner_.TransferFailed());
    }
    void readall(PagerImage& image, int start, int end) override {
        inner_.readall(image, start, end);
        if (afterRead && !inner_.TransferFailed()) afterRead(image);
    }
    void verify(const PagerImage& image, int start, int end) override {
        inner_.verify(image, start, end);
    }
    bool TransferFailed() const override { return inner_.TransferFailed(); }
    std::optional<ImageBytes> MismatchedPager() const override { return inner_.MismatchedPager(); }
    bool Connect() override { return inner_.Connect(); }
    void Release() override { inner_.Release(); }
    void SetView(TransferView* view) override { inner_.SetView(view); }

  private:
    PagerTransfers& inner_;
};

}  // namespace kpx
