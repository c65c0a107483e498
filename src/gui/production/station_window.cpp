#include "gui/production/station_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <fstream>

#include "gui/production/ledger_status.h"
#include "gui/production/line_signals.h"
#include "gui/window_helpers.h"
#include "platform/steady_clock.h"
#include "settings/capcode.h"

namespace kpx::gui {

StationWindow::StationWindow(StationHost& host, QWidget* parent)
    : QDialog(parent),
      host_(host),
      settings_(host.SettingsFile()),
      clock_(std::make_unique<SteadyClock>()) {
    setObjectName("frmStation");
    setWindowTitle("Production Station");
    // The window's own Pager commands and board watch keep off the station's boards.
    setWindowModality(Qt::ApplicationModal);
    auto* v = new QVBoxLayout(this);
    series_ = BuildSeries();
    v->addWidget(series_);
    auto* boardsFrame = MakeFrame("fraBoards", "Boards", this);
    auto* bv = new QVBoxLayout(boardsFrame);
    boards_ = new BoardTable(boardsFrame);
    bv->addWidget(boards_->Widget(), 1);
    chkSwap_ = new QCheckBox(
        "Take the next pager when it is swapped in (else press Next, or keys 1-8)", boardsFrame);
    chkSwap_->setObjectName("chkSwap");
    bv->addWidget(chkSwap_);
    v->addWidget(boardsFrame, 1);
    v->addWidget(BuildTotals());
    v->addLayout(BuildButtons());

    ShowChoice(settings_.Load());
    boards_->joined = [this](int row) {
        if (line_ && boards_->Used(row)) AddToLine(row);
    };
    boards_->left = [this](int row) {
        BoardTable::Row& r = boards_->At(row);
        if (line_ && r.id) line_->RemoveBoard(*r.id);
    };
    boards_->nextPressed = [this](int row) { cmdNext_Click(row); };
    boards_->useChanged = [this](int row, bool used) {
        BoardTable::Row& r = boards_->At(row);
        if (!line_) return;
        if (r.id) {
            line_->SetBoardEnabled(*r.id, used);
        } else if (used) {
            AddToLine(row);
        }
    };
    listTimer_.setInterval(kListPeriodMs);
    connect(&listTimer_, &QTimer::timeout, this, &StationWindow::FollowBoards);
    listTimer_.start();
    totalsTimer_.setInterval(kTotalsPeriodMs);
    connect(&totalsTimer_, &QTimer::timeout, this, &StationWindow::ShowTotals);
    FollowBoards();
    boards_->Widget()->installEventFilter(this);
    host_.SetStationOpen(true);
    resize(900, 640);
}

StationWindow::~StationWindow() {
    // The line's destructor stops the series and waits for the boards.
    line_.reset();
    status_.reset();
    host_.SetSimulatedOperator(false);
    host_.SetStationOpen(false);
}

QWidget* StationWindow::BuildSeries() {
    auto* frame = MakeFrame("fraSeries", "Series", this);
    auto* g = new QGridLayout(frame);
    chkAuto_[0] = new QCheckBox("1st Capcode Auto Increase", frame);
    chkAuto_[0]->setObjectName("chkAuto1");
    chkAuto_[1] = new QCheckBox("2nd Capcode Auto Increase", frame);
    chkAuto_[1]->setObjectName("chkAuto2");
    g->addWidget(chkAuto_[0], 0, 0);
    g->addWidget(chkAuto_[1], 0, 1);
    g->addWidget(MakeLabel("lblCount", "Pagers:", frame), 0, 2);
    txtCount_ = new QSpinBox(frame);
    txtCount_->setObjectName("txtCount");
    txtCount_->setRange(0, 9999999);
    txtCount_->setSpecialValueText("no end");
    g->addWidget(txtCount_, 0, 3);
    lblFirst_ = MakeLabel("lblFirst", "", frame);
    g->addWidget(lblFirst_, 1, 0, 1, 4);

    optLog_ = new QRadioButton("CSV log", frame);
    optLog_->setObjectName("optLog");
    txtLog_ = new QLineEdit(frame);
    txtLog_->setObjectName("txtLog");
    txtLog_->setPlaceholderText("the table file's name with .csv");
    chkResume_ = new QCheckBox("Go on after the last written capcode", frame);
    chkResume_->setObjectName("chkResume");
    g->addWidget(optLog_, 2, 0);
    g->addWidget(txtLog_, 2, 1, 1, 2);
    g->addWidget(chkResume_, 2, 3);

    optLedger_ = new QRadioButton("PostgreSQL ledger", frame);
    optLedger_->setObjectName("optLedger");
    txtLedger_ = new QLineEdit(frame);
    txtLedger_->setObjectName("txtLedger");
    txtLedger_->setPlaceholderText("postgresql://user@host/db (the password in ~/.pgpass)");
    txtSeries_ = new QLineEdit(frame);
    txtSeries_->setObjectName("txtSeries");
    txtSeries_->setPlaceholderText("series: from the file's capcodes");
    txtStation_ = new QLineEdit(frame);
    txtStation_->setObjectName("txtStation");
    txtStation_->setPlaceholderText("station: this machine's name");
    g->addWidget(optLedger_, 3, 0);
    g->addWidget(txtLedger_, 3, 1);
    g->addWidget(txtSeries_, 3, 2);
    g->addWidget(txtStation_, 3, 3);

    // A password typed into the URL leaves the box at once: it is used for this run only.
    connect(txtLedger_, &QLineEdit::editingFinished, this, [this] {
        const SplitUrl split = SplitLedgerPassword(txtLedger_->text().toStdString());
        if (split.password.empty()) return;
        password_ = split.password;
        txtLedger_->setText(QString::fromStdString(split.url));
    });
    // The log is read once its name is typed, not at every key.
    connect(txtLog_, &QLineEdit::editingFinished, this, &StationWindow::ShowFirstCapcodes);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             chkAuto_[0], chkAuto_[1], optLog_, optLedger_, chkResume_})
        connect(b, &QAbstractButton::toggled, this, &StationWindow::ShowFirstCapcodes);
    return frame;
}

