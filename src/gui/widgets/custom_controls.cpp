#include "gui/widgets/custom_controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <cmath>

namespace kpx::gui {

namespace {

// A raised or sunken edge like the system's edge drawing.
void DrawEdge(QPainter& p, const QRect& r, bool raised, const QPalette& pal) {
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor shadow = pal.color(QPalette::Shadow);
    QColor topLeft = raised ? light : dark;
    QColor bottomRight = raised ? shadow : light;
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (raised && r.width() > 2 && r.height() > 2) {
        p.setPen(dark);
        p.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
        p.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
    }
}

int ToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

}  // namespace

// ---- ctlEBSlider ----

CtlEBSlider::CtlEBSlider(QWidget* parent) : QWidget(parent) {
    sliderColor_ = palette().color(QPalette::Button);
    setMinimumSize(40, 17);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

int CtlEBSlider::TrackLength() const {
    return (orientation_ == 0 ? width() : height()) * kTwipsPerPixel;
}

void CtlEBSlider::PlaceThumb() {
    if (max_ != min_) {
        const double pos =
            static_cast<double>(TrackLength() - sliderWidth_) / (max_ - min_) * (value_ - min_);
        thumbPos_ = static_cast<int>(std::lround(pos));
    }
    update();
}

void CtlEBSlider::SetValue(int v) {
    if (v < min_) v = min_;
    if (v > max_) v = max_;
    value_ = v;
    PlaceThumb();
    emit Changed();
}

void CtlEBSlider::SetMin(int v) {
    if (v > max_) return;
    min_ = v;
    if (value_ < min_) value_ = min_;
    PlaceThumb();
}

void CtlEBSlider::SetMax(int v) {
    if (v <= min_) return;
    max_ = v;
    if (value_ > max_) value_ = max_;
    PlaceThumb();
}

void CtlEBSlider::SetSliderWidth(int twips) {
    sliderWidth_ = twips;
    PlaceThumb();
}

void CtlEBSlider::SetSliderColor(const QColor& c) {
    sliderColor_ = c;
    update();
}

void CtlEBSlider::SetBorderStyle(int style) {
    borderStyle_ = style;
    update();
}

void CtlEBSlider::SetOrientation(int orientation) {
    orientation_ = orientation;
    SetSliderWidth(sliderWidth_);
    updateGeometry();
}

void CtlEBSlider::MoveThumbTo(int cTwips) {
    const int range = TrackLength() - sliderWidth_;
    // Without a track longer than the thumb, or without a range, there is no value to take.
    if (max_ == min_ || range <= 0) return;
    int p = (cTwips - sliderWidth_ / 2) / kTwipsPerPixel * kTwipsPerPixel;
    if (p < 0) p = 0;
    if (p > range) p = range;
    thumbPos_ = p;
    value_ = min_ + static_cast<int>(std::lround(p / (static_cast<double>(range) / (max_ - min_))));
    update();
    emit Changed();
}

void CtlEBSlider::ClickAt(int cTwips) {
    MoveThumbTo(cTwips);
}

int CtlEBSlider::Along(const QPointF& p) const {
    return static_cast<int>(std::lround((orientation_ == 0 ? p.x() : p.y()) * kTwipsPerPixel));
}

void CtlEBSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int c = Along(e->position());
    if (c >= thumbPos_ && c < thumbPos_ + sliderWidth_) {
        dragging_ = true;
        grabOffset_ = c - thumbPos_;
        return;
    }
    MoveThumbTo(c);
}

void CtlEBSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!dragging_ || !(e->buttons() & Qt::LeftButton)) return;
    // The thumb's position plus the mouse within the thumb, as the thumb reports it.
    const int within = Along(e->position()) - thumbPos_;
    MoveThumbTo(thumbPos_ + within - grabOffset_ + sliderWidth_ / 2);
}

void CtlEBSlider::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void CtlEBSlider::resizeEvent(QResizeEvent*) {
    PlaceThumb();
}

void CtlEBSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect().adjusted(0, 0, -1, -1);
    if (borderStyle_ != 0) DrawEdge(p, all, false, palette());
    const bool horizontal = orientation_ == 0;
    // The groove: two lines through the middle, inset 15 twips at both ends.
    const int inset = ToPixels(15);
    p.setPen(palette().color(QPalette::Dark));
    if (horizontal) {
        const int mid = height() / 2;
        p.drawLine(inset, mid - 1, width() - 1 - inset, mid - 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(inset, mid, width() - 1 - inset, mid);
    } else {
        const int mid = width() / 2;
        p.drawLine(mid - 1, inset, mid - 1, height() - 1 - inset);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(mid, inset, mid, height() - 1 - inset);
    }
    const int pos = ToPixels(thumbPos_);
    const int len = std::max(1, ToPixels(sliderWidth_));
    const QRect thumb = horizontal ? QRect(pos, 0, len, height()) : QRect(0, pos, width(), len);
    p.fillRect(thumb, isEnabled() ? sliderColor_ : palette().color(QPalette::Window));
    DrawEdge(p, thumb.adjusted(0, 0, -1, -1), true, palette());
}

// ---- Ncommand ----

NCommand::NCommand(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {
    setCursor(Qt::PointingHandCursor);
}

void NCommand::SetCaption(const QString& c) {
    caption_ = c;
    updateGeometry();
    update();
}

void NCommand::SetUpColor(const QColor& c) {
    upColor_ = c;
    update();
}

void NCommand::SetDnColor(const QColor& c) {
    dnColor_ = c;
    update();
}

QColor NCommand::CaptionColor() const {
    if (!isEnabled()) return QColor(192, 192, 192);
    return pressed_ ? dnColor_ : upColor_;
}

QSize NCommand::sizeHint() const {
    const QFontMetrics fm(font());
    return {std::max(75, fm.horizontalAdvance(caption_) + 24), fm.height() + 12};
}

void NCommand::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !isEnabled()) return;
    pressed_ = true;
    update();
}

void NCommand::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_) return;
    pressed_ = false;
    update();
    if (isEnabled() && rect().contains(e->position().toPoint())) emit Click();
}

void NCommand::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        pressed_ = false;
        update();
    }
    QWidget::changeEvent(e);
}

void NCommand::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    // imgUp: a blue, lit button; imgDn: the same, darker and pushed in.
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (pressed_) {
        g.setColorAt(0, QColor(40, 70, 130));
        g.setColorAt(1, QColor(90, 130, 200));
    } else {
        g.setColorAt(0, QColor(110, 150, 220));
        g.setColorAt(1, QColor(40, 70, 140));
    }
    p.setBrush(g);
    p.setPen(QColor(20, 40, 90));
    p.drawRoundedRect(r, 4, 4);
    p.setPen(CaptionColor());
    p.setFont(font());
    p.drawText(rect().translated(pressed_ ? 1 : 0, pressed_ ? 1 : 0), Qt::AlignCenter, caption_);
}

// ---- Close ----

CloseBox::CloseBox(QWidget* parent) : QWidget(parent) {
    setFixedSize(255 / kTwipsPerPixel, 270 / kTwipsPerPixel);
    setCursor(Qt::PointingHandCursor);
}

void CloseBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    update();
}

void CloseBox::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(e->position().toPoint())) emit Click();
}

void CloseBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, pressed_ ? QColor(150, 30, 30) : QColor(200, 60, 60));
    DrawEdge(p, r, !pressed_, palette());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2));
    const int m = 5 + (pressed_ ? 1 : 0);
    p.drawLine(m, m, width() - 6 + (pressed_ ? 1 : 0), height() - 6 + (pressed_ ? 1 : 0));
    p.drawLine(width() - 6 + (pressed_ ? 1 : 0), m, m, height() - 6 + (pressed_ ? 1 : 0));
}

}  // namespace kpx::gui
