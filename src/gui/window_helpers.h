#pragma once

#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <string_view>

namespace kpx::gui {

// Small helpers the window and its pieces share when they build and drive their controls.

inline QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The objectName of element `index` of a control array: "chkCtl(17)".
inline QString Indexed(const char* name, int index) {
    return QString("%1(%2)").arg(QLatin1String(name)).arg(index);
}

inline QLabel* MakeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

inline QGroupBox* MakeFrame(const QString& name, const QString& title, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

// Focus changes caused by another window (a message box, the desktop) are not the user
// leaving or entering a box.
inline bool IsWindowFocusChange(QEvent* e) {
    const auto reason = static_cast<QFocusEvent*>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// A refused entry takes the focus back once the event that refused it is over.
inline void DeferFocus(QWidget* w) {
    QTimer::singleShot(0, w, [w] { w->setFocus(Qt::OtherFocusReason); });
}

// A short entry box: as wide as `chars` characters of its own font, whatever the rescale makes
// of that font.
class ShortLineEdit : public QLineEdit {
  public:
    ShortLineEdit(int chars, QWidget* parent) : QLineEdit(parent), chars_(chars) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        QSize s = QLineEdit::sizeHint();
        s.setWidth(fontMetrics().horizontalAdvance(QString(chars_, QChar('M'))) + 10);
        return s;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

  private:
    int chars_;
};

}  // namespace kpx::gui
