#pragma once

#include <QLabel>
#include <QObject>
#include <QPushButton>

#include "gui/pages/page_host.h"
#include "settings/alerts.h"

namespace kpx::gui {

// The read-only message status table on picSet1: alert length, history and memory of the
// personal address (PG) and of every mail drop, with the button that opens their editor Form6.
class MessageStatus : public QObject {
    Q_OBJECT
  public:
    MessageStatus(PageHost& window, QWidget* page);
    QWidget* Panel() const { return frame_; }

    void cmdAlert_Click();
    void read_Alert();

  private:
    PageHost& window_;
    QWidget* frame_ = nullptr;
    QLabel* lblLength_[kMailDrops + 1] = {};
    QLabel* lblHistory_[kMailDrops + 1] = {};
    QLabel* lblMemory_[kMailDrops + 1] = {};
};

}  // namespace kpx::gui
