#pragma once

#include <cstdint>
#include <string>

namespace kpx {

// Texts and colours of the main window's board line lblMsg. Colours are 0x00BBGGRR values.
inline constexpr const char* kBoardConnectText = "  The Programmed Board Connect !";
inline constexpr const char* kBoardDisconnectText = "  The Programmed Board Disconnect !";
inline constexpr std::uint32_t kBoardConnectColour = 0;       // black
inline constexpr std::uint32_t kBoardDisconnectColour = 255;  // red

// What the link, the transfers and the programming dialog need from the main window.
class LinkHost {
  public:
    virtual ~LinkHost() = default;

    // lblMsg: text and colour (0x00BBGGRR).
    virtual void SetBoardLine(const std::string& text, std::uint32_t colour) = 0;
    // mnuPager enabled or disabled.
    virtual void SetPagerMenuEnabled(bool enabled) = 0;
    // Timer1, the board watch.
    virtual void StopWatchTimer() = 0;
    virtual void StartWatchTimer() = 0;

    // The row of the band list cboDft.
    virtual int BandRow() const = 0;
    // The option ModifyOpt ("Modify Mode") is selected.
    virtual bool ModifyModeSelected() const = 0;

    // init_ctl: every control re-read from the image.
    virtual void RefreshControls() = 0;
    // A read has replaced the whole image (still in the pager's character set): recognise the
    // band with RefreshingControls raised, decode the text regions, then init_ctl with
    // loadingImage raised, as after opening a table file.
    virtual void ImageReplacedByRead() = 0;

    // txtAddr(index).Text, and setting it.
    virtual std::string CapcodeText(int index) const = 0;
    virtual void SetCapcodeText(int index, const std::string& text) = 0;
    // read_capcode: the capcode boxes re-read from the image.
    virtual void ReadCapcodes() = 0;
};

}  // namespace kpx
