#include "gui/pages/prompt_page.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/dialogs/qt_dialogs.h"
#include "gui/pages/glyph_page.h"
#include "gui/pages/page_host.h"
#include "gui/widgets/list_click.h"
#include "gui/window_helpers.h"
#include "image/field_tags.h"
#include "texts/logo.h"

namespace kpx::gui {

namespace {

QPushButton* MakeButton(const QString& name, const QString& caption, const QString& tooltip,
                        QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tooltip);
    return b;
}

// Rows of the text page's two columns.
constexpr int kRowsPerColumn = 16;

}  // namespace

PromptBox::PromptBox(int index, QWidget* parent)
    : QLineEdit(parent), charLimit_(index == 0 ? kLogoDesignCharLimit : kSmallFont.charLimit) {
    setObjectName(Indexed("txtPrompt", index));
    // A pager line has fixed columns; a fixed-pitch font shows the line as the pager does.
    // Only the family is set, so the size still follows the window's rescaling.
    QFont f;
    f.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    setFont(f);
}

template <class Edit>
void PromptBox::Limited(Edit&& edit) {
    const QString before = text();
    const int cursor = cursorPosition();
    edit();
    // Shortening is always allowed, so a long text the program put in can still be edited.
    if (text().size() > charLimit_ && text().size() > before.size()) {
        setText(before);
        setCursorPosition(cursor);
    }
}

void PromptBox::keyPressEvent(QKeyEvent* event) {
    Limited([&] { QLineEdit::keyPressEvent(event); });
}
void PromptBox::inputMethodEvent(QInputMethodEvent* event) {
    Limited([&] { QLineEdit::inputMethodEvent(event); });
}
void PromptBox::dropEvent(QDropEvent* event) {
    Limited([&] { QLineEdit::dropEvent(event); });
}
void PromptBox::contextMenuEvent(QContextMenuEvent* event) {
    Limited([&] { QLineEdit::contextMenuEvent(event); });  // its Paste
}

PromptPage::PromptPage(PageHost& window) : window_(window) {
    picSet5_ = BuildTextPage();
    window_.AddPage(picSet5_);
    window_.PlaceLogoFrame(BuildLogoFrame());
    glyphs_ = std::make_unique<GlyphPage>(window_);

    window_.InstallReader(ReaderStep::LogoFont, [this] { ReadLogoFont(); });
    window_.InstallReader(ReaderStep::PromptLanguage, [this] { ReadLanguageRow(); });
    window_.InstallReader(ReaderStep::PromptWidths, [this] { Set_PromptEd_Width(); });
    window_.InstallReader(ReaderStep::Prompts, [this] { read_prompt(); });
    for (PromptBox* box : txtPrompt_) box->installEventFilter(this);
    // A box can hold the focus without a focus-in reaching it (focused while the window was
    // not active, or before the page came to the front).
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { FollowFocus(now); });
}

PromptPage::~PromptPage() = default;

void PromptPage::StoreStartupLogo() {
    txtPrompt_[0]->setText(FromCp1252(window_.Settings().logoText));
    optCenter_Click(1);
    txtPrompt_LostFocus(0);
}

void PromptPage::LeavePages() {
    glyphs_->CloseKeyboard();
}

QWidget* PromptPage::BuildTextPage() {
    auto* page = new QWidget;
    page->setObjectName("picSet5");
    page->setAutoFillBackground(true);
    auto* v = new QVBoxLayout(page);
    auto* strip = new QHBoxLayout;
    AddAlignButtons(0, page, strip);
    auto* loadDefault = MakeButton("optDefault", "Load Default", "Load Default", page);
    strip->addSpacing(12);
    strip->addWidget(loadDefault);
    strip->addStretch(1);
    v->addLayout(strip);
    connect(loadDefault, &QPushButton::clicked, this, &PromptPage::optDefault_Click);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    for (int i = 1; i < kPromptCount; ++i) {
        const int row = (i - 1) % kRowsPerColumn;
        const int col = (i - 1) / kRowsPerColumn * 3;
        captions_[static_cast<std::size_t>(i)] =
            MakeLabel(Indexed("lblPrompt", i), PromptCaption(i), page);
        txtPrompt_[static_cast<std::size_t>(i)] = new PromptBox(i, page);
        grid->addWidget(captions_[static_cast<std::size_t>(i)], row, col);
        grid->addWidget(txtPrompt_[static_cast<std::size_t>(i)], row, col + 1);
    }
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(5, 1);
    v->addLayout(grid);
    v->addStretch(1);
    // Measures the edit widths; never shown.
    lblEdLen_ = MakeLabel("lblEdLen", "", page);
    lblEdLen_->setVisible(false);
    return page;
}

