#include "gui/image_history.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

#include "gui/main_window.h"

namespace kpx::gui {

namespace {

bool IsTextBox(QObject* o) {
    if (auto* line = qobject_cast<QLineEdit*>(o)) return !line->isReadOnly();
    if (auto* text = qobject_cast<QTextEdit*>(o)) return !text->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(o)) return !plain->isReadOnly();
    return false;
}

}  // namespace

ImageHistory::ImageHistory(MainWindow& window) : QObject(&window), window_(window) {
    auto* edit = new QMenu("Edit", &window);
    edit->setObjectName("mnuEdit");
    QMenu* pager = window.findChild<QMenu*>("mnuPager");
    window.menuBar()->insertMenu(pager ? pager->menuAction() : nullptr, edit);
    undo_ = edit->addAction("Undo");
    undo_->setObjectName("mnuUndo");
    undo_->setShortcut(QKeySequence("Ctrl+Z"));
    redo_ = edit->addAction("Redo");
    redo_->setObjectName("mnuRedo");
    redo_->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    connect(undo_, &QAction::triggered, this, [this] { Undo(); });
    connect(redo_, &QAction::triggered, this, [this] { Redo(); });
    Reset();
    qApp->installEventFilter(this);
}

void ImageHistory::Reset() {
    states_.assign(1, window_.Image());
    current_ = 0;
    UpdateActions();
}

void ImageHistory::Note() {
    if (paused_ > 0 || window_.Image() == states_[current_]) return;
    states_.resize(current_ + 1);
    states_.push_back(window_.Image());
    if (states_.size() > kSteps + 1) states_.erase(states_.begin());
    current_ = states_.size() - 1;
    UpdateActions();
}

bool ImageHistory::Undo() {
    // A box being edited is left first, so what was typed becomes the step undone.
    window_.TabBackground()->setFocus();
    QCoreApplication::processEvents();
    Note();
    if (current_ == 0) return false;
    --current_;
    Restore();
    return true;
}

bool ImageHistory::Redo() {
    window_.TabBackground()->setFocus();
    QCoreApplication::processEvents();
    Note();
    if (current_ + 1 >= states_.size()) return false;
    ++current_;
    Restore();
    return true;
}

void ImageHistory::Restore() {
    window_.Image() = states_[current_];
    window_.RefreshFromNewImage();
    // What the refresh's handlers write back belongs to the restored step.
    states_[current_] = window_.Image();
    UpdateActions();
}

void ImageHistory::UpdateActions() {
    undo_->setEnabled(current_ > 0);
    redo_->setEnabled(current_ + 1 < states_.size());
}

bool ImageHistory::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Ctrl+Z in a text box being edited is the box's own.
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsTextBox(watched) &&
                (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                 key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))) {
                event->accept();
                return true;
            }
            break;
        }
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
        case QEvent::FocusOut:
        case QEvent::Drop:
            if (!pending_) {
                pending_ = true;
                QTimer::singleShot(0, this, [this] {
                    pending_ = false;
                    Note();
                });
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace kpx::gui
