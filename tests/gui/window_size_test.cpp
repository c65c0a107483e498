// The window fits a 1024x768 screen: at 1000x700 every control of every page is inside the
// window, whole, in a font that can still be read.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>
#include <iostream>

#include "gui/gui_fixture.h"
#include "texts/prompt_slots.h"

namespace kpx::gui::testing {
namespace {

class WindowSize : public WindowTest {
  protected:
    static int TextWidth(const QFontMetrics& fm, const QString& text) {
        int widest = 0;
        for (const QString& line : text.split('\n'))
            widest = std::max(widest, fm.horizontalAdvance(line));
        return widest;
    }
    void ShowPage(const char* page) {
        const QString p = page;
        if (p == "picSet1") window->EMoptCode_Click();
        if (p == "picSet2") window->EMoptStatus_Click();
        if (p == "picSet5" || p == "picSet6") {
            auto* languages = Get<QComboBox>("cboLng");
            const int row = p == "picSet6" ? kRussianRow : 0;
            languages->setCurrentIndex(row);
            emit languages->activated(row);
            window->EMoptPrompts_Click();
        }
        QApplication::processEvents();
        QApplication::processEvents();
    }

    // Every shown control with a text on the page and the tab strip: whole, and inside the
    // window's client area.
    void ExpectAllReadable(const char* page) {
        QWidget* client = window->centralWidget();
        const QRect inside = client->rect();
        int checked = 0;
        for (QWidget* w : client->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(client) || w->objectName().isEmpty()) continue;
            const bool texty = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                               qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w);
            if (!texty) continue;
            ++checked;
            const QRect r(w->mapTo(client, QPoint(0, 0)), w->size());
            EXPECT_TRUE(inside.contains(r))
                << page << ": " << w->objectName().toStdString() << " at " << r.x() << "," << r.y()
                << " " << r.width() << "x" << r.height() << " is cut off";
            // The text has its room: a label or a check box its whole size hint, a button or
            // a list its text beside its frame (the style's smallest button width aside).
            QSize need = w->minimumSizeHint();
            const QFontMetrics fm = w->fontMetrics();
            if (auto* b = qobject_cast<QPushButton*>(w)) {
                need.setWidth(TextWidth(fm, b->text()) + 6);
            } else if (auto* c = qobject_cast<QComboBox*>(w)) {
                need.setWidth(TextWidth(fm, c->currentText()) + 24);
            } else if (qobject_cast<QLineEdit*>(w)) {
                need.setWidth(0);
            }
            EXPECT_GE(w->width(), need.width()) << page << ": " << w->objectName().toStdString();
            EXPECT_GE(w->height(), need.height()) << page << ": " << w->objectName().toStdString();
            EXPECT_GE(w->font().pointSizeF(), 7.0) << page << ": " << w->objectName().toStdString();
        }
        EXPECT_GT(checked, 20) << page;
    }
};

TEST_F(WindowSize, EveryPageIsWholeAndReadableAt1000By700) {
    std::cout << "minimum size " << window->minimumSizeHint().width() << "x"
              << window->minimumSizeHint().height() << ", minimum " << window->minimumWidth() << "x"
              << window->minimumHeight() << ", font "
              << window->centralWidget()->font().pointSizeF() << "\n";
    window->resize(1000, 700);
    QApplication::processEvents();
    const QSize need = window->centralWidget()->minimumSizeHint();
    std::cout << "at 1000x700: the controls need " << need.width() << "x" << need.height()
              << ", font " << window->centralWidget()->font().pointSizeF() << " pt\n";
    EXPECT_LE(need.width(), window->centralWidget()->width());
    EXPECT_LE(need.height(), window->centralWidget()->height());
    EXPECT_EQ(window->size(), QSize(1000, 700));
    EXPECT_LE(window->minimumWidth(), 1000);
    EXPECT_LE(window->minimumHeight(), 700);
    for (const char* page : {"picSet1", "picSet2", "picSet5", "picSet6"}) {
        ShowPage(page);
        ExpectAllReadable(page);
    }
}

// Back to a large window, the fonts and the controls are as large as before.
TEST_F(WindowSize, ShrinkingAndGrowingAgainGivesTheSameLayout) {
    window->resize(1400, 900);
    QApplication::processEvents();
    const double large = window->centralWidget()->font().pointSizeF();
    const QSize freq = Get<QWidget>("txtFreq")->size();
    window->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_LT(window->centralWidget()->font().pointSizeF(), large);
    window->resize(1400, 900);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(window->centralWidget()->font().pointSizeF(), large);
    EXPECT_EQ(Get<QWidget>("txtFreq")->size(), freq);
}

// Scaled screens: 1.5 on 1280x1024 leaves 853x682 for the window, 1.25 on 1366x768 leaves
// 1092x614. The window fits with its message line; the fonts stop at 7 pt and the page scrolls
// to what does not fit.
TEST_F(WindowSize, ScaledScreensShowTheWholeWindowAndScrollThePage) {
    const QSize screen = window->screen()->availableGeometry().size();
    EXPECT_LE(window->minimumWidth(), screen.width());
    EXPECT_LE(window->minimumHeight(), screen.height());
    window->setMinimumSize(0, 0);  // the test screen is smaller than either
    auto* scroll = Get<QScrollArea>("pageScroll");
    QWidget* client = window->centralWidget();
    for (const QSize room : {QSize(853, 682), QSize(1092, 614)}) {
        window->resize(room);
        QApplication::processEvents();
        ASSERT_EQ(window->size(), room);
        auto* message = Get<QLabel>("lblMsg");
        EXPECT_TRUE(client->rect().contains(QRect(message->mapTo(client, QPoint()),
                                                  message->size())));
        for (const char* page : {"picSet1", "picSet2", "picSet5", "picSet6"}) {
            ShowPage(page);
            QWidget* panels = scroll->widget();
            EXPECT_GE(panels->width(), panels->minimumSizeHint().width()) << page;
            EXPECT_GE(panels->height(), panels->minimumSizeHint().height()) << page;
            for (QWidget* w : client->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(client) || w->objectName().isEmpty()) continue;
                if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)) continue;
                EXPECT_GE(w->font().pointSizeF(), 7.0) << page << ": " << w->objectName().toStdString();
                // Reachable: inside the scrolled page, or inside the window.
                QWidget* within = panels->isAncestorOf(w) ? panels : client;
                EXPECT_TRUE(within->rect().contains(QRect(w->mapTo(within, QPoint()), w->size())))
                    << page << ": " << w->objectName().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace kpx::gui::testing
