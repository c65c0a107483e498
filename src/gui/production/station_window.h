#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <memory>

#include "gui/production/board_table.h"
#include "gui/production/station_host.h"
#include "gui/production/station_options.h"
#include "gui/production/station_settings.h"
#include "production/ledger.h"
#include "production/production_line.h"
#include "timing/clock.h"

namespace kpx::gui {

class LedgerStatusWatch;
class LineSignals;

// The production station: a series of pagers programmed from the main window's image on every
// board plugged in, the capcodes counting up, with a CSV log or a shared PostgreSQL ledger.
// Three parts: the series, the boards (tblBoards) and the totals; cmdStart, cmdPause and
// cmdStop run the series. The line itself is the library's ProductionLine; this window only
// shows what it tells and passes the user's presses on.
class StationWindow : public QDialog {
    Q_OBJECT
  public:
    StationWindow(StationHost& host, QWidget* parent = nullptr);
    ~StationWindow() override;

    // The choices of a --production command line instead of the ones kept.
    void UseStart(const ProductionStart& start);

    void cmdStart_Click();
    void cmdPause_Click();
    void cmdStop_Click();
    void cmdNext_Click(int row);
    // The device list looked at again (a timer does it every second).
    void FollowBoards();

    bool Running() const { return line_ != nullptr; }
    // The GP(RoHS) answer of the next Start, given beforehand (--start): no question is asked.
    void AnswerGpQuestion(bool yes) { gpAnswer_ = yes; }

    static constexpr int kListPeriodMs = 1000;
    static constexpr int kTotalsPeriodMs = 500;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override { close(); }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* BuildSeries();
    QWidget* BuildTotals();
    QLayout* BuildButtons();
    void ShowChoice(const SeriesChoice& choice);
    SeriesChoice ReadChoice() const;
    void ShowFirstCapcodes();
    void EnableSeriesPart(bool enabled);
    bool AskGpQuestion();
    std::unique_ptr<CapcodeLedger> OpenSeriesLedger(const SeriesChoice& choice,
                                                    const PagerImage& image);
    void AddToLine(int row);
    void ShowTotals();
    void OnState(int board, BoardState state, const QString& text);
    void OnProgress(int board, int position, int maximum);
    void OnPager(int board, const PagerOutcome& outcome);
    void OnNotice(int board, const QString& text);
    void OnLedgerFailed(const QString& message, const std::vector<CapcodePair>& unknown);
    void OnSeriesOver(const SeriesEnd& end);
    void Say(const QString& text);
    bool NextKey(QKeyEvent* key);

    StationHost& host_;
    StationSettings settings_;
    std::string password_;  // of the ledger's URL: used, never shown or kept
    std::optional<bool> gpAnswer_;
    bool closeWanted_ = false;
    bool ledgerFailed_ = false;

    QCheckBox* chkAuto_[2] = {nullptr, nullptr};
    QSpinBox* txtCount_ = nullptr;
    QLabel* lblFirst_ = nullptr;
    QRadioButton* optLog_ = nullptr;
    QRadioButton* optLedger_ = nullptr;
    QLineEdit* txtLog_ = nullptr;
    QLineEdit* txtLedger_ = nullptr;
    QLineEdit* txtSeries_ = nullptr;
    QLineEdit* txtStation_ = nullptr;
    QCheckBox* chkResume_ = nullptr;
    QCheckBox* chkSwap_ = nullptr;
    QWidget* series_ = nullptr;
    BoardTable* boards_ = nullptr;
    QLabel* lblDone_ = nullptr;
    QLabel* lblFailed_ = nullptr;
    QLabel* lblLeft_ = nullptr;
    QLabel* lblRate_ = nullptr;
    QLabel* lblNext_ = nullptr;
    QLabel* lblMessage_ = nullptr;
    QPlainTextEdit* txtSeriesStatus_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QPushButton* cmdPause_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QTimer listTimer_;
    QTimer totalsTimer_;

    std::unique_ptr<Clock> clock_;
    std::unique_ptr<CapcodeLedger> ledger_;
    std::unique_ptr<LineSignals> signals_;
    std::unique_ptr<ProductionLine> line_;
    std::unique_ptr<LedgerStatusWatch> status_;
};

}  // namespace kpx::gui
