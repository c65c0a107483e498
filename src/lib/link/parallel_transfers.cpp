#include "link/parallel_transfers.h"

#include <algorithm>
#include <string>

#include "link/serial_link.h"
#include "link/serial_transfers.h"
#include "settings/bands.h"

namespace kpx {

namespace {

bool PageStart(int address) {
    return address % kPageSize == 0;
}

// The bytes a read must bring back as they are: the signature and 0x3F0..0x3F7.
bool Plausible(const PagerImage& before, const ImageBytes& read) {
    auto same = [&](int from, int to) {
        for (int a = from; a <= to; ++a) {
            if (before.at(a) != read[static_cast<std::size_t>(a)]) return false;
        }
        return true;
    };
    return same(0, 3) && same(0x3F0, 0x3F7);
}

}  // namespace

bool ParallelTransfers::Fail(const char* message) {
    link_.dialogs().Inform(message);
    link_.TransferFailed = true;
    return false;
}

void ParallelTransfers::Progress(int position) {
    link_.view().SetProgressValue(position);
    // A page is some 15 ms on the wire: let the window repaint the bar between pages.
    link_.DoEvents();
}

bool ParallelTransfers::Connect() {
    if (link_.lpt_connect()) return true;
    Release();
    if (notFoundReasons) {
        std::string why;
        for (const std::string& line : notFoundReasons()) why += (why.empty() ? "" : "\n") + line;
        if (!why.empty()) link_.dialogs().Warn(why);
    }
    return false;
}

void ParallelTransfers::Release() {
    link_.BusStop();
    link_.io().Release();
}

void ParallelTransfers::lpt_writeall(PagerImage& image, int start, int end) {
    mismatch_.reset();
    image.set(kWriteFlagAddress, 1);
    DisableCapcodesWithoutFunction(image);
    host_.RefreshControls();

    link_.TransferFailed = false;
    const auto mark = link_.ReadByteAt(kGpMarkerAddress);
    if (!mark) return;
    const char* question = GpQuestion(*mark, host_.BandRow());
    if (question && !link_.dialogs().AskYesNo(question, DialogIcon::Warning)) {
        link_.TransferFailed = true;
        return;
    }

    image.set(kWriteFlagAddress, 1);
    TransferView& view = link_.view();
    StartProgress(view, end - 16, start, ProgressColour::Highlight, "Writing Now.......");
    link_.DoEvents();
    link_.TransferFailed = false;

    for (int j = start; j <= end; ++j) {
        if (j == start || PageStart(j)) {
            if (j != start) {
                // The stop starts the memory programming the page before.
                link_.BusStop();
                link_.Sleep(kPageWaitMs);
            }
            const std::uint8_t select = SelectByte(j);
            const std::int32_t polled = link_.clock().TickMs();
            bool acknowledged = false;
            for (;;) {
                link_.BusStart();
                acknowledged = link_.SendByte(select);
                if (acknowledged || TicksSince(link_.clock(), polled) > kPageAckTimeoutMs) break;
            }
            if (PageStart(j)) Progress(j);
            if (!acknowledged) return (void)Fail(kWriteError);
            if (!link_.SendByte(AddressByte(j))) return (void)Fail(kWriteError);
        }
        if (!link_.SendByte(image.at(j))) return (void)Fail(kWriteError);
    }
    link_.BusStop();
}

void ParallelTransfers::lpt_readall(PagerImage& image, int start, int end) {
    mismatch_.reset();
    link_.TransferFailed = false;
    std::string ident;
    for (int a = kIdentFirst; a <= kIdentLast; ++a) {
        const auto b = link_.ReadByteAt(a);
        if (!b) return;
        ident += static_cast<char>(*b);
    }
    if (!IsKpx41(ident)) {
        link_.dialogs().Warn(NotKpx41Message(ident));
        link_.TransferFailed = true;
        return;
    }

    TransferView& view = link_.view();
    StartProgress(view, end - 16, start, ProgressColour::Purple, "Reading Now.......");
    link_.DoEvents();
    link_.TransferFailed = false;

    // Into a scratch copy: a read that breaks off must not leave the image half one pager's
    // and half the other's.
    ImageBytes read = image.bytes();
    for (int k = start; k <= end; ++k) {
        if (k == start || PageStart(k)) {
            if (!link_.AddressForReading(k)) return (void)Fail(kReadError);
        }
        const bool pageEnd = PageStart(k + 1);
        read[static_cast<std::size_t>(k)] = link_.ReceiveByte(pageEnd || k == end ? 255 : 0);
        if (pageEnd && k != end) Progress(k);
    }
    link_.BusStop();
    link_.dialogs().Inform(kReadSuccess);

    if (!Plausible(image, read)) {
        link_.dialogs().Inform(kDataWrong);
        // The image stays as it was: nothing may take this read for one that replaced it.
        link_.TransferFailed = true;
        return;
    }
    image.bytes() = read;
    host_.ImageReplacedByRead();
}

void ParallelTransfers::lpt_verify(const PagerImage& image, int start, int end) {
    mismatch_.reset();
    TransferView& view = link_.view();
    StartProgress(view, end - 16, start, ProgressColour::Purple, "Verifying Now.....");
    link_.DoEvents();
    link_.TransferFailed = false;

    if (!link_.AddressForReading(start)) return (void)Fail(kReadError);
    // One sequential read: the memory's address counter runs on across pages. It reads on past
    // a difference, so that every setting that differs can be told.
    ImageBytes pager = image.bytes();
    for (int i = start; i <= end; ++i) {
        pager[static_cast<std::size_t>(i)] = link_.ReceiveByte(i == end ? 255 : 0);
        if (PageStart(i) && i != end) Progress(i);
    }
    link_.BusStop();
    if (pager == image.bytes()) {
        link_.dialogs().Inform(kVerifySuccess);
    } else {
        mismatch_ = pager;
        Fail(kVerifyError);
    }
}

}  // namespace kpx
