#pragma once

#include <QColor>
#include <QWidget>

namespace kpx::gui {

// Measures of these controls are twips, as the window designs store them.
inline constexpr int kTwipsPerPixel = 15;

// A slider with a draggable thumb (the contrast setting).
class CtlEBSlider : public QWidget {
    Q_OBJECT
  public:
    explicit CtlEBSlider(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    int SliderWidth() const { return sliderWidth_; }
    QColor SliderColor() const { return sliderColor_; }
    int BorderStyle() const { return borderStyle_; }
    int Orientation() const { return orientation_; }

    void SetMin(int v);
    void SetMax(int v);
    void SetValue(int v);
    void SetSliderWidth(int twips);
    void SetSliderColor(const QColor& c);
    void SetBorderStyle(int style);
    void SetOrientation(int orientation);

    // Thumb position along the track, twips.
    int ThumbPosition() const { return thumbPos_; }
    int TrackLength() const;
    // A click on the track at c twips from its start.
    void ClickAt(int cTwips);

    QSize sizeHint() const override { return {120, 21}; }

  signals:
    void Changed();

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

  private:
    void PlaceThumb();
    void MoveThumbTo(int cTwips);
    int Along(const QPointF& p) const;

    int min_ = 0;
    int max_ = 100;
    int value_ = 50;
    int sliderWidth_ = 315;
    QColor sliderColor_;
    int borderStyle_ = 0;
    int orientation_ = 0;
    int thumbPos_ = 0;
    bool dragging_ = false;
    int grabOffset_ = 0;  // mouse position within the thumb at the press, twips
};

// A push button drawn with a released and a pressed picture.
class NCommand : public QWidget {
    Q_OBJECT
  public:
    explicit NCommand(const QString& caption = {}, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& c);
    QColor UpColor() const { return upColor_; }
    QColor DnColor() const { return dnColor_; }
    void SetUpColor(const QColor& c);
    void SetDnColor(const QColor& c);
    // The caption colour on show: UpColor / DnColor, grey while disabled.
    QColor CaptionColor() const;
    bool Pressed() const { return pressed_; }

    QSize sizeHint() const override;

  signals:
    void Click();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void changeEvent(QEvent*) override;

  private:
    QString caption_;
    QColor upColor_{255, 255, 255};
    QColor dnColor_{0, 0, 0};
    bool pressed_ = false;
};

// A small close box of fixed size 255 x 270 twips.
class CloseBox : public QWidget {
    Q_OBJECT
  public:
    explicit CloseBox(QWidget* parent = nullptr);
    bool Pressed() const { return pressed_; }

  signals:
    void Click();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

  private:
    bool pressed_ = false;
};

}  // namespace kpx::gui
