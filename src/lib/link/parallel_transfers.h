#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "link/link_host.h"
#include "link/pager_transfers.h"
#include "link/parallel_link.h"

namespace kpx {

inline constexpr int kPageSize = 16;
inline constexpr int kPageWaitMs = 10;
inline constexpr int kPageAckTimeoutMs = 500;
inline constexpr const char* kDataWrong = "The data in this pager is wrong!";

// lpt_writeall, lpt_readall and lpt_verify: the whole-image operations over the parallel-port
// bus, with the checks and messages of the serial ones. Bytes move in 16-byte EEPROM pages.
class ParallelTransfers : public PagerTransfers {
  public:
    ParallelTransfers(ParallelLink& link, LinkHost& host) : link_(link), host_(host) {}

    void lpt_writeall(PagerImage& image, int start, int end);
    void lpt_readall(PagerImage& image, int start, int end);
    void lpt_verify(const PagerImage& image, int start, int end);

    void writeall(PagerImage& image, int start, int end) override {
        lpt_writeall(image, start, end);
    }
    void readall(PagerImage& image, int start, int end) override { lpt_readall(image, start, end); }
    void verify(const PagerImage& image, int start, int end) override {
        lpt_verify(image, start, end);
    }
    bool TransferFailed() const override { return link_.TransferFailed; }
    std::optional<ImageBytes> MismatchedPager() const override { return mismatch_; }
    // lpt_connect; when no memory answers the port is handed back at once.
    bool Connect() override;
    // The bus stopped and the port handed back.
    void Release() override;
    void SetView(TransferView* view) override { link_.SetView(view); }
    // Why no memory answered (no port, a device that cannot be opened or claimed), told after
    // "The Programmed Board is not responding!" when it says anything.
    std::function<std::vector<std::string>()> notFoundReasons;

  private:
    bool Fail(const char* message);
    void Progress(int position);

    ParallelLink& link_;
    LinkHost& host_;
    std::optional<ImageBytes> mismatch_;
};

}  // namespace kpx
