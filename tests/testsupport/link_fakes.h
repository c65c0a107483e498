#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "link/device_lister.h"
#include "link/link_host.h"
#include "link/programming_dialog.h"

namespace kpx::testing {

// Capcode entry k of an image: 23 bits big-endian below the enable flag.
std::uint32_t CapcodeOf(const PagerImage& image, int k);
void PutCapcode(PagerImage& image, int k, std::uint32_t v);
// The default image with the German character set and ä, ß and Ü in its prompts.
PagerImage GermanImage();

// A device list the test sets.
class ScriptedLister : public DeviceLister {
  public:
    std::vector<std::string> GetDevInfo(const std::string&) override {
        ++calls;
        return devices;
    }
    // Lists "Prolific USB-to-Serial Comm Port (COMn)" for each number.
    void SetComs(const std::vector<int>& coms);

    std::vector<std::string> devices;
    int calls = 0;
};

// The main window as the link sees it; records what was done to it.
class RecordingHost : public LinkHost {
  public:
    explicit RecordingHost(PagerImage& image) : image_(image) {}

    void SetBoardLine(const std::string& text, std::uint32_t colour) override {
        boardLine = text;
        boardColour = colour;
        lines.push_back(text);
    }
    void SetPagerMenuEnabled(bool enabled) override { pagerMenu = enabled; }
    void StopWatchTimer() override {
        timerRunning = false;
        ++timerStops;
    }
    void StartWatchTimer() override {
        timerRunning = true;
        ++timerStarts;
    }
    int BandRow() const override { return bandRow; }
    bool ModifyModeSelected() const override { return modifyMode; }
    void RefreshControls() override { ++refreshes; }
    void ImageReplacedByRead() override { ++imagesReplaced; }
    std::string CapcodeText(int index) const override { return capcodeText[index]; }
    void SetCapcodeText(int index, const std::string& text) override { capcodeText[index] = text; }
    // read_capcode: 7 digits from the image.
    void ReadCapcodes() override;

    std::string boardLine;
    std::uint32_t boardColour = 0xFFFFFFFF;
    std::vector<std::string> lines;
    bool pagerMenu = true;
    bool timerRunning = false;
    int timerStops = 0;
    int timerStarts = 0;
    int bandRow = 2;
    bool modifyMode = false;
    int refreshes = 0;
    int imagesReplaced = 0;
    std::string capcodeText[6];

  private:
    PagerImage& image_;
};

// Form2 as the dialog logic sees it.
class RecordingDialogView : public ProgrammingDialogView {
  public:
    void SetProgressMax(int m) override { progressMax = m; }
    void SetProgressValue(int v) override {
        progressValue = v;
        positions.push_back(v);
    }
    void SetProgressColour(ProgressColour c) override { colour = c; }
    void SetStatus(const std::string& text) override {
        status = text;
        statuses.push_back(text);
    }
    void ShowAutoLabel(int which, bool visible) override { autoLabelShown[which] = visible; }
    void SetAutoLabelText(int which, const std::string& text) override {
        autoLabelText[which] = text;
    }
    void ShowWriteButtons() override { buttonsShown = true; }
    void SetButtonsEnabled(bool enabled) override { buttonsEnabled = enabled; }
    void CloseDialog() override { closed = true; }

    int progressMax = -1;
    int progressValue = -1;
    std::vector<int> positions;
    ProgressColour colour = ProgressColour::Highlight;
    std::string status;
    std::vector<std::string> statuses;
    bool autoLabelShown[3] = {false, false, false};
    std::string autoLabelText[3];
    bool buttonsShown = false;
    bool buttonsEnabled = true;
    bool closed = false;
};

}  // namespace kpx::testing
