#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "gui/dialogs/frames.h"
#include "gui/programmer.h"
#include "gui/wait_until.h"
#include "gui/widgets/custom_controls.h"
#include "testsupport/fakes.h"

namespace kpx::gui {
namespace {

TEST(CtlEBSlider, ValueMinAndMaxRules) {
    CtlEBSlider s;
    s.resize(150, 20);  // 2250 twips
    QSignalSpy changed(&s, &CtlEBSlider::Changed);
    s.SetValue(200);
    EXPECT_EQ(s.Value(), 100);
    EXPECT_EQ(changed.count(), 1);
    s.SetValue(-3);
    EXPECT_EQ(s.Value(), 0);
    s.SetMin(150);  // above Max: ignored
    EXPECT_EQ(s.Min(), 0);
    s.SetValue(40);
    s.SetMin(50);  // Value raised, no Changed
    EXPECT_EQ(s.Value(), 50);
    s.SetMax(50);  // must stay above Min: ignored
    EXPECT_EQ(s.Max(), 100);
    s.SetMax(60);
    s.SetValue(60);
    s.SetMax(55);
    EXPECT_EQ(s.Value(), 55);
    changed.clear();
    s.SetMin(55);  // Min may equal Max
    EXPECT_EQ(s.Min(), 55);
    EXPECT_EQ(changed.count(), 0);
    const int thumb = s.ThumbPosition();
    s.SetValue(55);
    EXPECT_EQ(s.ThumbPosition(), thumb) << "Min = Max: the thumb stays";
}

TEST(CtlEBSlider, ThumbFollowsValueAndClicks) {
    CtlEBSlider s;
    s.resize(150, 20);
    s.SetMax(8);
    s.SetValue(4);
    EXPECT_EQ(s.ThumbPosition(), 968);  // (2250 - 315) / 8 * 4, to the nearest twip
    QSignalSpy changed(&s, &CtlEBSlider::Changed);
    s.ClickAt(3);
    EXPECT_EQ(s.ThumbPosition(), 0);
    EXPECT_EQ(s.Value(), 0);
    EXPECT_EQ(changed.count(), 1);
    s.ClickAt(5000);  // past the end: the thumb stops at the end
    EXPECT_EQ(s.ThumbPosition(), 2250 - 315);
    EXPECT_EQ(s.Value(), 8);
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(75, 10));  // 1125 twips: p = 960
    EXPECT_EQ(s.ThumbPosition(), 960);
    EXPECT_EQ(s.Value(), 4);
}

TEST(NCommand, DisabledIsGreyAndSilent) {
    NCommand b("OK");
    b.resize(80, 24);
    QSignalSpy clicks(&b, &NCommand::Click);
    EXPECT_EQ(b.CaptionColor(), QColor(255, 255, 255));
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(b.CaptionColor(), QColor(0, 0, 0));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    b.setEnabled(false);
    EXPECT_EQ(b.CaptionColor(), QColor(192, 192, 192));
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(CloseBox, FixedSizeAndClick) {
    CloseBox c;
    c.resize(100, 100);
    EXPECT_EQ(c.size(), QSize(17, 18));
    QSignalSpy clicks(&c, &CloseBox::Click);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(Frames, SplashAndAboutTexts) {
    ProgramSettings settings;
    SplashWindow splash(settings);
    EXPECT_EQ(splash.findChild<QLabel*>("lblProductName")->text(), "KPX41 Basic(USB) Programmer");
    EXPECT_TRUE(
        splash.findChild<QLabel*>("lblCopyright")->text().endsWith("Brightwater Co., Ltd."));
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    AboutWindow about(settings, "130-180MHz");
    EXPECT_EQ(about.findChild<QLabel*>("Label3")->text(), "130-180MHz : Channel Spacing = 5KHz");
    EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "KPX41 Basic(USB) Pager Programmer");
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 1.2(2011.06.7)");
    settings.defaultSpacing130 = 2;
    AboutWindow autoAbout(settings, "130-180MHz");
    EXPECT_EQ(autoAbout.findChild<QLabel*>("Label3")->text(),
              "130-180MHz : Channel Spacing = Auto");
}

TEST(Frames, StartUpOrder) {
    kpx::testing::RecordingDialogs dialogs;
    kpx::testing::TempDir folder;
    ProgramSettings settings;
    Programmer p(settings, dialogs, QString::fromStdString(folder.path()), 5, 400);
    p.Start();
    EXPECT_TRUE(p.Splash().isVisible());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_FALSE(p.Window().isVisible());
    ASSERT_TRUE(kpx::gui::testing::WaitUntil([&] { return p.Window().isVisible(); }));
    EXPECT_TRUE(p.Splash().Timer2()->isActive()) << "the load step starts the closing timer";
    EXPECT_EQ(p.Window().windowTitle(), "Brightwater KPX41 Basic(USB) V01.2");
    ASSERT_TRUE(kpx::gui::testing::WaitUntil([&] { return !p.Splash().isVisible(); }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The built-in icons are the package's PNGs: every size there, none blank.
TEST(Frames, TheProgramCarriesItsIconAndDesktopEntry) {
    SetDesktopIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "kpx41-programmer");
    const QIcon icon = QApplication::windowIcon();
    EXPECT_EQ(icon.availableSizes().size(), 8);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(qAlpha(image.pixel(size / 2, size * 3 / 4)), 0) << size;
    }
}

}  // namespace
}  // namespace kpx::gui
