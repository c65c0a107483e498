#include "gui/production/board_table.h"

#include <QHeaderView>
#include <algorithm>

#include "gui/window_helpers.h"

namespace kpx::gui {

QString StateWords(BoardState state, const QString& text) {
    auto with = [&text](const char* words) {
        return text.isEmpty() ? QString(words) : QString(words) + ": " + text;
    };
    switch (state) {
        case BoardState::Idle:
            return "idle";
        case BoardState::WaitingForPager:
            return "waiting for a pager";
        case BoardState::Writing:
            return with("writing");
        case BoardState::Verifying:
            return "verifying";
        case BoardState::Done:
            return with("done");
        case BoardState::AlreadyProgrammed:
            return "already programmed";
        case BoardState::Failed:
            return with("failed");
        case BoardState::Retired:
            return with("takes no more pagers");
        case BoardState::Gone:
            return "gone: it takes no more pagers";
        case BoardState::Stopped:
            return "stopped";
    }
    return text;
}

BoardTable::BoardTable(QWidget* parent)
    : QObject(parent), table_(new QTableWidget(0, kColumns, parent)) {
    table_->setObjectName("tblBoards");
    table_->setHorizontalHeaderLabels(
        {"Use", "Board", "Device", "State", "Progress", "Done", "Failed", ""});
    table_->verticalHeader()->setVisible(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(kState, QHeaderView::Stretch);
    for (int c : {kUse, kName, kDone, kFailed, kNext})
        table_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() != kUse || !useChanged) return;
        useChanged(item->row(), item->checkState() == Qt::Checked);
    });
}

void BoardTable::Follow(const std::vector<StationPort>& listed) {
    for (const StationPort& port : listed) {
        auto known = std::find_if(rows_.begin(), rows_.end(),
                                  [&](const Row& r) { return r.port.path == port.path; });
        if (known == rows_.end()) {
            AddRow(port);
            if (joined) joined(Count() - 1);
        } else if (known->gone) {
            const int row = static_cast<int>(known - rows_.begin());
            known->gone = false;
            known->port = port;
            known->id.reset();
            SetText(row, kName, Q(port.name));
            table_->item(row, kUse)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            ShowState(row, BoardState::Idle, "");
            if (joined) joined(row);
        }
    }
    for (int row = 0; row < Count(); ++row) {
        Row& r = At(row);
        const bool listedNow = std::any_of(listed.begin(), listed.end(), [&](const StationPort& p) {
            return p.path == r.port.path;
        });
        if (listedNow || r.gone) continue;
        r.gone = true;
        table_->item(row, kUse)->setFlags(Qt::ItemIsUserCheckable);  // shown, not usable
        ShowState(row, BoardState::Gone, "");
        if (left) left(row);
    }
}

void BoardTable::AddRow(const StationPort& port) {
    filling_ = true;
    const int row = Count();
    rows_.push_back(Row{port, std::nullopt, false, 0, 0, {}});
    table_->insertRow(row);
    auto* use = new QTableWidgetItem;
    use->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    use->setCheckState(picked_.empty() || picked_.count(port.path) ? Qt::Checked : Qt::Unchecked);
    table_->setItem(row, kUse, use);
    for (int c : {kName, kPath, kState, kDone, kFailed})
        table_->setItem(row, c, new QTableWidgetItem);
    SetText(row, kName, Q(port.name));
    SetText(row, kPath, Q(port.path));
    auto* bar = new QProgressBar(table_);
    bar->setObjectName(Indexed("PB", row));
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setTextVisible(false);
    table_->setCellWidget(row, kProgress, bar);
    auto* next = new QPushButton(row < 8 ? QString("Next (%1)").arg(row + 1) : "Next", table_);
    next->setObjectName(Indexed("cmdNext", row));
    next->setEnabled(running_);
    connect(next, &QPushButton::clicked, this, [this, row] {
        if (nextPressed) nextPressed(row);
    });
    table_->setCellWidget(row, kNext, next);
    filling_ = false;
    ShowState(row, BoardState::Idle, "");
    ShowCounts(row);
}

std::optional<int> BoardTable::RowOf(BoardId id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) return static_cast<int>(i);
    }
    return std::nullopt;
}

bool BoardTable::Used(int row) const {
    return !rows_[static_cast<std::size_t>(row)].gone &&
           table_->item(row, kUse)->checkState() == Qt::Checked;
}

void BoardTable::SetText(int row, int column, const QString& text) {
    filling_ = true;
    table_->item(row, column)->setText(text);
    filling_ = false;
}

void BoardTable::ShowState(int row, BoardState state, const QString& text) {
    // A board waiting for its next pager still says how the last one went.
    QString words = StateWords(state, text);
    Row& r = At(row);
    if (state == BoardState::Done || state == BoardState::Failed) r.last = words;
    if (state == BoardState::Idle) r.last.clear();
    if (state == BoardState::WaitingForPager && !r.last.isEmpty()) words += "; last: " + r.last;
    SetText(row, kState, words);
    // The bar shows only what is under way.
    if (state != BoardState::Writing && state != BoardState::Verifying) ShowProgress(row, 0, 1);
}

void BoardTable::ShowProgress(int row, int position, int maximum) {
    auto* bar = static_cast<QProgressBar*>(table_->cellWidget(row, kProgress));
    bar->setRange(0, std::max(maximum, 1));
    bar->setValue(std::clamp(position, 0, std::max(maximum, 1)));
}

void BoardTable::ShowCounts(int row) {
    SetText(row, kDone, QString::number(At(row).done));
    SetText(row, kFailed, QString::number(At(row).failed));
}

void BoardTable::SetRunning(bool running) {
    running_ = running;
    for (int row = 0; row < Count(); ++row) table_->cellWidget(row, kNext)->setEnabled(running);
}

}  // namespace kpx::gui
