#pragma once

#include <QObject>

namespace kpx::gui {

class MainWindow;

// A table file dropped on the window opens as File/Open opens it.
class FileDrop : public QObject {
  public:
    explicit FileDrop(MainWindow& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainWindow& window_;
};

}  // namespace kpx::gui
