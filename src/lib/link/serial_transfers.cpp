#include "link/serial_transfers.h"

#include <algorithm>

#include "settings/bands.h"
#include "settings/capcode.h"

namespace kpx {

void DisableCapcodesWithoutFunction(PagerImage& image) {
    if (image.GetBits(0x0ED, 0, 4) == 0) image.SetBits(CapcodeAddress(0), 7, 0, 1);
    for (int k = 1; k <= 3; ++k) {
        if (image.GetBits(0x38B + k, 0, 4) == 0) image.SetBits(CapcodeAddress(k), 7, 0, 1);
    }
}

std::string NotKpx41Message(const std::string& ident) {
    auto part = [&](std::size_t from, std::size_t count) {
        return from < ident.size() ? ident.substr(from, count) : std::string();
    };
    return "This pager is not KPX41 !\r\n\r\nIt is " + part(0, 5) + " ( PCB " + part(5, 4) +
           ", Software " + part(9, 5) + " )";
}

const char* GpQuestion(std::uint8_t pagerMark, int bandRow) {
    const bool pagerIsGp = pagerMark == kGpMarker;
    const bool bandIsGp = bandRow == kBandRowGp;
    if (pagerIsGp && !bandIsGp) return kGpQuestion;
    if (!pagerIsGp && bandIsGp) return kNonGpQuestion;
    return nullptr;
}

void SerialTransfers::usb_writeall(PagerImage& image, int start, int end) {
    mismatch_.reset();
    DisableCapcodesWithoutFunction(image);
    host_.RefreshControls();

    if (!link_.usb_read(kGpMarkerAddress, kGpMarkerAddress, kBlockSize)) return;
    const char* question =
        GpQuestion(link_.ReadBuffer[static_cast<std::size_t>(kGpMarkerAddress)], host_.BandRow());
    if (question && !link_.dialogs().AskYesNo(question, DialogIcon::Warning)) {
        link_.TransferFailed = true;
        return;
    }
    image.set(kWriteFlagAddress, 1);
    link_.TransferFailed = !link_.usb_write(image, start, end, kBlockSize);
}

void SerialTransfers::usb_readall(PagerImage& image, int start, int end) {
    mismatch_.reset();
    link_.TransferFailed = false;
    if (!link_.usb_read(kIdentFirst, kIdentLast, kBlockSize)) return;
    const std::string ident = IdentificationText(link_.ReadBuffer);
    if (!IsKpx41(ident)) {
        link_.dialogs().Warn(NotKpx41Message(ident));
        link_.TransferFailed = true;
        return;
    }
    TransferView& view = link_.view();
    StartProgress(view, end - 16, start, ProgressColour::Purple, "Reading Now.......");
    link_.DoEvents();

    if (!link_.usb_read(start, end, kBlockSize)) return;
    link_.dialogs().Inform(kReadSuccess);
    // Only a complete, checked read replaces the image.
    std::copy(link_.ReadBuffer.begin() + start, link_.ReadBuffer.end(),
              image.bytes().begin() + start);
    host_.ImageReplacedByRead();
}

void SerialTransfers::usb_verify(const PagerImage& image, int start, int end) {
    mismatch_.reset();
    TransferView& view = link_.view();
    StartProgress(view, end - 16, start, ProgressColour::Purple, "Verifying Now.....");
    link_.DoEvents();

    if (!link_.usb_read(start, end, kBlockSize)) return;
    for (int a = start; a <= end; ++a) {
        if (image.at(a) != link_.ReadBuffer[static_cast<std::size_t>(a)]) {
            mismatch_ = image.bytes();
            std::copy(link_.ReadBuffer.begin() + start, link_.ReadBuffer.begin() + end + 1,
                      mismatch_->begin() + start);
            link_.dialogs().Inform(kVerifyError);
            link_.TransferFailed = true;
            return;
        }
    }
    link_.dialogs().Inform(kVerifySuccess);
}

}  // namespace kpx