QWidget* StationWindow::BuildTotals() {
    auto* frame = MakeFrame("fraTotals", "Totals", this);
    auto* g = new QGridLayout(frame);
    lblDone_ = MakeLabel("lblDone", "Done: 0", frame);
    lblFailed_ = MakeLabel("lblFailed", "Failed: 0", frame);
    lblLeft_ = MakeLabel("lblLeft", "Left:", frame);
    lblRate_ = MakeLabel("lblRate", "Pagers per hour: 0.0", frame);
    lblNext_ = MakeLabel("lblNext", "Next capcodes:", frame);
    g->addWidget(lblDone_, 0, 0);
    g->addWidget(lblFailed_, 0, 1);
    g->addWidget(lblLeft_, 0, 2);
    g->addWidget(lblRate_, 0, 3);
    g->addWidget(lblNext_, 1, 0, 1, 4);
    lblMessage_ = MakeLabel("lblMessage", "", frame);
    lblMessage_->setWordWrap(true);
    lblMessage_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    g->addWidget(lblMessage_, 2, 0, 1, 4);
    txtSeriesStatus_ = new QPlainTextEdit(frame);
    txtSeriesStatus_->setObjectName("txtSeriesStatus");
    txtSeriesStatus_->setReadOnly(true);
    txtSeriesStatus_->setMaximumHeight(110);
    txtSeriesStatus_->setVisible(false);
    g->addWidget(txtSeriesStatus_, 3, 0, 1, 4);
    return frame;
}

QLayout* StationWindow::BuildButtons() {
    auto* h = new QHBoxLayout;
    cmdStart_ = new QPushButton("Start", this);
    cmdStart_->setObjectName("cmdStart");
    cmdPause_ = new QPushButton("Pause", this);
    cmdPause_->setObjectName("cmdPause");
    cmdStop_ = new QPushButton("Stop", this);
    cmdStop_->setObjectName("cmdStop");
    cmdPause_->setEnabled(false);
    cmdStop_->setEnabled(false);
    for (QPushButton* b : {cmdStart_, cmdPause_, cmdStop_}) {
        b->setAutoDefault(false);
        h->addWidget(b);
    }
    h->addStretch(1);
    connect(cmdStart_, &QPushButton::clicked, this, &StationWindow::cmdStart_Click);
    connect(cmdPause_, &QPushButton::clicked, this, &StationWindow::cmdPause_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &StationWindow::cmdStop_Click);
    return h;
}