void PromptPage::AddAlignButtons(int index, QWidget* parent, QBoxLayout* layout) {
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
        Align align;
    } buttons[] = {{"optLeft", "L", "Align Left", Align::Left},
                   {"optCenter", "C", "Align Center", Align::Centre},
                   {"optRight", "R", "Align Right", Align::Right}};
    for (const auto& b : buttons) {
        auto* button = MakeButton(Indexed(b.name, index), b.caption, b.tooltip, parent);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("WW") + 12);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, index, align = b.align] { AlignBox(index, align); });
    }
}

QWidget* PromptPage::BuildLogoFrame() {
    auto* logo = MakeFrame("Frame9", "Power Up Logo", nullptr);
    auto* g = new QGridLayout(logo);
    auto* logoLabel = MakeLabel("Label4", "Power Up Logo", logo);
    logoLabel->setToolTip("Power up prompt.");
    g->addWidget(logoLabel, 0, 0);
    txtPrompt_[0] = new PromptBox(0, logo);
    auto* line = new QHBoxLayout;
    line->addWidget(txtPrompt_[0]);
    AddAlignButtons(1, logo, line);
    line->addStretch(1);
    g->addLayout(line, 0, 1);

    g->addWidget(MakeLabel("Label5", "Logo Font", logo), 1, 0);
    cboLogo_ = new QComboBox(logo);
    cboLogo_->setObjectName("cboLogo");
    for (auto row : LogoTag().rows) cboLogo_->addItem(Q(row));
    cboLogo_->setCurrentIndex(-1);
    OnListClick(cboLogo_, this, [this] { cboLogo_Click(); });
    g->addWidget(cboLogo_, 1, 1);

    auto* lngLabel = MakeLabel("Label6", "Prompt Language Type", logo);
    lngLabel->setToolTip("Power up prompt.");
    g->addWidget(lngLabel, 2, 0);
    cboLng_ = new QComboBox(logo);
    cboLng_->setObjectName("cboLng");
    for (const char* item : kLanguageItems) cboLng_->addItem(item);
    cboLng_->setCurrentIndex(-1);
    OnListClick(cboLng_, this, [this] { cboLng_Click(); });
    g->addWidget(cboLng_, 2, 1);
    auto* lblLng = MakeLabel("lblLng", "Russian", logo);  // never shown
    lblLng->setVisible(false);
    return logo;
}

// ---------------------------------------------------------------- readers

void PromptPage::ReadLogoFont() {
    const std::optional<int> row = LogoListRow(window_.Image());
    if (!row) return;
    if (cboLogo_->currentIndex() == *row) {
        cboLogo_Click();
    } else {
        cboLogo_->setCurrentIndex(*row);
    }
}

void PromptPage::ReadLanguageRow() {
    // Selecting the row must not load the language's texts over the image's own.
    window_.State().RefreshingControls = true;
    if (const std::optional<int> row = LanguageRowFromImage(window_.Image())) {
        cboLng_->setCurrentIndex(*row);
    }
    window_.State().RefreshingControls = false;
}

void PromptPage::read_prompt() {
    const PagerImage& image = window_.Image();
    txtPrompt_[0]->setText(FromCp1252(PromptDisplayText(image, kLogoSlot)));
    if (cboLng_->currentIndex() == kRussianRow) {
        glyphs_->Redraw();
        return;
    }
    const auto tags = PromptTags();
    for (int i = 1; i < kPromptCount; ++i) {
        const int address = tags[static_cast<std::size_t>(i)].address;
        txtPrompt_[static_cast<std::size_t>(i)]->setText(
            FromCp1252(PromptDisplayText(image, address)));
    }
}

void PromptPage::ApplyFont(PromptBox* box, const EditFont& font) {
    QFont f = txtPrompt_[0]->font();
    f.setBold(font.bold);
    lblEdLen_->setFont(f);
    lblEdLen_->setText(QString(font.widthSpaces, ' '));
    lblEdLen_->adjustSize();
    QFont boxFont = box->font();
    boxFont.setBold(font.bold);
    box->setFont(boxFont);
    // The measured width is the text's; the box's frame comes on top.
    const int frame = 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    box->setFixedWidth(lblEdLen_->width() + frame);
    box->SetCharLimit(font.charLimit);
}

