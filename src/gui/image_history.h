#pragma once

#include <QObject>
#include <cstddef>
#include <vector>

#include "image/pager_image.h"

class QAction;

namespace kpx::gui {

class MainWindow;

// Undo and Redo of the image, in the Edit menu. Each user change is one step: a whole-image
// snapshot taken once the events of the change are over (a list pick, a box left, an editor's
// change, Open, Read). A text box being edited keeps its own Ctrl+Z until it is left.
class ImageHistory : public QObject {
  public:
    static constexpr std::size_t kSteps = 100;

    explicit ImageHistory(MainWindow& window);
    ImageHistory(const ImageHistory&) = delete;
    ImageHistory& operator=(const ImageHistory&) = delete;

    // The image as it stands is where the history starts (after the start-up load).
    void Reset();
    // A user change may have ended: a new step when the image differs from the last one.
    void Note();
    bool Undo();
    bool Redo();

    // While the image travels to or from a pager its texts are in the pager's characters; no
    // step is taken then. The step of the whole command is taken at the end.
    class Pause {
      public:
        explicit Pause(ImageHistory& history) : history_(history) { ++history_.paused_; }
        ~Pause() {
            --history_.paused_;
            history_.Note();
        }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

      private:
        ImageHistory& history_;
    };

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Restore();
    void UpdateActions();

    MainWindow& window_;
    std::vector<PagerImage> states_;
    std::size_t current_ = 0;
    int paused_ = 0;
    bool pending_ = false;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

}  // namespace kpx::gui
