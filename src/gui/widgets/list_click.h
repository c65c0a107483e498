#pragma once

#include <QComboBox>
#include <QObject>
#include <functional>

namespace kpx::gui {

// Wires a list's click handler the way the window's lists behave: it runs once for every change
// of the current row, whether the user or the program made it, and once for a user's pick of
// the row that is already selected (re-picking a band or a spacing puts its defaults back).
//
// A user's pick of another row makes the combo box emit currentIndexChanged and then activated
// in the same call; the second must not run the handler again. The mark that says "a change
// has just run" is cleared from the event loop, so it never outlives the pick that set it.
void OnListClick(QComboBox* list, QObject* context, std::function<void()> handler);

}  // namespace kpx::gui
