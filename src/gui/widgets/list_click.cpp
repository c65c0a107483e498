#include "gui/widgets/list_click.h"

#include <QTimer>
#include <memory>

namespace kpx::gui {

void OnListClick(QComboBox* list, QObject* context, std::function<void()> handler) {
    auto changedJustNow = std::make_shared<bool>(false);
    auto run = std::make_shared<std::function<void()>>(std::move(handler));
    QObject::connect(list, &QComboBox::currentIndexChanged, context, [list, changedJustNow, run] {
        (*run)();
        // Marked only once the handler is done: a handler that shows a message box runs an
        // event loop of its own, which would clear an earlier mark before activated comes.
        *changedJustNow = true;
        QTimer::singleShot(0, list, [changedJustNow] { *changedJustNow = false; });
    });
    QObject::connect(list, &QComboBox::activated, context, [changedJustNow, run] {
        if (*changedJustNow) {
            *changedJustNow = false;
            return;
        }
        (*run)();
    });
}

}  // namespace kpx::gui
