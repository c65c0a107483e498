// The frequency frame of the code page: band, spacing and frequency entry, and the synthesiser
// words shown from the image.

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/pages/code_page.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "settings/bands.h"

namespace kpx::gui {

void CodePage::read_pll() {
    window_.State().RefreshingControls = true;
    const PllDisplay d = ReadPll(window_.Image(), freq_);
    lblMUTL_->setText(QString::fromStdString(d.mutl));
    lblPLLR_->setText(QString::fromStdString(d.pllR));
    lblChannel_[0]->setText(QString::fromStdString(d.channel));
    lblChannel_[1]->setText(QString::fromStdString(d.channel));
    if (window_.State().loadingImage) {
        if (auto sel =
                SpacingSelectorFromImage(window_.Image(), freq_.bandRow, window_.Settings())) {
            ApplySpacingSelector(*sel);
        }
        if (freq_.bandRow == kBandRowGp || freq_.bandRow == kBandRow929) {
            picture2_->setVisible(false);
            channelFront_->setVisible(false);
        }
    }
    lblPLLN_->setText(QString::fromStdString(d.pllN));
    txtFreq_->setText(QString::fromStdString(d.freqText));
    window_.State().RefreshingControls = false;
}

void CodePage::SelectStartupBand() {
    if (cboDft_->currentIndex() == kBandRow130) {
        cboDft_Click(kBandRow130);
    } else {
        cboDft_->setCurrentIndex(kBandRow130);
    }
}

void CodePage::DetectBandFromImage() {
    window_.State().RefreshingControls = true;
    const BandRecognition band = kpx::DetectBandFromImage(window_.Image().bytes());
    SetFrequencyModVisible(true);
    if (band.multiplier) freq_.multiplier = *band.multiplier;
    if (band.row) {
        freq_.bandRow = *band.row;
        cboDft_->setCurrentIndex(*band.row);
    }
    SetBandwidthVisible(cboDft_->currentIndex() != kBandRow929);
    window_.State().RefreshingControls = false;
}

// ---------------------------------------------------------------- frequency block

void CodePage::SetFrequencyModVisible(bool visible) {
    frequencyMod_->setVisible(visible);
}

void CodePage::SetBandwidthVisible(bool visible) {
    bandwidthLabel_->setVisible(visible);
    bandwidth_->setVisible(visible);
}

void CodePage::ApplySpacingSelector(const SpacingSelector& selector) {
    for (QComboBox* c : cboChannel_) {
        const QSignalBlocker block(c);
        c->clear();
        for (const auto& item : selector.items) c->addItem(QString::fromStdString(item));
        c->setCurrentIndex(selector.row);
    }
    picture2_->setVisible(selector.secondCopy);
    channelFront_->setCurrentWidget(cboChannel_[0]);
    channelFront_->setVisible(!selector.secondCopy);
}

void CodePage::cboDft_Click(int row) {
    if (window_.State().RefreshingControls) {
        window_.State().RefreshingControls = false;
        return;
    }
    if (row < 0) return;
    SetBandwidthVisible(row != kBandRow929);
    const BandSelection sel =
        SelectBand(window_.Image(), freq_, row, window_.Settings(), window_.Dialogs());
    if (sel.selector) {
        ApplySpacingSelector(*sel.selector);
    } else if (row == kBandRowGp) {
        picture2_->setVisible(false);
        channelFront_->setVisible(true);
        channelFront_->setCurrentWidget(combo1_[0]);
        for (QComboBox* c : combo1_) {
            const QSignalBlocker block(c);
            c->setCurrentIndex(0);
        }
    } else {
        picture2_->setVisible(false);
        channelFront_->setVisible(false);
    }
    SetFrequencyModVisible(sel.frequencyModVisible);
    window_.RefreshControls();
}

void CodePage::cboChannel_Click(int index) {
    if (window_.State().RefreshingControls) return;
    const int row = cboChannel_[index]->currentIndex();
    if (row < 0) return;
    if (auto visible = SelectStandardSpacing(window_.Image(), freq_, row))
        SetFrequencyModVisible(*visible);
    window_.RefreshControls();
}

void CodePage::Combo1_Click(int index) {
    const int row = combo1_[index]->currentIndex();
    if (window_.State().RefreshingControls || row < 0) return;
    if (auto visible = SelectGpSpacing(window_.Image(), freq_, row, window_.Dialogs()))
        SetFrequencyModVisible(*visible);
    read_freq();
}

void CodePage::txtFreq_GotFocus() {
    txtFreq_->clear();
}

void CodePage::txtFreq_KeyPress(int) {
    window_.State().validationFailed = false;
}

void CodePage::txtFreq_KeyUp() {
    if (FrequencyTextRefused(ToCp1252(txtFreq_->text()))) {
        window_.Dialogs().Warn(kNotDecimalNumeric);
        read_freq();
    }
}

void CodePage::txtFreq_LostFocus() {
    window_.State().validationFailed = false;
    switch (EnterFrequency(window_.Image(), freq_, ToCp1252(txtFreq_->text()), window_.Dialogs())) {
        case FrequencyEntry::Empty:
            read_freq();
            break;
        case FrequencyEntry::NotNumeric:
            read_freq();
            DeferFocus(txtFreq_);
            break;
        case FrequencyEntry::Refused:
            window_.State().validationFailed = true;
            DeferFocus(txtFreq_);
            break;
        case FrequencyEntry::Accepted:
            read_freq();
            break;
    }
}

}  // namespace kpx::gui
