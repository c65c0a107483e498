#include "gui/dialogs/form5.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include "gui/widgets/custom_controls.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"

namespace kpx::gui {

namespace {

using Step = ReaderStep;

QString BitCaption(int bit) {
    return QString("Fun. Bit %1").arg(QChar('A' + bit));
}

QLabel* Title(const char* name, const QString& text, int pointDelta, QWidget* parent) {
    QLabel* l = MakeLabel(name, text, parent);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() + pointDelta);
    l->setFont(f);
    return l;
}

}  // namespace

Form5::Form5(EditorHost& window, int functionRow, QWidget* parent)
    : QDialog(parent), window_(window), element_(functionRow) {
    FunctionBasesFor(functionRow);  // an element outside 0-3 is a programming error
    setObjectName("Form5");
    setWindowTitle("Capcode Function Bit Setting");
    setModal(true);

    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(Title("Label4", "Capcode Function Bit Setting", 4, this), 1);
    Close1_ = new CloseBox(this);
    Close1_->setObjectName("Close1");
    top->addWidget(Close1_, 0, Qt::AlignTop);
    v->addLayout(top);
    auto* which = new QHBoxLayout;
    which->addWidget(Title("Label2", "Capcode   Function Bit", 1, this));
    Label3_ = Title("Label3", "", 1, this);
    which->addWidget(Label3_);
    which->addStretch(1);
    v->addLayout(which);

    struct FrameSpec {
        const char* name;
        const char* title;
    };
    const FrameSpec frames[] = {{"Frame2", "Message Display"},
                                {"Frame4", "Message Type"},
                                {"Frame3", "Priority Alert Control"},
                                {"Frame1", "Enable Control"}};
    QGridLayout* grids[4];
    for (int f = 0; f < 4; ++f) {
        QGroupBox* box = MakeFrame(frames[f].name, frames[f].title, this);
        grids[f] = new QGridLayout(box);
        v->addWidget(box);
    }
    for (int i = 0; i < kFunctionBits; ++i) {
        cboDisp_[i] = new QComboBox(this);
        cboDisp_[i]->setObjectName(Indexed("cboDisp", i));
        for (const char* row : kDisplayRows) cboDisp_[i]->addItem(row);
        cboType_[i] = new QComboBox(this);
        cboType_[i]->setObjectName(Indexed("cboType", i));
        for (const char* row : kAddressTypeRows) cboType_[i]->addItem(row);
        chkPri_[i] = new QCheckBox(BitCaption(i), this);
        chkPri_[i]->setObjectName(Indexed("chkPri", i));
        chkFunEn_[i] = new QCheckBox(BitCaption(i), this);
        chkFunEn_[i]->setObjectName(Indexed("chkFunEn", i));
        for (int f = 0; f < 2; ++f) {
            grids[f]->addWidget(
                MakeLabel(Indexed(f == 0 ? "lblDisp" : "lblType", i), BitCaption(i), this), 0, i);
        }
        grids[0]->addWidget(cboDisp_[i], 1, i);
        grids[1]->addWidget(cboType_[i], 1, i);
        grids[2]->addWidget(chkPri_[i], 0, i);
        grids[3]->addWidget(chkFunEn_[i], 0, i);
        for (QComboBox* c : {cboDisp_[i], cboType_[i]}) c->setCurrentIndex(-1);
        OnListClick(cboDisp_[i], this, [this, i] { cboDisp_Click(i); });
        OnListClick(cboType_[i], this, [this, i] { cboType_Click(i); });
        connect(chkPri_[i], &QCheckBox::toggled, this, [this, i] { chkPri_Click(i); });
        connect(chkFunEn_[i], &QCheckBox::toggled, this, [this, i] { chkFunEn_Click(i); });
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1_ = new NCommand("OK", this);
    Command1_->setObjectName("Command1");
    buttons->addWidget(Command1_);
    v->addLayout(buttons);
    connect(Command1_, &NCommand::Click, this, &Form5::Command1_Click);
    connect(Close1_, &CloseBox::Click, this, &Form5::Close1_Click);
    Form_Load();
}

void Form5::paintEvent(QPaintEvent*) {
    // The background picture, stretched over the window.
    QPainter p(this);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(0xE8, 0xEE, 0xF8));
    g.setColorAt(1, QColor(0xA8, 0xBC, 0xDC));
    p.fillRect(rect(), g);
}

void Form5::Form_Load() {
    loadingEditor_ = true;
    const PagerImage& image = window_.Image();
    Label3_->setText(QString::fromStdString(CapcodeLabel(element_)));
    for (int i = 0; i < kFunctionBits; ++i) {
        cboDisp_[i]->setCurrentIndex(FunctionDisplay(image, element_, i));
        // A type byte no row stands for shows no row and stays as it is.
        cboType_[i]->setCurrentIndex(FunctionTypeRow(image, element_, i).value_or(-1));
        chkFunEn_[i]->setChecked(FunctionEnabled(image, element_, i));
        chkPri_[i]->setChecked(FunctionPriority(image, element_, i));
    }
    loadingEditor_ = false;
}

void Form5::cboDisp_Click(int index) {
    const int row = cboDisp_[index]->currentIndex();
    if (loadingEditor_ || row < 0) return;
    WriteFunctionDisplay(window_.Image(), element_, index, row);
    window_.RunReader(Step::Display);
}

void Form5::cboType_Click(int index) {
    const int row = cboType_[index]->currentIndex();
    if (loadingEditor_ || row < 0) return;
    WriteFunctionType(window_.Image(), element_, index, row);
    window_.RunReader(Step::Type);
}

void Form5::chkFunEn_Click(int index) {
    if (loadingEditor_) return;
    WriteFunctionEnabled(window_.Image(), element_, index, chkFunEn_[index]->isChecked());
    window_.RunReader(Step::FunctionEnable);
}

void Form5::chkPri_Click(int index) {
    if (loadingEditor_) return;
    WriteFunctionPriority(window_.Image(), element_, index, chkPri_[index]->isChecked());
    window_.RunReader(Step::Priority);
}

void Form5::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void Form5::Form_Unload() {
    // The capcode-disable notes follow the enable bits just edited.
    window_.ApplyTaggedVisibility();
}

}  // namespace kpx::gui
