#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QStackedWidget>
#include <memory>

#include "gui/pages/page_host.h"
#include "settings/capcode.h"
#include "settings/frequency.h"

namespace kpx::gui {

class FunctionTable;
class MessageStatus;

// The "Code and Features" page picSet1: the frequency frame (band, spacing, frequency entry and
// the synthesiser words), the six capcodes, the function table beside them, the auto-increase
// options and the message status table. It fills the refresh's capcode and frequency steps.
class CodePage : public QObject {
    Q_OBJECT
  public:
    // Builds picSet1 into the window's panel stack.
    CodePage(PageHost& window, QWidget* panels);
    ~CodePage() override;

    QWidget* Page() const { return picSet1_; }
    const FrequencyState& Frequency() const { return freq_; }
    // The load step's band: the 130 MHz row, selected as the user would.
    void SelectStartupBand();
    // Band recognition of a whole new image, before its refresh.
    void DetectBandFromImage();

    // ---- handlers ----
    void cboDft_Click(int row);
    void cboChannel_Click(int index);
    void Combo1_Click(int index);
    void txtFreq_GotFocus();
    void txtFreq_KeyPress(int key);
    void txtFreq_KeyUp();
    void txtFreq_LostFocus();
    void txtAddr_GotFocus(int index);
    void txtAddr_LostFocus(int index);
    void optAuto1_Click();
    void optAuto2_Click();

    // ---- readers (steps of init_ctl) ----
    void read_capcode();
    void read_freq() { read_pll(); }
    void read_pll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildFrequencyFrame();
    QWidget* BuildSynthesiserStrip(QWidget* frame);
    QWidget* BuildSecondSelector(QWidget* frame);
    QWidget* BuildCapcodeFrame();
    QWidget* BuildAutoFrame();
    void ApplySpacingSelector(const SpacingSelector& selector);
    void SetFrequencyModVisible(bool visible);
    void SetBandwidthVisible(bool visible);

    PageHost& window_;
    FrequencyState freq_;
    QWidget* picSet1_ = nullptr;
    QComboBox* cboDft_ = nullptr;
    QLineEdit* txtFreq_ = nullptr;
    QComboBox* cboChannel_[2] = {nullptr, nullptr};
    QComboBox* combo1_[2] = {nullptr, nullptr};
    QStackedWidget* channelFront_ = nullptr;
    QWidget* picture2_ = nullptr;
    QLabel* lblChannel_[2] = {nullptr, nullptr};
    QLabel* lblPLLR_ = nullptr;
    QLabel* lblPLLN_ = nullptr;
    QLabel* lblMUTL_ = nullptr;
    QLabel* bandwidthLabel_ = nullptr;
    QComboBox* bandwidth_ = nullptr;     // cboCtl(0)
    QCheckBox* frequencyMod_ = nullptr;  // chkCtl(4)
    QLineEdit* txtAddr_[kCapcodeCount] = {};
    QCheckBox* optAuto_[2] = {nullptr, nullptr};
    std::unique_ptr<FunctionTable> functionTable_;
    std::unique_ptr<MessageStatus> messageStatus_;
};

}  // namespace kpx::gui
