#include "gui/pages/code_page.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/pages/function_table.h"
#include "gui/pages/message_status.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "settings/bands.h"

namespace kpx::gui {

namespace {

const char* const kCapcodeOrdinals[kCapcodeCount] = {"1st", "2nd", "3rd", "4th", "5th", "6th"};

}  // namespace

CodePage::CodePage(PageHost& window, QWidget* panels) : QObject(window.Frame()), window_(window) {
    picSet1_ = new QWidget(panels);
    picSet1_->setObjectName("picSet1");
    picSet1_->setAutoFillBackground(true);
    auto* g = new QGridLayout(picSet1_);
    g->addWidget(BuildFrequencyFrame(), 0, 0, 1, 2);
    g->addWidget(BuildCapcodeFrame(), 1, 0);
    // The function table sits beside the capcodes it describes.
    functionTable_ = std::make_unique<FunctionTable>(window_, picSet1_);
    g->addWidget(functionTable_->Panel(), 1, 1);
    g->setRowStretch(2, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(BuildAutoFrame());
    messageStatus_ = std::make_unique<MessageStatus>(window_, picSet1_);
    right->addWidget(messageStatus_->Panel());
    right->addStretch(1);
    g->addLayout(right, 0, 2, 3, 1);

    window_.InstallReader(ReaderStep::Capcodes, [this] { read_capcode(); });
    window_.InstallReader(ReaderStep::Frequency, [this] { read_freq(); });
}

CodePage::~CodePage() = default;

QWidget* CodePage::BuildFrequencyFrame() {
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
    txtFreq_->installEventFilter(this);
    g->addWidget(txtFreq_, 1, 1);
    g->addWidget(MakeLabel("Label20(1)", "0Hz", frame), 1, 2);

    bandwidthLabel_ = MakeLabel("Label11(3)", "Bandwidth", frame);
    g->addWidget(bandwidthLabel_, 2, 0);
    bandwidth_ = window_.MakeTaggedList(0, frame);
    g->addWidget(bandwidth_, 2, 1, 1, 2);
    frequencyMod_ = window_.MakeTaggedCheckBox(4, frame);
    g->addWidget(frequencyMod_, 3, 0, 1, 3);
    g->addWidget(BuildSynthesiserStrip(frame), 4, 0, 1, 3);
    g->addWidget(BuildSecondSelector(frame), 5, 0, 1, 3);

    OnListClick(cboDft_, this, [this] { cboDft_Click(cboDft_->currentIndex()); });
    return frame;
}

// The synthesiser strip, with the spacing selector in front of its channel label.
QWidget* CodePage::BuildSynthesiserStrip(QWidget* frame) {
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
    return pll;
}

// The second copy of the selector, shown when the band's default spacing is "Auto".
QWidget* CodePage::BuildSecondSelector(QWidget* frame) {
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
    return picture2_;
}

QWidget* CodePage::BuildCapcodeFrame() {
    auto* frame = MakeFrame("Frame2", "Capcode( Decimal Address )", picSet1_);
    auto* g = new QGridLayout(frame);
    for (int k = 0; k < kCapcodeCount; ++k) {
        g->addWidget(MakeLabel(Indexed("Label10", k), QString("Cap #%1").arg(k + 1), frame), k, 0);
        txtAddr_[k] = new QLineEdit(frame);
        txtAddr_[k]->setObjectName(Indexed("txtAddr", k));
        txtAddr_[k]->setMaxLength(kCapcodeTextMaxLength);
        txtAddr_[k]->installEventFilter(this);
        g->addWidget(txtAddr_[k], k, 1);
        QCheckBox* on = window_.MakeTaggedCheckBox(10 + k, frame);
        on->setText("ON");
        on->setToolTip(
            QString("Enable or disable the %1 Capcode( address )").arg(kCapcodeOrdinals[k]));
        g->addWidget(on, k, 2);
    }
    return frame;
}

QWidget* CodePage::BuildAutoFrame() {
    auto* frame = MakeFrame("Frame5", "Auto Increase 1 After Write", picSet1_);
    auto* av = new QVBoxLayout(frame);
    const char* const ordinals[] = {"1st", "2nd"};
    for (int i = 0; i < 2; ++i) {
        optAuto_[i] = new QCheckBox(QString("%1 Capcode Auto Increase").arg(ordinals[i]), frame);
        optAuto_[i]->setObjectName(QString("optAuto%1").arg(i + 1));
        optAuto_[i]->setToolTip(
            QString("%1 capcode always increments by one after writed").arg(ordinals[i]));
        av->addWidget(optAuto_[i]);
    }
    connect(optAuto_[0], &QCheckBox::toggled, this, &CodePage::optAuto1_Click);
    connect(optAuto_[1], &QCheckBox::toggled, this, &CodePage::optAuto2_Click);
    return frame;
}

// ---------------------------------------------------------------- entry boxes

bool CodePage::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool focusIn = type == QEvent::FocusIn && !IsWindowFocusChange(event);
    const bool focusOut = type == QEvent::FocusOut && !IsWindowFocusChange(event);
    const int key = type == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == txtFreq_) {
        if (focusIn) txtFreq_GotFocus();
        if (focusOut) txtFreq_LostFocus();
        if (type == QEvent::KeyPress) txtFreq_KeyPress(key);
        if (type == QEvent::KeyRelease) txtFreq_KeyUp();
    }
    for (int k = 0; k < kCapcodeCount; ++k) {
        if (watched != txtAddr_[k]) continue;
        if (focusIn) txtAddr_GotFocus(k);
        if (focusOut) txtAddr_LostFocus(k);
    }
    if (enter) {
        window_.TabBackground()->setFocus();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- capcodes

void CodePage::read_capcode() {
    for (int k = 0; k < kCapcodeCount; ++k) {
        txtAddr_[k]->setText(QString::fromStdString(CapcodeText(window_.Image(), k)));
    }
}

void CodePage::txtAddr_GotFocus(int index) {
    txtAddr_[index]->clear();
}

void CodePage::txtAddr_LostFocus(int index) {
    switch (EnterCapcode(window_.Image(), index, ToCp1252(txtAddr_[index]->text()),
                         window_.Dialogs())) {
        case CapcodeEntry::Empty:
            // The image is unchanged; the box shows what a write would send again.
            txtAddr_[index]->setText(QString::fromStdString(CapcodeText(window_.Image(), index)));
            break;
        case CapcodeEntry::NotNumeric:
        case CapcodeEntry::OutOfRange:
            read_capcode();
            DeferFocus(txtAddr_[index]);
            break;
        case CapcodeEntry::Stored:
            read_capcode();
            break;
    }
}

void CodePage::optAuto1_Click() {
    window_.State().AutoIncrease1 = optAuto_[0]->isChecked();
}
void CodePage::optAuto2_Click() {
    window_.State().AutoIncrease2 = optAuto_[1]->isChecked();
}

}  // namespace kpx::gui
