#include "gui/dialogs/form3.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "gui/widgets/glyph_font.h"
#include "gui/window_helpers.h"
#include "texts/glyph_text.h"

namespace kpx::gui {

namespace {

constexpr int kKeyScale = 2;  // a 7 x 9 glyph at two pixels a dot: 16 x 18

// The keys in the Russian alphabet's order (the Latin capitals of the same shape stand for
// А, В, Е, К, М, Н, О, Р, С, Т, Х), then the other Cyrillic letters, the other Latin capitals,
// digits and signs.
// clang-format off
constexpr std::uint8_t kLayout[][17] = {
    {'A', 97, 'B', 98, 99, 100, 'E', 101, 102, 103, 104, 105, 'K', 106, 'M', 'H', 'O'},
    {107, 'P', 'C', 'T', 108, 109, 'X', 110, 111, 112, 113, 114, 115, 116, 117, 118, 119},
    {120, 121, 122, 92, 0, 95, 123, 124, 125, 'D', 'F', 'G', 'I', 'J', 'L', 'N', 'Q'},
    {'R', 'S', 'U', 'V', 'W', 'Y', 'Z', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'},
    {' ', '!', '"', '#', '$', '%', '&', '\'', '(', ')', '*', '+', ',', '-', '.', '/', ':'},
};
constexpr std::uint8_t kLastRow[] = {';', '<', '=', '>', '?', '@', '[', ']', '`', '~'};
// clang-format on

}  // namespace

Form3::Form3(QWidget* parent, std::function<void(std::uint8_t)> onKey)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), onKey_(std::move(onKey)) {
    setObjectName("Form3");
    setWindowTitle("Russian Keyboard");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(4, 4, 4, 4);
    // The keys sit on a picture box that takes the focus after each key.
    picture1_ = new QWidget(this);
    picture1_->setObjectName("Picture1");
    picture1_->setFocusPolicy(Qt::StrongFocus);
    v->addWidget(picture1_);
    auto* grid = new QGridLayout(picture1_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    auto addKey = [this, grid](std::uint8_t code, int row, int column) {
        auto* key = new QToolButton(picture1_);
        key->setObjectName(Indexed("Command1", code));
        const QPixmap glyph = GlyphPixmap(code, kKeyScale);
        key->setIcon(QIcon(glyph));
        key->setIconSize(glyph.size());
        key->setFocusPolicy(Qt::NoFocus);
        const std::string_view letter = GlyphLetter(code);
        key->setToolTip(QString::fromUtf8(letter.data(), static_cast<qsizetype>(letter.size())));
        connect(key, &QToolButton::clicked, this, [this, code] { Command1_Click(code); });
        grid->addWidget(key, row, column);
    };
    int row = 0;
    for (const auto& keys : kLayout) {
        for (int column = 0; column < 17; ++column) addKey(keys[column], row, column);
        ++row;
    }
    for (int column = 0; column < static_cast<int>(std::size(kLastRow)); ++column) {
        addKey(kLastRow[column], row, column);
    }
}

QToolButton* Form3::Key(int code) const {
    return findChild<QToolButton*>(Indexed("Command1", code));
}

void Form3::Command1_Click(int code) {
    if (onKey_) onKey_(static_cast<std::uint8_t>(code));
    picture1_->setFocus();
}

}  // namespace kpx::gui