void StationWindow::ShowChoice(const SeriesChoice& c) {
    chkAuto_[0]->setChecked(c.autoIncrease.first);
    chkAuto_[1]->setChecked(c.autoIncrease.second);
    txtCount_->setValue(c.count);
    (c.useLedger ? optLedger_ : optLog_)->setChecked(true);
    txtLog_->setText(QString::fromStdString(c.log));
    txtLedger_->setText(QString::fromStdString(c.url));
    txtSeries_->setText(QString::fromStdString(c.series));
    txtStation_->setText(QString::fromStdString(c.station));
    chkResume_->setChecked(c.resume);
    chkSwap_->setChecked(c.swapDetection);
    ShowFirstCapcodes();
}

SeriesChoice StationWindow::ReadChoice() const {
    SeriesChoice c;
    c.autoIncrease = {chkAuto_[0]->isChecked(), chkAuto_[1]->isChecked()};
    c.count = txtCount_->value();
    c.useLedger = optLedger_->isChecked();
    c.log = txtLog_->text().toStdString();
    c.url = SplitLedgerPassword(txtLedger_->text().toStdString()).url;
    c.series = txtSeries_->text().toStdString();
    c.station = txtStation_->text().toStdString();
    c.resume = chkResume_->isChecked();
    c.swapDetection = chkSwap_->isChecked();
    return c;
}

void StationWindow::UseStart(const ProductionStart& start) {
    ShowChoice(start.series);
    if (!start.password.empty()) password_ = start.password;
    boards_->Pick(start.ports);
}

// Where the series begins: the image's capcodes, after the CSV log's last written ones when
// it goes on from there, or where the shared ledger says (known once it is asked, at Start).
void StationWindow::ShowFirstCapcodes() {
    if (line_) return;
    const PagerImage image = host_.Image();
    CapcodePair first = {CapcodeValue(image, 0), CapcodeValue(image, 1)};
    const SeriesChoice c = ReadChoice();
    QString from = "from the image";
    std::vector<LogRow> rows;
    std::string log = c.log.empty() ? DefaultLogPath(host_.TablePath()) : c.log;
    if (!c.useLedger && !log.empty()) {
        std::ifstream in(log);
        if (in) rows = ParseLog(in);
    }
    chkResume_->setEnabled(!c.useLedger && !rows.empty());
    if (c.useLedger) {
        from = "or where the ledger's series goes on";
    } else if (c.resume && !rows.empty()) {
        first = ResumeCapcodes(rows, c.autoIncrease, first);
        from = "after the log's last written capcode";
    }
    lblFirst_->setText(QString("First capcodes: %1 %2 (%3)")
                           .arg(QString::fromStdString(CapcodeDigits(first[0])),
                                QString::fromStdString(CapcodeDigits(first[1])), from));
}

void StationWindow::EnableSeriesPart(bool enabled) {
    series_->setEnabled(enabled);
    chkSwap_->setEnabled(enabled);
    cmdStart_->setEnabled(enabled);
    cmdPause_->setEnabled(!enabled);
    cmdStop_->setEnabled(!enabled);
    cmdPause_->setText("Pause");
    boards_->SetRunning(!enabled);
}

void StationWindow::FollowBoards() {
    boards_->Follow(host_.ListPorts());
}

void StationWindow::Say(const QString& text) {
    lblMessage_->setText(text);
}

// Keys 1-8 press the Next button of rows 1-8 wherever the focus is but in an entry box (which
// keeps its digits); the table would take them for a search.
bool StationWindow::NextKey(QKeyEvent* key) {
    if (key->key() < Qt::Key_1 || key->key() > Qt::Key_8 ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    cmdNext_Click(key->key() - Qt::Key_1);
    return true;
}

bool StationWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && NextKey(static_cast<QKeyEvent*>(event))) return true;
    return QDialog::eventFilter(watched, event);
}

void StationWindow::keyPressEvent(QKeyEvent* event) {
    if (!NextKey(event)) QDialog::keyPressEvent(event);
}

void StationWindow::closeEvent(QCloseEvent* event) {
    if (!line_) {
        settings_.Save(ReadChoice());
        event->accept();
        return;
    }
    // A transfer is never cut: the series stops after the pagers under way, then the window
    // closes.
    if (line_->Totals().underWay > 0 &&
        !host_.Dialogs().AskYesNo("Pagers are under way. Stop the series after them and close?",
                                  DialogIcon::Warning)) {
        event->ignore();
        return;
    }
    closeWanted_ = true;
    line_->Stop();
    event->ignore();
}

}  // namespace kpx::gui
