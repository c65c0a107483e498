#include "gui/file_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "gui/main_window.h"

namespace kpx::gui {

namespace {

// The one local .tbl file a drag carries, or nothing.
QString DroppedTable(const QMimeData* data) {
    if (!data || data->urls().size() != 1 || !data->urls()[0].isLocalFile()) return {};
    const QString path = data->urls()[0].toLocalFile();
    return QFileInfo(path).suffix().compare("tbl", Qt::CaseInsensitive) == 0 ? path : QString();
}

}  // namespace

FileDrop::FileDrop(MainWindow& window) : QObject(&window), window_(window) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (DroppedTable(drag->mimeData()).isEmpty()) return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DroppedTable(drop->mimeData());
        if (path.isEmpty()) return false;
        drop->acceptProposedAction();
        window_.OpenFile(path);
        return true;
    }
    return false;
}

}  // namespace kpx::gui
