#include "gui/pages/message_status.h"

#include <QGridLayout>

#include "gui/dialogs/form6.h"
#include "gui/window_helpers.h"

namespace kpx::gui {

MessageStatus::MessageStatus(PageHost& window, QWidget* page)
    : QObject(window.Frame()), window_(window) {
    frame_ =
        MakeFrame("Frame1(0)", "Message Type Status( PG:Personal && Group     M:Mail Drop )", page);
    auto* g = new QGridLayout(frame_);
    g->setVerticalSpacing(1);
    const char* const headers[] = {"Alert Length", "History", "Memory(KB)"};
    for (int c = 0; c < 3; ++c) {
        QLabel* h = MakeLabel(Indexed("lblHeader", c), headers[c], frame_);
        g->addWidget(h, 0, c + 1, Qt::AlignCenter);
    }
    for (int n = 0; n <= kMailDrops; ++n) {
        QLabel* name;
        if (n == 0) {
            name = MakeLabel("lblPersonal", "PG", frame_);
            name->setToolTip("Personal & Group Message Status");
        } else {
            const QChar drop = n <= 9 ? QChar('0' + n) : QChar('A' + n - 10);
            name = MakeLabel(Indexed("lblMail", n - 1), QString("M") + drop, frame_);
            name->setToolTip(QString("Mail Drop %1 Message Status").arg(drop));
        }
        g->addWidget(name, n + 1, 0);
        lblLength_[n] = MakeLabel(Indexed("lblLength", n), "", frame_);
        lblHistory_[n] = MakeLabel(Indexed("lblHistory", n), n == 0 ? "15" : "", frame_);
        lblMemory_[n] = MakeLabel(Indexed("lblMemory", n), "", frame_);
        int c = 1;
        for (QLabel* cell : {lblLength_[n], lblHistory_[n], lblMemory_[n]}) {
            cell->setToolTip(name->toolTip());
            g->addWidget(cell, n + 1, c++, Qt::AlignCenter);
        }
    }
    auto* cmdAlert = new QPushButton("Msg  Status\nSelect", frame_);
    cmdAlert->setObjectName("cmdAlert");
    g->addWidget(cmdAlert, kMailDrops + 2, 0, 1, 4);
    connect(cmdAlert, &QPushButton::clicked, this, &MessageStatus::cmdAlert_Click);

    window_.InstallReader(ReaderStep::Alerts, [this] { read_Alert(); });
}

void MessageStatus::cmdAlert_Click() {
    Form6 form(window_, window_.Frame());
    form.exec();
}

void MessageStatus::read_Alert() {
    const StatusTable t = ReadStatusTable(window_.Image());
    for (int n = 0; n <= kMailDrops; ++n) {
        const auto k = static_cast<std::size_t>(n);
        if (t.length[k]) lblLength_[n]->setText(QString::fromStdString(*t.length[k]));
        if (t.history[k]) lblHistory_[n]->setText(QString::fromStdString(*t.history[k]));
        lblMemory_[n]->setText(QString::fromStdString(t.memory[k]));
    }
}

}  // namespace kpx::gui
