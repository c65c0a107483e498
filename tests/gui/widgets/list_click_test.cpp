#include "gui/widgets/list_click.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

namespace kpx::gui {
namespace {

// One run per change, one run per user pick, whatever mix of program and user made it.
TEST(ListClick, RunsOncePerChangeAndOncePerUserPick) {
    QComboBox list;
    list.addItems({"a", "b", "c"});
    list.setCurrentIndex(-1);
    list.show();
    int runs = 0;
    OnListClick(&list, &list, [&] { ++runs; });

    list.setCurrentIndex(1);  // the program's change
    EXPECT_EQ(runs, 1);
    QApplication::processEvents();

    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);  // the user's pick of another row
    EXPECT_EQ(list.currentIndex(), 2);
    EXPECT_EQ(runs, 2);
    QApplication::processEvents();

    // The user picks the row already selected from the open list.
    list.showPopup();
    QApplication::processEvents();
    QTest::keyClick(list.view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list.currentIndex(), 2);
    EXPECT_EQ(runs, 3);

    // A program change followed later by a user's re-pick runs both.
    list.setCurrentIndex(0);
    QApplication::processEvents();
    list.showPopup();
    QApplication::processEvents();
    QTest::keyClick(list.view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(runs, 5);
}

// A handler that shows a message box runs a nested event loop; the user's pick that got it
// there still runs it once.
TEST(ListClick, AHandlerWithItsOwnEventLoopRunsOncePerPick) {
    QComboBox list;
    list.addItems({"a", "b", "c"});
    list.show();
    int runs = 0;
    OnListClick(&list, &list, [&] {
        ++runs;
        QApplication::processEvents();  // as a modal message box does
    });
    QApplication::processEvents();
    runs = 0;
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
    QTest::keyClick(&list, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace kpx::gui
