#include "gui/dialogs/form6.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <type_traits>

#include "gui/widgets/custom_controls.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"

namespace kpx::gui {

namespace {

using Step = ReaderStep;

// Drops 1-9, then A-E.
QChar DropName(int drop) {
    return drop < 9 ? QChar('1' + drop) : QChar('A' + drop - 9);
}

template <class Rows>
QComboBox* MakeList(const QString& name, const Rows& rows, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (const auto& row : rows) {
        if constexpr (std::is_same_v<std::decay_t<decltype(row)>, CodedRow>) {
            c->addItem(row.text);
        } else {
            c->addItem(row);
        }
    }
    c->setCurrentIndex(-1);
    return c;
}

QProgressBar* MakeGauge(const char* name, int maximum, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, maximum);
    bar->setAlignment(Qt::AlignCenter);
    return bar;
}

}  // namespace

Form6::Form6(EditorHost& window, QWidget* parent) : QDialog(parent), window_(window) {
    setObjectName("Form6");
    setWindowTitle("Personal and Mail Drop Status Control");
    setModal(true);
    auto* v = new QVBoxLayout(this);

    auto* personal = new QHBoxLayout;
    personal->addWidget(MakeLabel("Label1", "Personal: Alert Length", this));
    cboPersonal_ = MakeList("cboPersonal", kPersonalAlertRows, this);
    personal->addWidget(cboPersonal_);
    personal->addSpacing(16);
    personal->addWidget(MakeLabel("Label2", "Memory", this));
    cboMem_[kPersonalMemoryList] =
        MakeList(Indexed("cboMem", kPersonalMemoryList), kPersonalMemoryRows, this);
    personal->addWidget(cboMem_[kPersonalMemoryList]);
    personal->addStretch(1);
    v->addLayout(personal);

    QGroupBox* drops =
        MakeFrame("Frame1", "Mail Drop Status( A:Alert Length     H:History     M:Memory )", this);
    auto* g = new QGridLayout(drops);
    constexpr int kPerColumn = 7;
    for (int d = 0; d < kMailDrops; ++d) {
        const int row = d % kPerColumn;
        const int col = d / kPerColumn * 7;
        g->addWidget(MakeLabel(Indexed("lblDrop", d), QString("Drop %1:").arg(DropName(d)), drops),
                     row, col);
        cboMailAler_[d] = MakeList(Indexed("cboMailAler", d), kMailAlertRows, drops);
        cboHis_[d] = MakeList(Indexed("cboHis", d), kHistoryRows, drops);
        cboMem_[d] = MakeList(Indexed("cboMem", d), kDropMemoryRows, drops);
        const std::pair<const char*, QComboBox*> cells[] = {
            {"A", cboMailAler_[d]}, {"H", cboHis_[d]}, {"M", cboMem_[d]}};
        int c = col + 1;
        for (const auto& [letter, list] : cells) {
            g->addWidget(MakeLabel(Indexed(letter, d), QString(letter) + ":", drops), row, c++);
            g->addWidget(list, row, c++);
        }
    }
    v->addWidget(drops);

    auto* totals = new QGridLayout;
    totals->addWidget(MakeLabel("Label3", "Total History", this), 0, 0);
    pbTotal_ = MakeGauge("pbTotal", kHistoryBudget, this);
    totals->addWidget(pbTotal_, 1, 0);
    totals->addWidget(MakeLabel("Label4", "Total Memory", this), 0, 1);
    pbMem_ = MakeGauge("pbMem", kMemoryBudget, this);
    totals->addWidget(pbMem_, 1, 1);
    Command1_ = new NCommand("OK", this);
    Command1_->setObjectName("Command1");
    totals->addWidget(Command1_, 1, 2);
    v->addLayout(totals);

    OnListClick(cboPersonal_, this, [this] { cboPersonal_Click(); });
    for (int d = 0; d < kMailDrops; ++d) {
        OnListClick(cboMailAler_[d], this, [this, d] { cboMailAler_Click(d); });
        OnListClick(cboHis_[d], this, [this, d] { cboHis_Click(d); });
    }
    for (int i = 0; i <= kPersonalMemoryList; ++i) {
        OnListClick(cboMem_[i], this, [this, i] { cboMem_Click(i); });
    }
    connect(Command1_, &NCommand::Click, this, &Form6::Command1_Click);
    Form_Load();
}

void Form6::ShowTotal(QProgressBar* bar, int total) {
    // The bar cannot show more than its budget; the number says what the image holds.
    bar->setValue(std::clamp(total, 0, bar->maximum()));
    bar->setFormat(QString::number(total));
}

void Form6::SetRow(QComboBox* list, std::optional<int> row) {
    const bool was = loading_;
    loading_ = true;
    list->setCurrentIndex(row.value_or(-1));
    loading_ = was;
}

// Showing the stored values writes nothing: a value no row stands for stays until the user
// picks a row of that list.
void Form6::Form_Load() {
    const PagerImage& image = window_.Image();
    SetRow(cboPersonal_, PersonalAlertRow(image));
    for (int d = 0; d < kMailDrops; ++d) {
        if (auto row = MailAlertRow(image, d)) SetRow(cboMailAler_[d], row);
        SetRow(cboHis_[d], HistoryRow(image, d));
        SetRow(cboMem_[d], MemoryRow(image, d));
    }
    SetRow(cboMem_[kPersonalMemoryList], MemoryRow(image, kPersonalMemoryList));
    ShowTotal(pbTotal_, TotalHistory(image));
    ShowTotal(pbMem_, TotalMemory(image));
}

void Form6::cboPersonal_Click() {
    const int row = cboPersonal_->currentIndex();
    if (loading_ || row < 0) return;
    WritePersonalAlert(window_.Image(), row);
    window_.RunReader(Step::Alerts);
}

void Form6::cboMailAler_Click(int drop) {
    const int row = cboMailAler_[drop]->currentIndex();
    if (loading_ || row < 0) return;
    WriteMailAlert(window_.Image(), drop, row);
    window_.RunReader(Step::Alerts);
}

void Form6::cboHis_Click(int drop) {
    const int row = cboHis_[drop]->currentIndex();
    if (loading_ || row < 0) return;
    const BudgetPick pick = PickHistory(window_.Image(), drop, row, window_.Dialogs());
    SetRow(cboHis_[drop], pick.row);
    ShowTotal(pbTotal_, pick.total);
    window_.RunReader(Step::Alerts);
}

void Form6::cboMem_Click(int index) {
    const int row = cboMem_[index]->currentIndex();
    if (loading_ || row < 0) return;
    const BudgetPick pick = PickMemory(window_.Image(), index, row, window_.Dialogs());
    SetRow(cboMem_[index], pick.row);
    ShowTotal(pbMem_, pick.total);
    window_.RunReader(Step::Alerts);
}

}  // namespace kpx::gui
