#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>

#include "gui/dialogs/form3.h"
#include "texts/glyph_text.h"

namespace kpx::gui {

class PageHost;

// One character cell of the glyph page, Image1(20 x row + position).
class GlyphCell : public QLabel {
    Q_OBJECT
  public:
    GlyphCell(int index, QWidget* parent, std::function<void(int)> onClick);
    void SetBorder(bool on);
    bool HasBorder() const { return frameShape() != QFrame::NoFrame; }
    // The code whose picture the cell shows.
    int ShownCode() const { return shownCode_; }
    void Show(std::uint8_t code);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int index_;
    int shownCode_ = -1;
    std::function<void(int)> onClick_;
};

// The Russian prompt editor picSet6: 30 rows Picture1(r) of 18 cells, the cursor GlyphCursor,
// the row buttons optRusL/C/R/D, and the keyboard Form3 that types into the cursor's cell.
class GlyphPage : public QObject {
    Q_OBJECT
  public:
    explicit GlyphPage(PageHost& window);
    ~GlyphPage() override;

    QWidget* Page() const { return picSet6_; }
    // Every cell drawn again from the image.
    void Redraw();
    void SizeRows();

    void Image1_Click(int index);
    void optRusL_Click() { AlignRow(GlyphAlign::Left); }
    void optRusC_Click() { AlignRow(GlyphAlign::Centre); }
    void optRusR_Click() { AlignRow(GlyphAlign::Right); }
    void optRusD_Click();

    // The keyboard, opened anew (its load step puts the cursor on cell 0) or closed.
    void OpenKeyboard();
    void CloseKeyboard();

  private:
    void AlignRow(GlyphAlign align);
    void KeyPressed(std::uint8_t code);
    void MoveCursor(int index);

    PageHost& window_;
    QWidget* picSet6_ = nullptr;
    std::array<QWidget*, kGlyphRows> picture1_{};
    std::array<GlyphCell*, kGlyphCellLimit> cells_{};  // null where no cell exists
    int glyphCursor_ = 0;
    QPointer<Form3> form3_;
};

}  // namespace kpx::gui
