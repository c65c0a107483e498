#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "production/production_line.h"

Q_DECLARE_METATYPE(kpx::BoardState)
Q_DECLARE_METATYPE(kpx::PagerOutcome)
Q_DECLARE_METATYPE(kpx::SeriesEnd)
Q_DECLARE_METATYPE(std::vector<kpx::CapcodePair>)

namespace kpx::gui {

// The line's observer as Qt signals. The line calls it from its boards' threads; a receiver
// connected with Qt::QueuedConnection (Connect does so) gets every event on its own thread, in
// the order the line told them.
class LineSignals : public QObject, public LineObserver {
    Q_OBJECT
  public:
    LineSignals();

    void BoardStateChanged(BoardId board, BoardState state, const std::string& text) override {
        emit StateChanged(board, state, QString::fromStdString(text));
    }
    void Progress(BoardId board, int position, int maximum) override {
        emit ProgressChanged(board, position, maximum);
    }
    void Notice(BoardId board, const std::string& text) override {
        emit Noticed(board, QString::fromStdString(text));
    }
    void LinkUnusable(BoardId board, const std::string& why) override {
        emit Noticed(board, QString::fromStdString(why));
    }
    void PagerDone(BoardId board, const PagerOutcome& outcome) override {
        emit PagerFinished(board, outcome);
    }
    void PagerFailed(BoardId board, const PagerOutcome& outcome) override {
        emit PagerFinished(board, outcome);
    }
    void LedgerFailed(const std::string& message,
                      const std::vector<CapcodePair>& unknown) override {
        emit LedgerBroke(QString::fromStdString(message), unknown);
    }
    void SeriesOver(const SeriesEnd& end) override { emit Over(end); }

  signals:
    void StateChanged(int board, kpx::BoardState state, const QString& text);
    void ProgressChanged(int board, int position, int maximum);
    void Noticed(int board, const QString& text);
    void PagerFinished(int board, const kpx::PagerOutcome& outcome);
    void LedgerBroke(const QString& message, const std::vector<kpx::CapcodePair>& unknown);
    void Over(const kpx::SeriesEnd& end);
};

}  // namespace kpx::gui
