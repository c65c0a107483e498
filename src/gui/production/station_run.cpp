// The station's series: started on the library's production line, its events shown.
#include <sstream>

#include "gui/production/ledger_status.h"
#include "gui/production/line_signals.h"
#include "gui/production/station_window.h"
#include "link/serial_transfers.h"
#include "platform/pg/open_ledger.h"
#include "production/ledger_url.h"
#include "settings/bands.h"
#include "settings/capcode.h"

namespace kpx::gui {

namespace {

QString CapcodesText(const CapcodePair& c) {
    return QString::fromStdString(CapcodeDigits(c[0]) + " " + CapcodeDigits(c[1]));
}

// What a series start cannot do without.
std::string StartProblem(const SeriesChoice& c, const std::string& log, int boards) {
    if (!c.autoIncrease.first && !c.autoIncrease.second)
        return "Choose the capcodes that count up: the 1st, the 2nd or both.";
    if (c.useLedger && !IsLedgerUrl(c.url)) return "The ledger needs a postgresql:// URL.";
    if (!c.useLedger && log.empty()) return "Name the CSV log of the series.";
    if (boards == 0) return "No board is checked: plug a board's cable in and check its row.";
    return "";
}

}  // namespace

// The question the programming dialog asks of a pager whose GP(RoHS) mark differs from the
// band, asked once for the whole series: only one of the two can come up with this band.
bool StationWindow::AskGpQuestion() {
    const std::string question = host_.BandRow() == kBandRowGp ? kNonGpQuestion : kGpQuestion;
    return host_.Dialogs().AskYesNo("Asked once for every pager of this series:\r\n\r\n" + question,
                                    DialogIcon::Warning);
}

std::unique_ptr<CapcodeLedger> StationWindow::OpenSeriesLedger(const SeriesChoice& c,
                                                               const PagerImage& image) {
    LedgerChoice choice;
    if (c.useLedger) {
        choice.ledger = WithLedgerPassword(c.url, password_);
        if (!c.series.empty()) choice.series = c.series;
        if (!c.station.empty()) choice.station = c.station;
    } else {
        choice.log = c.log.empty() ? DefaultLogPath(host_.TablePath()) : c.log;
    }
    const SeriesRequest request{
        {CapcodeValue(image, 0), CapcodeValue(image, 1)}, c.autoIncrease, c.count, c.resume};
    std::ostringstream out, err;
    std::unique_ptr<CapcodeLedger> ledger = OpenLedger(choice, request, out, err, nullptr, "");
    if (!ledger) {
        host_.Dialogs().Warn(err.str());
        return nullptr;
    }
    // Warnings about the log's lines and where the series goes on stay in sight.
    Say(QString::fromStdString(out.str() + err.str()).trimmed());
    return ledger;
}

void StationWindow::cmdStart_Click() {
    if (line_) return;
    const SeriesChoice choice = ReadChoice();
    std::vector<int> rows;
    for (int row = 0; row < boards_->Count(); ++row) {
        if (boards_->Used(row)) rows.push_back(row);
    }
    const std::string log = choice.log.empty() ? DefaultLogPath(host_.TablePath()) : choice.log;
    if (const std::string problem = StartProblem(choice, log, static_cast<int>(rows.size()));
        !problem.empty()) {
        host_.Dialogs().Warn(problem);
        return;
    }
    const bool gpYes = gpAnswer_ ? *gpAnswer_ : AskGpQuestion();
    gpAnswer_.reset();
    settings_.Save(choice);
    const PagerImage image = host_.Image();
    ledger_ = OpenSeriesLedger(choice, image);
    if (!ledger_) return;

    LineSettings s;
    s.autoIncrease = choice.autoIncrease;
    s.count = choice.count;
    s.swapDetection = choice.swapDetection;
    s.gpAnswerYes = gpYes;
    s.bandRow = host_.BandRow();
    s.backups = host_.Backups();
    signals_ = std::make_unique<LineSignals>();
    const auto queued = Qt::QueuedConnection;
    connect(signals_.get(), &LineSignals::StateChanged, this, &StationWindow::OnState, queued);
    connect(signals_.get(), &LineSignals::ProgressChanged, this, &StationWindow::OnProgress,
            queued);
    connect(signals_.get(), &LineSignals::PagerFinished, this, &StationWindow::OnPager, queued);
    connect(signals_.get(), &LineSignals::Noticed, this, &StationWindow::OnNotice, queued);
    connect(signals_.get(), &LineSignals::LedgerBroke, this, &StationWindow::OnLedgerFailed,
            queued);
    connect(signals_.get(), &LineSignals::Over, this, &StationWindow::OnSeriesOver, queued);
    line_ = std::make_unique<ProductionLine>(
        image, s, *ledger_, *signals_,
        [this](const std::string& path) { return host_.MakeBoardPort(path); }, *clock_);
    for (int row : rows) AddToLine(row);
    for (int row = 0; row < boards_->Count(); ++row) {
        boards_->At(row).done = boards_->At(row).failed = 0;
        boards_->ShowCounts(row);
    }
    EnableSeriesPart(false);
    ledgerFailed_ = false;
    if (choice.useLedger) {
        status_ = std::make_unique<LedgerStatusWatch>(WithLedgerPassword(choice.url, password_));
        connect(status_.get(), &LedgerStatusWatch::Read, txtSeriesStatus_,
                &QPlainTextEdit::setPlainText, queued);
        txtSeriesStatus_->setVisible(true);
    }
    host_.SetSimulatedOperator(true);
    line_->Start();
    totalsTimer_.start();
    ShowTotals();
}

void StationWindow::AddToLine(int row) {
    BoardTable::Row& r = boards_->At(row);
    r.id = line_->AddBoard(r.port.path, r.port.name);
}

void StationWindow::cmdPause_Click() {
    if (!line_) return;
    if (line_->Paused()) {
        line_->Resume();
        cmdPause_->setText("Pause");
    } else {
        line_->Pause();
        cmdPause_->setText("Resume");
    }
}

void StationWindow::cmdStop_Click() {
    if (line_) line_->Stop();
}

void StationWindow::cmdNext_Click(int row) {
    if (!line_ || row < 0 || row >= boards_->Count()) return;
    if (const auto id = boards_->At(row).id) line_->Next(*id);
}

void StationWindow::ShowTotals() {
    if (!line_) return;
    const LineTotals t = line_->Totals();
    lblDone_->setText(QString("Done: %1").arg(t.done));
    lblFailed_->setText(QString("Failed: %1").arg(t.failed));
    lblLeft_->setText(t.left ? QString("Left: %1").arg(*t.left) : QString("Left: no end"));
    lblRate_->setText(QString("Pagers per hour: %1").arg(t.pagersPerHour, 0, 'f', 1));
    lblNext_->setText(t.next ? "Next capcodes: " + CapcodesText(*t.next) : "Next capcodes:");
}

void StationWindow::OnState(int board, BoardState state, const QString& text) {
    if (const auto row = boards_->RowOf(board)) boards_->ShowState(*row, state, text);
}

void StationWindow::OnProgress(int board, int position, int maximum) {
    if (const auto row = boards_->RowOf(board)) boards_->ShowProgress(*row, position, maximum);
}

void StationWindow::OnPager(int board, const PagerOutcome& outcome) {
    const auto row = boards_->RowOf(board);
    if (!row) return;
    BoardTable::Row& r = boards_->At(*row);
    (outcome.ok ? r.done : r.failed) += 1;
    boards_->ShowCounts(*row);
}

// A backup not kept, a link that could not be used: said with the board's name.
void StationWindow::OnNotice(int board, const QString& text) {
    const auto row = boards_->RowOf(board);
    Say(row ? QString::fromStdString(boards_->At(*row).port.name) + ": " + text : text);
}

// The station stops: what it could not record is named here, in the window.
void StationWindow::OnLedgerFailed(const QString& message,
                                   const std::vector<CapcodePair>& unknown) {
    QString text = message;
    if (!unknown.empty()) {
        QStringList list;
        for (const CapcodePair& c : unknown) list << CapcodesText(c);
        text += "\nCapcodes of unknown state (handed out, written or not, without a row): " +
                list.join(", ");
    }
    // The first failure is told in a box; what later pagers meet joins the line below.
    if (ledgerFailed_) {
        Say(lblMessage_->text() + "\n" + text);
        return;
    }
    ledgerFailed_ = true;
    Say(text);
    host_.Dialogs().Warn(text.toStdString());
}

void StationWindow::OnSeriesOver(const SeriesEnd& end) {
    ShowTotals();
    totalsTimer_.stop();
    QString text = QString("The series is over: done %1, failed %2, %3 pagers per hour.")
                       .arg(end.done)
                       .arg(end.failed)
                       .arg(end.pagersPerHour, 0, 'f', 1);
    if (!end.message.empty()) text = QString::fromStdString(end.message) + "\n" + text;
    if (end.reason != SeriesEndReason::LedgerFailed) Say(text);
    host_.SetSimulatedOperator(false);
    // The boards have stopped: the line, the ledger (and the log's lock) go.
    line_.reset();
    signals_.reset();
    status_.reset();
    ledger_.reset();
    for (int row = 0; row < boards_->Count(); ++row) boards_->At(row).id.reset();
    EnableSeriesPart(true);
    ShowFirstCapcodes();
    if (closeWanted_) close();
}

}  // namespace kpx::gui
