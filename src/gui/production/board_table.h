#pragma once

#include <QObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "gui/production/station_host.h"
#include "production/production_line.h"

namespace kpx::gui {

// tblBoards: one row per board the device list has shown, in the order they came. A board
// whose cable is unplugged keeps its row, marked gone; plugged in again, the row takes it back.
// Each row: its Use check box, COM name, device path, state, progress, pagers done and failed,
// and its Next button (cmdNext(row)).
class BoardTable : public QObject {
    Q_OBJECT
  public:
    enum Column { kUse, kName, kPath, kState, kProgress, kDone, kFailed, kNext, kColumns };

    struct Row {
        StationPort port;
        std::optional<BoardId> id;  // while the series has it
        bool gone = false;
        int done = 0;
        int failed = 0;
        QString last;  // how its last pager went
    };

    explicit BoardTable(QWidget* parent);
    QTableWidget* Widget() const { return table_; }

    // Boards a new row starts checked for: these paths, or every board when empty.
    void Pick(std::vector<std::string> paths) { picked_ = {paths.begin(), paths.end()}; }
    // Follows the device list: rows for new boards, gone for boards no longer listed. Calls
    // joined(row) for a board that came (or came back), left(row) for one that went.
    void Follow(const std::vector<StationPort>& listed);
    std::function<void(int)> joined;
    std::function<void(int)> left;
    // The user pressed Next of a row (the button or its key), or changed its Use box.
    std::function<void(int)> nextPressed;
    std::function<void(int, bool)> useChanged;

    int Count() const { return static_cast<int>(rows_.size()); }
    Row& At(int row) { return rows_[static_cast<std::size_t>(row)]; }
    std::optional<int> RowOf(BoardId id) const;
    bool Used(int row) const;

    void ShowState(int row, BoardState state, const QString& text);
    void ShowProgress(int row, int position, int maximum);
    void ShowCounts(int row);
    // Next buttons work only while a series runs.
    void SetRunning(bool running);

  private:
    void AddRow(const StationPort& port);
    void SetText(int row, int column, const QString& text);

    QTableWidget* table_;
    std::vector<Row> rows_;
    std::set<std::string> picked_;
    bool running_ = false;
    bool filling_ = false;
};

// The words a board's state shows in its row.
QString StateWords(BoardState state, const QString& text);

}  // namespace kpx::gui
