#include "gui/pages/glyph_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/form3.h"
#include "gui/pages/page_host.h"
#include "gui/widgets/glyph_font.h"
#include "gui/window_helpers.h"
#include "texts/prompt_slots.h"

namespace kpx::gui {

namespace {

constexpr int kCellScale = 2;
constexpr int kCellWidth = 7 * kCellScale + 4;
constexpr int kCellHeight = 9 * kCellScale + 4;
constexpr int kRowsPerColumn = 15;
constexpr const char* kRowTooltip =
    " Small Font ( Less than 19 characters ).  Please use the Russian Keyboard to input.";

}  // namespace

GlyphCell::GlyphCell(int index, QWidget* parent, std::function<void(int)> onClick)
    : QLabel(parent), index_(index), onClick_(std::move(onClick)) {
    setObjectName(Indexed("Image1", index));
    setFixedSize(kCellWidth, kCellHeight);
    setAlignment(Qt::AlignCenter);
    setLineWidth(1);
    SetBorder(false);
}

void GlyphCell::SetBorder(bool on) {
    setFrameStyle(on ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
}

void GlyphCell::Show(std::uint8_t code) {
    if (shownCode_ == code) return;
    shownCode_ = code;
    setPixmap(GlyphPixmap(code, kCellScale));
}

void GlyphCell::mousePressEvent(QMouseEvent*) {
    if (onClick_) onClick_(index_);
}

GlyphPage::GlyphPage(PageHost& window) : window_(window) {
    picSet6_ = new QWidget;
    picSet6_->setObjectName("picSet6");
    picSet6_->setAutoFillBackground(true);
    picSet6_->setFocusPolicy(Qt::StrongFocus);
    auto* v = new QVBoxLayout(picSet6_);

    auto* strip = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
        void (GlyphPage::*handler)();
    } buttons[] = {{"optRusL", "L", "Align Left", &GlyphPage::optRusL_Click},
                   {"optRusC", "C", "Align Center", &GlyphPage::optRusC_Click},
                   {"optRusR", "R", "Align Right", &GlyphPage::optRusR_Click},
                   {"optRusD", "D", "Load Default", &GlyphPage::optRusD_Click}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.caption, picSet6_);
        button->setObjectName(b.name);
        button->setToolTip(b.tooltip);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("WW") + 12);
        connect(button, &QPushButton::clicked, this, b.handler);
        strip->addWidget(button);
    }
    strip->addStretch(1);
    v->addLayout(strip);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    for (int r = 0; r < kGlyphRows; ++r) {
        auto* caption = new QLabel(PromptCaption(r + 1), picSet6_);
        caption->setObjectName(Indexed("lblRus", r));
        caption->setToolTip(kRowTooltip);
        auto* row = new QWidget(picSet6_);
        row->setObjectName(Indexed("Picture1", r));
        row->setAutoFillBackground(true);
        QPalette pal = row->palette();
        pal.setColor(QPalette::Window, QColor(170, 190, 150));  // the pager's screen
        row->setPalette(pal);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(0);
        for (int p = 0; p < kGlyphColumns; ++p) {
            const int index = r * kGlyphRowStride + p;
            auto* cell = new GlyphCell(index, row, [this](int i) { Image1_Click(i); });
            cells_[static_cast<std::size_t>(index)] = cell;
            h->addWidget(cell);
        }
        h->addStretch(1);
        picture1_[static_cast<std::size_t>(r)] = row;
        const int col = r / kRowsPerColumn * 3;
        grid->addWidget(caption, r % kRowsPerColumn, col);
        grid->addWidget(row, r % kRowsPerColumn, col + 1, Qt::AlignLeft);
    }
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(5, 1);
    v->addLayout(grid);
    v->addStretch(1);
    window_.AddPage(picSet6_);
    cells_[0]->SetBorder(true);
}

GlyphPage::~GlyphPage() {
    CloseKeyboard();
}

void GlyphPage::Redraw() {
    const PagerImage& image = window_.Image();
    for (int i = 0; i < kGlyphCellLimit; ++i) {
        if (GlyphCell* cell = cells_[static_cast<std::size_t>(i)]) {
            cell->Show(image.at(GlyphCellAddress(i)));
        }
    }
}

void GlyphPage::SizeRows() {
    // Rows 0-27 end 0.3 of a cell past their last cell.
    for (int r = 0; r < kMainGlyphRows; ++r) {
        const int lastLeft = (kGlyphColumns - 1) * kCellWidth;
        picture1_[static_cast<std::size_t>(r)]->setFixedWidth(lastLeft + kCellWidth * 13 / 10);
    }
}

void GlyphPage::MoveCursor(int index) {
    cells_[static_cast<std::size_t>(glyphCursor_)]->SetBorder(false);
    GlyphCell* cell = cells_[static_cast<std::size_t>(index)];
    cell->raise();
    cell->SetBorder(true);
    glyphCursor_ = index;
}

void GlyphPage::Image1_Click(int index) {
    if (IsGlyphCell(index)) MoveCursor(index);
}

void GlyphPage::KeyPressed(std::uint8_t code) {
    const int cell = glyphCursor_;
    const bool modify = window_.ModifyMode();
    const int next = PressGlyphKey(window_.Image(), cell, code, modify);
    if (!modify) return;
    cells_[static_cast<std::size_t>(cell)]->Show(code);
    if (next != cell) MoveCursor(next);
}

void GlyphPage::AlignRow(GlyphAlign align) {
    AlignGlyphRow(window_.Image(), glyphCursor_ / kGlyphRowStride, align);
    Redraw();
}

void GlyphPage::optRusD_Click() {
    LoadGlyphRowDefault(window_.Image(), glyphCursor_ / kGlyphRowStride);
    Redraw();
}

void GlyphPage::OpenKeyboard() {
    CloseKeyboard();
    form3_ = new Form3(window_.Frame(), [this](std::uint8_t code) { KeyPressed(code); });
    MoveCursor(0);
    // Over the lower right of the glyph page, which the rows leave empty.
    form3_->adjustSize();
    const QRect frame = window_.Frame()->frameGeometry();
    form3_->move(frame.right() - form3_->width() - 24, frame.bottom() - form3_->height() - 48);
    form3_->show();
}

void GlyphPage::CloseKeyboard() {
    delete form3_.data();  // at once, so that a new keyboard never meets the old one
}

}  // namespace kpx::gui
