#pragma once

#include <string>
#include <vector>

#include "image/identification.h"
#include "link/link_host.h"
#include "link/pager_transfers.h"
#include "link/serial_link.h"

namespace kpx {

inline constexpr const char* kReadSuccess = "Read success!";
inline constexpr const char* kVerifySuccess = "Verify Success!";
inline constexpr const char* kVerifyError = "Verify Error!";
inline constexpr const char* kGpQuestion = "The Pager is GP(RoHS) ! \r\nAre you sure overwrite it?";
inline constexpr const char* kNonGpQuestion =
    "The Pager is Non GP(RoHS) ! \r\nAre you sure overwrite it?";

// A capcode without any enabled function is written as disabled: clears the enable flag of
// capcodes 1-4 whose function-enable bits are all zero.
void DisableCapcodesWithoutFunction(PagerImage& image);

// The message for a pager whose model is not KPX41.
std::string NotKpx41Message(const std::string& ident);
// The question before overwriting a pager whose GP(RoHS) mark disagrees with the band list;
// nullptr when they agree.
const char* GpQuestion(std::uint8_t pagerMark, int bandRow);

// usb_writeall, usb_readall and usb_verify: the whole-image operations over the serial board.
class SerialTransfers : public PagerTransfers {
  public:
    SerialTransfers(SerialLink& link, LinkHost& host) : link_(link), host_(host) {}

    void usb_writeall(PagerImage& image, int start, int end);
    void usb_readall(PagerImage& image, int start, int end);
    void usb_verify(const PagerImage& image, int start, int end);

    void writeall(PagerImage& image, int start, int end) override {
        usb_writeall(image, start, end);
    }
    void readall(PagerImage& image, int start, int end) override { usb_readall(image, start, end); }
    void verify(const PagerImage& image, int start, int end) override {
        usb_verify(image, start, end);
    }
    bool TransferFailed() const override { return link_.TransferFailed; }
    std::optional<ImageBytes> MismatchedPager() const override { return mismatch_; }
    void SetView(TransferView* view) override { link_.SetView(view); }

  private:
    SerialLink& link_;
    LinkHost& host_;
    std::optional<ImageBytes> mismatch_;
};

}  // namespace kpx
