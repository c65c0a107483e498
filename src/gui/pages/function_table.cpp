#include "gui/pages/function_table.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "gui/dialogs/form5.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"

namespace kpx::gui {

namespace {

using Step = ReaderStep;

// Capcode 1 is element 3, capcodes 2-4 are elements 0-2.
int ElementOf(int capcode) {
    return capcode == 1 ? 3 : capcode - 2;
}

QFont Fixed(const QFont& base) {
    QFont f = base;
    f.setFamily("Courier New");
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

}  // namespace

FunctionTable::FunctionTable(PageHost& window, QWidget* page)
    : QObject(window.Frame()), window_(window) {
    frame_ = MakeFrame("Frame3", "Function", page);
    // Rows are as high as the capcode rows beside them, so each lines up with its capcode.
    auto* v = new QVBoxLayout(frame_);
    for (int capcode = 1; capcode <= 4; ++capcode) v->addWidget(BuildSummaryRow(capcode, frame_));
    for (int capcode = 5; capcode <= 6; ++capcode) v->addWidget(BuildSingleRow(capcode, frame_));
    v->addStretch(1);

    window_.InstallReader(Step::AddressType, [this] { read_AddressType(); });
    window_.InstallReader(Step::Display, [this] { read_Disp(); });
    window_.InstallReader(Step::Type, [this] { read_Type(); });
    window_.InstallReader(Step::FunctionEnable, [this] { read_FunEn(); });
    window_.InstallReader(Step::Priority, [this] { read_Pri(); });
    window_.OnTaggedVisibility([this](const TaggedVisibility& v) {
        for (int e = 0; e < kFunctionRows; ++e) {
            EnToolTip_[e]->setVisible(v.enToolTip[static_cast<std::size_t>(e)]);
        }
    });
}

QLineEdit* FunctionTable::MakeSummary(const char* name, int element, QWidget* parent) {
    auto* box = new ShortLineEdit(4, parent);
    box->setObjectName(Indexed(name, element));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setFont(Fixed(box->font()));
    return box;
}

QWidget* FunctionTable::BuildSummaryRow(int capcode, QWidget* parent) {
    const int e = ElementOf(capcode);
    auto* row = new QWidget(parent);
    row->setObjectName(Indexed("picFunBit", capcode - 1));
    auto* v = new QVBoxLayout(row);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* h = new QHBoxLayout;
    h->setSpacing(4);
    cmdFunc_[e] = new QPushButton("Fun. Bit", row);
    cmdFunc_[e]->setObjectName(Indexed("cmdFunc", e));
    cmdFunc_[e]->setToolTip("Click to set function bit( A B C D ) message control.");
    cmdFunc_[e]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(cmdFunc_[e], &QPushButton::clicked, this, [this, e] { cmdFunc_Click(e); });
    h->addWidget(cmdFunc_[e]);
    tlblType_[e] = MakeSummary("tlblType", e, row);
    tlblDisp_[e] = MakeSummary("tlblDisp", e, row);
    tlblPri_[e] = MakeSummary("tlblPri", e, row);
    tlblFunEn_[e] = MakeSummary("tlblFunEn", e, row);
    const std::pair<const char*, QLineEdit*> summaries[] = {{"Type:", tlblType_[e]},
                                                            {"Disp:", tlblDisp_[e]},
                                                            {"Priority:", tlblPri_[e]},
                                                            {"En:", tlblFunEn_[e]}};
    for (const auto& [caption, box] : summaries) {
        h->addWidget(MakeLabel(Indexed("Label9", labels_++), caption, row));
        h->addWidget(box);
    }
    h->addStretch(1);
    v->addLayout(h);

    EnToolTip_[e] = new QLineEdit(QString(" Note:Capcode #%1 will be disable").arg(capcode), row);
    EnToolTip_[e]->setObjectName(Indexed("EnToolTip", e));
    EnToolTip_[e]->setReadOnly(true);
    EnToolTip_[e]->setFocusPolicy(Qt::NoFocus);
    QPalette pal = EnToolTip_[e]->palette();
    pal.setColor(QPalette::Text, QColor(200, 0, 0));
    pal.setColor(QPalette::Base, QColor(255, 255, 225));
    EnToolTip_[e]->setPalette(pal);
    EnToolTip_[e]->setVisible(false);
    v->addWidget(EnToolTip_[e]);
    return row;
}

QWidget* FunctionTable::BuildSingleRow(int capcode, QWidget* parent) {
    const int index = capcode - 5;
    auto* row = new QWidget(parent);
    row->setObjectName(Indexed("picFunBit", capcode - 1));
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(MakeLabel(Indexed("lblType", index), "Type:", row));
    cboType_[index] = new QComboBox(row);
    cboType_[index]->setObjectName(Indexed("cboType", index));
    cboType_[index]->setToolTip("Message Type");
    for (const char* text : kAddressTypeRows) cboType_[index]->addItem(text);
    cboType_[index]->setCurrentIndex(-1);
    OnListClick(cboType_[index], this, [this, index] { cboType_Click(index); });
    h->addWidget(cboType_[index]);
    h->addWidget(MakeLabel(Indexed("lblDisplay", index), "Display:", row));
    QComboBox* display = window_.MakeTaggedList(index == 0 ? 1 : 7, row);
    display->setToolTip("Message Display");
    h->addWidget(display);
    QCheckBox* priority = window_.MakeTaggedCheckBox(index == 0 ? 8 : 9, row);
    priority->setToolTip("Priority Alert Control");
    h->addWidget(priority);
    h->addStretch(1);
    return row;
}

void FunctionTable::cmdFunc_Click(int index) {
    FunctionRow = index;
    Form5 form(window_, FunctionRow, window_.Frame());
    form.exec();
}

void FunctionTable::cboType_Click(int index) {
    const int row = cboType_[index]->currentIndex();
    if (row >= 0) WriteSingleType(window_.Image(), index, row);
}

void FunctionTable::read_AddressType() {
    for (int i = 0; i < 2; ++i)
        cboType_[i]->setCurrentIndex(SingleTypeRow(window_.Image(), i).value_or(-1));
}

void FunctionTable::read_Disp() {
    // Capcode 1 first, as the repair of codes above 4 goes.
    for (int e : {3, 0, 1, 2}) {
        tlblDisp_[e]->setText(QString::fromStdString(DisplaySummary(window_.Image(), e)));
    }
}

void FunctionTable::read_Type() {
    for (int e = 0; e < kFunctionRows; ++e) {
        tlblType_[e]->setText(QString::fromStdString(TypeSummary(window_.Image(), e)));
    }
}

void FunctionTable::read_FunEn() {
    for (int e = 0; e < kFunctionRows; ++e) {
        tlblFunEn_[e]->setText(QString::fromStdString(EnableSummary(window_.Image(), e)));
    }
}

void FunctionTable::read_Pri() {
    for (int e = 0; e < kFunctionRows; ++e) {
        tlblPri_[e]->setText(QString::fromStdString(PrioritySummary(window_.Image(), e)));
    }
}

}  // namespace kpx::gui
