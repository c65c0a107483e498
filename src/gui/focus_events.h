#pragma once

#include <QEvent>
#include <QFocusEvent>

namespace kpx::gui {

// Focus changes caused by another window (a message box, the desktop) are not the user
// leaving or entering a box.
inline bool IsWindowFocusChange(QEvent* e) {
    const auto reason = static_cast<QFocusEvent*>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace kpx::gui