void PromptPage::Set_PromptEd_Width() {
    const int row = cboLng_->currentIndex();
    const auto tags = PromptTags();
    for (int i = 1; i < kPromptCount; ++i) {
        const EditFont& font = EditFontFor(tags[static_cast<std::size_t>(i)], row);
        ApplyFont(txtPrompt_[static_cast<std::size_t>(i)], font);
        captions_[static_cast<std::size_t>(i)]->setToolTip(font.tooltip);
    }
    cboLogo_Click();
    glyphs_->SizeRows();
}

// ---------------------------------------------------------------- handlers

bool PromptPage::txtPrompt_KeyPress(int, int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    window_.TabBackground()->setFocus();
    return true;
}

void PromptPage::txtPrompt_LostFocus(int index) {
    PromptBox* box = txtPrompt_[static_cast<std::size_t>(index)];
    const int address = PromptTags()[static_cast<std::size_t>(index)].address;
    if (!StorePromptText(window_.Image(), address, ToCp1252(box->text()), window_.Dialogs())) {
        DeferFocus(box);
        return;
    }
    read_prompt();
}

void PromptPage::cboLng_Click() {
    if (window_.State().RefreshingControls) {
        window_.State().RefreshingControls = false;
        return;
    }
    if (!SelectPromptLanguage(window_.Image(), cboLng_->currentIndex())) return;
    Set_PromptEd_Width();
    read_prompt();
}

void PromptPage::cboLogo_Click() {
    const std::optional<LogoFont> font = ApplyLogoFont(window_.Image(), cboLogo_->currentIndex());
    if (font) ApplyFont(txtPrompt_[0], font->font);
}

void PromptPage::optDefault_Click() {
    const int address = PromptTags()[static_cast<std::size_t>(ActivePromptIndex)].address;
    LoadPromptDefault(window_.Image(), address, cboLng_->currentIndex());
    read_prompt();
    txtPrompt_[static_cast<std::size_t>(ActivePromptIndex)]->setFocus();
}

void PromptPage::AlignBox(int index, Align align) {
    if (index == 1) ActivePromptIndex = 0;
    PromptBox* box = txtPrompt_[static_cast<std::size_t>(ActivePromptIndex)];
    const std::string text = ToCp1252(box->text());
    const std::string aligned = align == Align::Left     ? AlignLeft(text)
                                : align == Align::Centre ? AlignCentre(text, box->CharLimit())
                                                         : AlignRight(text, box->CharLimit());
    box->setText(FromCp1252(aligned));
    // The start-up centring of the logo leaves the focus where it is.
    if (align != Align::Centre || window_.LoadFinished()) box->setFocus();
}

void PromptPage::optLeft_Click(int index) {
    AlignBox(index, Align::Left);
}
void PromptPage::optCenter_Click(int index) {
    AlignBox(index, Align::Centre);
}
void PromptPage::optRight_Click(int index) {
    AlignBox(index, Align::Right);
}

void PromptPage::ShowPages() {
    if (cboLng_->currentIndex() == kRussianRow) {
        window_.ShowPage(glyphs_->Page());
        glyphs_->OpenKeyboard();
    } else {
        window_.ShowPage(picSet5_);
        glyphs_->CloseKeyboard();
    }
    FollowFocus(QApplication::focusWidget());
}

void PromptPage::FollowFocus(QWidget* focused) {
    for (int i = 0; i < kPromptCount; ++i) {
        if (focused && focused == txtPrompt_[static_cast<std::size_t>(i)]) txtPrompt_GotFocus(i);
    }
}

bool PromptPage::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < kPromptCount; ++i) {
        if (watched != txtPrompt_[static_cast<std::size_t>(i)]) continue;
        switch (event->type()) {
            case QEvent::FocusIn:
                // However the box got the focus (a click, Tab, the page coming to the front
                // with the box already focused, the window coming back), it is the one the
                // alignment buttons and "Load Default" act on.
                txtPrompt_GotFocus(i);
                break;
            case QEvent::FocusOut:
                if (!IsWindowFocusChange(event)) txtPrompt_LostFocus(i);
                break;
            case QEvent::KeyPress:
                return txtPrompt_KeyPress(i, static_cast<QKeyEvent*>(event)->key());
            default:
                break;
        }
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kpx::gui
