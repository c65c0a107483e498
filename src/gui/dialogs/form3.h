#pragma once

#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace kpx::gui {

// The "Russian Keyboard": a key Command1(code) for each of the pager's 95 glyphs, drawn with
// their glyph. It stays above the other windows and does not block the main window.
class Form3 : public QWidget {
    Q_OBJECT
  public:
    // `onKey` is what a key does to the image (the glyph page's part of a key press).
    Form3(QWidget* parent, std::function<void(std::uint8_t)> onKey);

    void Command1_Click(int code);
    QToolButton* Key(int code) const;

  private:
    std::function<void(std::uint8_t)> onKey_;
    QWidget* picture1_;
};

}  // namespace kpx::gui
