#include "gui/form3.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "gui/glyph_font.h"
#include "texts/glyph_text.h"

namespace kpx::gui {

namespace {

constexpr int kKeysPerRow = 16;
constexpr int kKeyScale = 2;  // a 7 x 9 glyph at two pixels a dot: 16 x 18

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
    int n = 0;
    for (std::uint8_t code : GlyphKeyCodes()) {
        auto* key = new QToolButton(picture1_);
        key->setObjectName(QString("Command1(%1)").arg(code));
        const QPixmap glyph = GlyphPixmap(code, kKeyScale);
        key->setIcon(QIcon(glyph));
        key->setIconSize(glyph.size());
        key->setFocusPolicy(Qt::NoFocus);
        const std::string_view letter = GlyphLetter(code);
        key->setToolTip(QString::fromUtf8(letter.data(), static_cast<qsizetype>(letter.size())));
        connect(key, &QToolButton::clicked, this, [this, code] { Command1_Click(code); });
        grid->addWidget(key, n / kKeysPerRow, n % kKeysPerRow);
        ++n;
    }
}

QToolButton* Form3::Key(int code) const {
    return findChild<QToolButton*>(QString("Command1(%1)").arg(code));
}

void Form3::Command1_Click(int code) {
    if (onKey_) onKey_(static_cast<std::uint8_t>(code));
    picture1_->setFocus();
}

}  // namespace kpx::gui
