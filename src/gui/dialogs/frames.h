#pragma once

#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "image/default_image.h"

namespace kpx::gui {

// Texts of the splash and About windows.
inline constexpr const char* kProductVersionText = "KPX41C V01.2";
inline constexpr const char* kNoticeText = "Copyright (C) 2011 ";
QString ProductTitle(const char* suffix);  // first 5 characters of the version text + suffix

// The start-up window: topmost, busy pointer, shows the main window after Timer1 (500 ms) and
// closes Timer2 (5000 ms) after the main window's load step enabled it.
class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(const ProgramSettings& settings, QWidget* parent = nullptr);
    ~SplashWindow() override;

    QTimer* Timer1() { return &timer1_; }
    QTimer* Timer2() { return &timer2_; }
    // The main window's load step enables the closing timer.
    void EnableTimer2() { timer2_.start(); }

  signals:
    void ShowMainWindow();

  protected:
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void paintEvent(QPaintEvent*) override;

  private:
    void RestoreCursor();
    QTimer timer1_;
    QTimer timer2_;
    bool cursorSet_ = false;
};

// Help / About, shown modally.
class AboutWindow : public QDialog {
    Q_OBJECT
  public:
    // bandRowText is row 2 of the main window's band list.
    AboutWindow(const ProgramSettings& settings, const QString& bandRowText,
                QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent*) override;
};

void PaintBackgroundPicture(QWidget* w);

}  // namespace kpx::gui
