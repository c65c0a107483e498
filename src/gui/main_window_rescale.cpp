// The window's rescaling: the fonts follow the window's size against its design size, down as
// well as up, and the layouts give the controls their room; below the smallest readable font
// the page scrolls.

#include <QLayout>
#include <QResizeEvent>
#include <QScreen>
#include <QVariant>
#include <algorithm>

#include "gui/main_window.h"

namespace kpx::gui {

namespace {
constexpr double kSmallestFontSize = 7.0;
// Where the screen has the room; below it the controls would no longer be readable.
constexpr int kMinimumWindowWidth = 1000;
constexpr int kMinimumWindowHeight = 700;
}  // namespace

QWidget* MainWindow::ScrolledPages(QWidget* parent) {
    pageScroll_ = new QScrollArea(parent);
    pageScroll_->setObjectName("pageScroll");
    pageScroll_->setFrameShape(QFrame::NoFrame);
    pageScroll_->setWidgetResizable(true);
    pageScroll_->viewport()->setAutoFillBackground(false);
    pageScroll_->setWidget(panels_);
    return pageScroll_;
}

void MainWindow::FitMinimumToScreen() {
    QSize most(kMinimumWindowWidth, kMinimumWindowHeight);
    // A scaled screen (1.5 on 1280x1024 leaves 853x682) may have less room than that.
    if (const QScreen* s = screen()) {
        const QSize decoration = frameGeometry().size() - size();
        most = most.boundedTo(s->availableGeometry().size() - decoration);
    }
    setMinimumSize(most);
}

QSize MainWindow::NeededSize() const {
    const QWidget* client = centralWidget();
    const QSize page = panels_->minimumSizeHint();
    const QSize view = pageScroll_->viewport()->size();
    return (client->size() - view + page).expandedTo(client->minimumSizeHint());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Rescale();
    RunReader(ReaderStep::PromptWidths);
}

void MainWindow::Rescale() {
    if (designWidth_ <= 0 || designHeight_ <= 0 || baseFontSize_ <= 0) return;
    QWidget* client = centralWidget();
    const double sx = static_cast<double>(client->width()) / designWidth_;
    const double sy = static_cast<double>(client->height()) / designHeight_;
    double scale = std::min(sx, sy);
    // Margins and spacings keep their pixels, so a window below its design size can still be
    // a little short of room: shrink the fonts a little more until the controls fit. Text
    // widths change in whole pixels, so each step takes at least 2 %.
    for (int step = 0; ScaleFonts(scale) && scale < 1.0 && step < 8; ++step) {
        const QSize need = NeededSize();
        const double fit = std::min(static_cast<double>(client->width()) / need.width(),
                                    static_cast<double>(client->height()) / need.height());
        if (fit >= 1.0) break;
        scale *= std::clamp(fit, 0.9, 0.98);
    }
}

bool MainWindow::ScaleFonts(double scale) {
    const double size = std::max(kSmallestFontSize, baseFontSize_ * scale);
    QWidget* client = centralWidget();
    const double old = client->font().pointSizeF();
    // Controls with a font of their own keep their size in proportion to the window's.
    for (QWidget* w : client->findChildren<QWidget*>()) {
        if (!w->testAttribute(Qt::WA_SetFont)) continue;
        QVariant ratio = w->property("designFontRatio");
        if (!ratio.isValid()) {
            ratio = w->font().pointSizeF() / old;
            w->setProperty("designFontRatio", ratio);
        }
        const double own = std::max(kSmallestFontSize, size * ratio.toDouble());
        if (w->font().pointSizeF() != own) {
            QFont f = w->font();
            f.setPointSizeF(own);
            w->setFont(f);
        }
    }
    QFont f = client->font();
    f.setPointSizeF(size);
    client->setFont(f);
    client->layout()->activate();
    return size > kSmallestFontSize;
}

}  // namespace kpx::gui
