#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace kpx::gui::testing {

// Runs `open`, which shows a modal dialog, and `drive` on that dialog while it is up. A dialog
// that `drive` leaves open is closed after it.
inline void WhileModal(const std::function<void()>& open,
                       const std::function<void(QDialog&)>& drive) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        ran = true;
        drive(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    open();
    EXPECT_TRUE(ran) << "no modal dialog came up";
}

// A user's pick of a list row: the row changes (if it is another one) and the pick is reported.
inline void Pick(QComboBox* list, int row) {
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(row);
    emit list->activated(row);
}

template <class T>
T* In(QWidget& parent, const QString& name) {
    T* w = parent.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

}  // namespace kpx::gui::testing
