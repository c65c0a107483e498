// The frequency frame of the code page: band, spacing and frequency entry, and the synthesiser
// words shown from the image.

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/main_window.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "settings/bands.h"

namespace kpx::gui {

QWidget* MainWindow::BuildFrequencyFrame() {
    auto* frame = MakeFrame("Frame4", "Frequency", picSet1_);
    auto* g = new QGridLayout(frame);
    g->addWidget(MakeLabel("Label11(0)", "Range Of Frequency", frame), 0, 0);
    cboDft_ = new QComboBox(frame);
    cboDft_->setObjectName("cboDft");
    for (auto text : kBandRowTexts) cboDft_->addItem(Q(text));
    cboDft_->setCurrentIndex(-1);
    g->addWidget(cboDft_, 0, 1, 1, 2);

    g->addWidget(MakeLabel("Label11(2)", "Frequency Of Pager", frame), 1, 0);
    txtFreq_ = new QLineEdit(frame);
    txtFreq_->setObjectName("txtFreq");
    txtFreq_->setMaxLength(kFreqTextMaxLength);
    g->addWidget(txtFreq_, 1, 1);
    g->addWidget(MakeLabel("Label20(1)", "0Hz", frame), 1, 2);

    g->addWidget(MakeLabel("Label11(3)", "Bandwidth", frame), 2, 0);
    g->addWidget(MakeTaggedList(0, frame), 2, 1, 1, 2);
    g->addWidget(MakeTaggedCheckBox(4, frame), 3, 0, 1, 3);

    // The synthesiser strip.
    auto* pll = new QFrame(frame);
    pll->setObjectName("picPLL");
    pll->setFrameShape(QFrame::StyledPanel);
    auto* pg = new QGridLayout(pll);
    pg->addWidget(MakeLabel("Label21(0)", "Channel:", pll), 0, 0);
    channelFront_ = new QStackedWidget(pll);
    channelFront_->setObjectName("picChannelFront");
    for (int i = 0; i < 2; ++i) {
        cboChannel_[i] = new QComboBox;
        cboChannel_[i]->setObjectName(Indexed("cboChannel", i));
        combo1_[i] = new QComboBox;
        combo1_[i]->setObjectName(Indexed("Combo1", i));
        for (const auto& item : kCombo1Items) combo1_[i]->addItem(QString::fromStdString(item));
        combo1_[i]->setCurrentIndex(-1);
        OnListClick(cboChannel_[i], this, [this, i] { cboChannel_Click(i); });
        OnListClick(combo1_[i], this, [this, i] { Combo1_Click(i); });
    }
    channelFront_->addWidget(cboChannel_[0]);
    channelFront_->addWidget(combo1_[0]);
    channelFront_->setFixedHeight(cboChannel_[0]->sizeHint().height());
    pg->addWidget(channelFront_, 0, 1);
    lblChannel_[0] = MakeLabel("lblCHANNEL(0)", "", pll);
    pg->addWidget(lblChannel_[0], 0, 2);
    pg->addWidget(MakeLabel("Label17", "PLL-R(BASE):", pll), 1, 0);
    lblPLLR_ = MakeLabel("lblPLLR", "", pll);
    pg->addWidget(lblPLLR_, 1, 1);
    pg->addWidget(MakeLabel("Label30", "MUTL:", pll), 1, 2);
    lblMUTL_ = MakeLabel("lblMUTL", "", pll);
    pg->addWidget(lblMUTL_, 1, 3);
    pg->addWidget(MakeLabel("Label18", "PLL-N(RFHX):", pll), 2, 0);
    lblPLLN_ = MakeLabel("lblPLLN", "", pll);
    pg->addWidget(lblPLLN_, 2, 1);
    g->addWidget(pll, 4, 0, 1, 3);

    // The second copy of the selector, shown when the band's default spacing is "Auto".
    picture2_ = new QFrame(frame);
    picture2_->setObjectName("Picture2");
    auto* p2 = new QHBoxLayout(picture2_);
    p2->setContentsMargins(0, 0, 0, 0);
    p2->addWidget(MakeLabel("Label21(1)", "Channel", picture2_));
    cboChannel_[1]->setParent(picture2_);
    combo1_[1]->setParent(picture2_);
    combo1_[1]->setVisible(false);
    p2->addWidget(cboChannel_[1]);
    p2->addWidget(combo1_[1]);
    lblChannel_[1] = MakeLabel("lblCHANNEL(1)", "", picture2_);
    p2->addWidget(lblChannel_[1]);
    picture2_->setVisible(false);
    g->addWidget(picture2_, 5, 0, 1, 3);

    OnListClick(cboDft_, this, [this] { cboDft_Click(cboDft_->currentIndex()); });
    return frame;
}

void MainWindow::read_pll() {
    RefreshingControls = true;
    const PllDisplay d = ReadPll(image_, freq_);
    lblMUTL_->setText(QString::fromStdString(d.mutl));
    lblPLLR_->setText(QString::fromStdString(d.pllR));
    lblChannel_[0]->setText(QString::fromStdString(d.channel));
    lblChannel_[1]->setText(QString::fromStdString(d.channel));
    if (loadingImage) {
        if (auto sel = SpacingSelectorFromImage(image_, freq_.bandRow, settings_)) {
            ApplySpacingSelector(*sel);
        }
        if (freq_.bandRow == kBandRowGp || freq_.bandRow == kBandRow929) {
            picture2_->setVisible(false);
            channelFront_->setVisible(false);
        }
    }
    lblPLLN_->setText(QString::fromStdString(d.pllN));
    txtFreq_->setText(QString::fromStdString(d.freqText));
    RefreshingControls = false;
}

void MainWindow::DetectBandFromImage() {
    RefreshingControls = true;
    const BandRecognition band = kpx::DetectBandFromImage(image_.bytes());
    SetFrequencyModVisible(true);
    if (band.multiplier) freq_.multiplier = *band.multiplier;
    if (band.row) {
        freq_.bandRow = *band.row;
        cboDft_->setCurrentIndex(*band.row);
    }
    SetBandwidthVisible(cboDft_->currentIndex() != kBandRow929);
    RefreshingControls = false;
}

// ---------------------------------------------------------------- frequency block

void MainWindow::SetFrequencyModVisible(bool visible) {
    chkCtl_[4]->setVisible(visible);
}

void MainWindow::SetBandwidthVisible(bool visible) {
    Find<QLabel>("Label11(3)")->setVisible(visible);
    cboCtl_[0]->setVisible(visible);
}

void MainWindow::ApplySpacingSelector(const SpacingSelector& selector) {
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

void MainWindow::cboDft_Click(int row) {
    if (RefreshingControls) {
        RefreshingControls = false;
        return;
    }
    if (row < 0) return;
    SetBandwidthVisible(row != kBandRow929);
    const BandSelection sel = SelectBand(image_, freq_, row, settings_, dialogs_);
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
    init_ctl();
}

void MainWindow::cboChannel_Click(int index) {
    if (RefreshingControls) return;
    const int row = cboChannel_[index]->currentIndex();
    if (row < 0) return;
    if (auto visible = SelectStandardSpacing(image_, freq_, row)) SetFrequencyModVisible(*visible);
    init_ctl();
}

void MainWindow::Combo1_Click(int index) {
    const int row = combo1_[index]->currentIndex();
    if (RefreshingControls || row < 0) return;
    if (auto visible = SelectGpSpacing(image_, freq_, row, dialogs_))
        SetFrequencyModVisible(*visible);
    read_freq();
}

void MainWindow::txtFreq_GotFocus() {
    txtFreq_->clear();
}

void MainWindow::txtFreq_KeyPress(int) {
    validationFailed = false;
}

void MainWindow::txtFreq_KeyUp() {
    if (FrequencyTextRefused(ToCp1252(txtFreq_->text()))) {
        dialogs_.Warn(kNotDecimalNumeric);
        read_freq();
    }
}

void MainWindow::txtFreq_LostFocus() {
    validationFailed = false;
    switch (EnterFrequency(image_, freq_, ToCp1252(txtFreq_->text()), dialogs_)) {
        case FrequencyEntry::Empty:
            read_freq();
            break;
        case FrequencyEntry::NotNumeric:
            read_freq();
            DeferFocus(txtFreq_);
            break;
        case FrequencyEntry::Refused:
            validationFailed = true;
            DeferFocus(txtFreq_);
            break;
        case FrequencyEntry::Accepted:
            read_freq();
            break;
    }
}

}  // namespace kpx::gui
