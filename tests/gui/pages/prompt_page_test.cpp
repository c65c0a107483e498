#include "gui/pages/prompt_page.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cstring>
#include <random>
#include <set>

#include "gui/gui_fixture.h"
#include "gui/pages/glyph_page.h"
#include "gui/widgets/glyph_font.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "texts/glyph_text.h"

namespace kpx::gui::testing {
namespace {

QString Box(int index) {
    return QString("txtPrompt(%1)").arg(index);
}

class Prompts : public WindowTest {
  protected:
    PromptBox* PromptAt(int index) { return Get<PromptBox>(Box(index).toLatin1().constData()); }

    void Focus(QWidget* w) {
        w->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    void Leave() {
        Focus(Get<QWidget>("picTabBack"));
        QApplication::processEvents();
    }
    // Types as the keyboard does, characters outside ASCII included.
    void Type(QWidget* w, const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
    // Clears a prompt box, types the text and leaves the box.
    void Edit(int index, const QString& text) {
        PromptBox* box = PromptAt(index);
        Focus(box);
        box->clear();
        Type(box, text);
        Leave();
    }
    void PickLanguage(int row) {
        auto* list = Get<QComboBox>("cboLng");
        list->setCurrentIndex(row);
        emit list->activated(row);  // the user's pick
        QApplication::processEvents();
    }
    std::string SlotText(int address) {
        std::string s;
        for (int i = 0; i < Byte(address + 1); ++i)
            s.push_back(static_cast<char>(Byte(address + 2 + i)));
        return s;
    }
    void Click(const char* name) {
        auto* b = Get<QAbstractButton>(name);
        Focus(b);  // a button takes the focus from the box before it acts
        b->click();
        QApplication::processEvents();
    }
};

TEST_F(Prompts, BoxesShowTheSlotsWithTheirTagsCaptionsAndFonts) {
    window->EMoptPrompts_Click();
    EXPECT_TRUE(Get<QWidget>("picSet5")->isVisible());
    EXPECT_EQ(Text("txtPrompt(9)"), "      SET TIME");  // attribute 0x46
    EXPECT_EQ(Text("txtPrompt(31)"), "    READ PASSWORD");
    EXPECT_EQ(Get<QLabel>("lblPrompt(26)")->text(), "SILENT & BEEP -->");
    const std::set<int> large = {1, 13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 26};
    for (int i = 1; i < kPromptCount; ++i) {
        PromptBox* box = PromptAt(i);
        EXPECT_EQ(box->font().bold(), large.count(i) == 1) << i;
        EXPECT_EQ(box->CharLimit(), large.count(i) ? 16 : 21) << i;
        EXPECT_EQ(Get<QLabel>(QString("lblPrompt(%1)").arg(i).toLatin1().constData())->toolTip(),
                  large.count(i) ? " Large Font ( Less than 17 characters ) "
                                 : " Small Font ( Less than 19 characters ) ");
    }
    EXPECT_GT(PromptAt(9)->width(), PromptAt(1)->width());
    // The boxes' fonts and widths follow the window's rescaling.
    const int width = PromptAt(9)->width();
    window->resize(window->width() * 3 / 2, window->height() * 3 / 2);
    QApplication::processEvents();
    EXPECT_GT(PromptAt(9)->width(), width * 5 / 4);
}

TEST_F(Prompts, TypedTextsGoIntoTheSlotOnLeavingWithTheCharacterMaps) {
    struct Case {
        int languageRow;
        int index;
        QString typed;
        int lead;
        std::string bytes;       // Windows-1252
        int letterAt;            // a national letter in the text
        std::uint8_t pagerByte;  // and the pager's code for it
    } cases[] = {
        {3, 9, "   Grüße  ", 3,
         "Gr\xFC\xDF"
         "e",
         2, 0x7D},
        {1, 10, "¿AÑO?", 0,
         "\xBF"
         "A\xD1O?",
         0, 0x60},
        {2, 29, " Réveil", 1, "R\xE9veil", 1, 0x7B},
        {0, 9, "   SET TIME  ", 3, "SET TIME", 0, 'S'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        PickLanguage(c.languageRow);
        const int address = PromptTags()[static_cast<std::size_t>(c.index)].address;
        const std::uint8_t high = Byte(address) & 0xF0;
        Edit(c.index, c.typed);
        EXPECT_EQ(Byte(address), high | c.lead);
        EXPECT_EQ(SlotText(address), c.bytes);
        EXPECT_EQ(Text(Box(c.index).toLatin1().constData()),
                  QString(c.lead, ' ') + c.typed.trimmed());
        // Written to a pager, the national letter becomes the pager's code.
        PagerImage encoded = window->Image();
        EncodeTextRegions(encoded);
        EXPECT_EQ(encoded.at(address + 2 + c.letterAt), c.pagerByte);
    }
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(Prompts, TooLongTextIsRefusedAndKeepsTheFocus) {
    window->EMoptPrompts_Click();
    const PagerImage before = window->Image();
    Edit(3, "  " + QString(19, 'Q'));
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"Can not exceed 18 characters exclude left space!"});
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(PromptAt(3)->hasFocus());
    EXPECT_EQ(Text("txtPrompt(3)"), "  " + QString(19, 'Q'));
    // Sixteen blanks and eighteen letters would need 18 + 1 text bytes (more than can be
    // typed; a pasted text or one read from a file can hold it).
    dialogs.Clear();
    Focus(PromptAt(3));
    PromptAt(3)->setText(QString(16, ' ') + QString(18, 'Q'));
    Leave();
    EXPECT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(window->Image(), before);
    Edit(3, "");
    EXPECT_EQ(Byte(0x13D), 1);
    EXPECT_EQ(Byte(0x13E), ' ');
}

TEST_F(Prompts, EnterLeavesTheBoxAndStoresIt) {
    window->EMoptPrompts_Click();
    PromptBox* box = PromptAt(5);
    Focus(box);
    box->clear();
    Type(box, "ERASE");
    QTest::keyClick(box, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(Get<QWidget>("picTabBack")->hasFocus());
    EXPECT_EQ(SlotText(0x164), "ERASE");
}

TEST_F(Prompts, LanguagesReplaceTheTextsAndTheRefreshKeepsThem) {
    PickLanguage(3);
    EXPECT_EQ(Byte(0x3A) & 0x0F, 8);
    EXPECT_EQ(Byte(0x3E) & 0x0F, 8);
    EXPECT_EQ(Byte(0x3B) & 0x03, 2);
    EXPECT_EQ(Text("txtPrompt(2)"), "     Menü/zurück");
    EXPECT_EQ(Text("txtPrompt(0)"), "     ZENTRA  ");  // German's logo slot holds 8 bytes
    EXPECT_EQ(SlotText(0x057), "READ PASSWORD");
    for (int i = 1; i < kPromptCount; ++i) {
        EXPECT_FALSE(PromptAt(i)->font().bold()) << i;
        EXPECT_EQ(PromptAt(i)->CharLimit(), 21) << i;
    }
    // A refresh selects the row from the image and leaves the slots alone.
    Edit(4, "Freigabe");
    window->Image().set(0x3E, 0x06);
    window->init_ctl();
    EXPECT_EQ(Row("cboLng"), 2);
    EXPECT_EQ(SlotText(0x150), "Freigabe");
    EXPECT_FALSE(window->State().RefreshingControls);
    window->Image().set(0x3E, 0x07);  // no row for it
    window->init_ctl();
    EXPECT_EQ(Row("cboLng"), 2);
    // Picking the row on show again loads its texts again.
    PickLanguage(2);
    EXPECT_EQ(SlotText(0x150), "DEVERROUILLAGE");
    PickLanguage(0);
    EXPECT_TRUE(PromptAt(1)->font().bold());
    EXPECT_EQ(Text("txtPrompt(4)"), "   MESSAGE UNLOCK");
}

TEST_F(Prompts, LoadDefaultRestoresTheActiveSlot) {
    window->EMoptPrompts_Click();
    Edit(29, "BEEP");
    Focus(PromptAt(29));
    Click("optDefault");
    EXPECT_EQ(SlotText(0x3B0), "CHIRP ON");
    EXPECT_EQ(Byte(0x3B0), 0x46);
    EXPECT_TRUE(PromptAt(29)->hasFocus());
    Edit(31, "KEY");
    Focus(PromptAt(31));
    Click("optDefault");
    EXPECT_EQ(SlotText(0x057), "READ PASSWORD");
    EXPECT_EQ(Byte(0x057), 0x04);
    EXPECT_EQ(Text("txtPrompt(31)"), "    READ PASSWORD");
    EXPECT_EQ(Byte(0x06B), 1) << "the password behind the slot stays";
}

TEST_F(Prompts, AlignmentButtonsWorkOnTheActiveBoxWithItsLimit) {
    window->EMoptPrompts_Click();
    struct Case {
        const char* button;
        int index;
        int lead;
    } cases[] = {{"optCenter(0)", 9, 6},
                 {"optRight(0)", 9, 13},
                 {"optLeft(0)", 9, 0},
                 {"optCenter(0)", 1, 4},
                 {"optRight(0)", 1, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Focus(PromptAt(c.index));
        Click(c.button);
        EXPECT_TRUE(PromptAt(c.index)->hasFocus());
        Leave();
        const int address = PromptTags()[static_cast<std::size_t>(c.index)].address;
        EXPECT_EQ(Byte(address) & 0x0F, c.lead);
    }
    // A text longer than the line stays as it is.
    window->Image().set(0x115, 18);
    for (int i = 0; i < 18; ++i) window->Image().set(0x116 + i, 'W');
    window->init_ctl();
    Focus(PromptAt(1));
    Click("optRight(0)");
    EXPECT_EQ(Text("txtPrompt(1)"), QString(18, 'W'));
}

// The user's own clicks and keys, not focus set by the test: the box the user is in is the one
// the buttons act on, whether it got the focus by a click, by Tab, or while the window was not
// active.
TEST_F(Prompts, AlignmentAndDefaultActOnTheBoxTheUserIsIn) {
    const QString logo = Text("txtPrompt(0)");
    auto clickButton = [&](const char* name) {
        QTest::mouseClick(Get<QAbstractButton>(name), Qt::LeftButton);
        QApplication::processEvents();
    };
    struct Case {
        const char* how;
        int box;
        const char* button;
        const char* expected;
    } cases[] = {
        {"click", 1, "optRight(0)", "        NO PAGES"},
        {"tab", 2, "optRight(0)", "         UP OR ESCAPE"},
        {"window back", 1, "optCenter(0)", "    NO PAGES"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        QTest::mouseClick(Get<QAbstractButton>("EMoptStatus"), Qt::LeftButton);
        QTest::mouseClick(Get<QAbstractButton>("EMoptPrompts"), Qt::LeftButton);
        QApplication::processEvents();
        if (std::string(c.how) == "click") {
            QTest::mouseClick(PromptAt(c.box), Qt::LeftButton);
        } else if (std::string(c.how) == "tab") {
            QTest::mouseClick(PromptAt(c.box - 1), Qt::LeftButton);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } else {
            // The box is given the focus while another window is active, so the only focus-in
            // it gets is the window's coming back.
            QWidget other;
            other.show();
            other.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
            PromptAt(c.box)->setFocus(Qt::OtherFocusReason);
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            QApplication::processEvents();
            ASSERT_EQ(QApplication::focusWidget(), PromptAt(c.box));
        }
        QApplication::processEvents();
        ASSERT_TRUE(PromptAt(c.box)->hasFocus());
        clickButton(c.button);
        EXPECT_EQ(Text(Box(c.box).toLatin1().constData()), c.expected);
        EXPECT_TRUE(PromptAt(c.box)->hasFocus());
        EXPECT_EQ(Text("txtPrompt(0)"), logo) << "the logo box stays as it was";
        Leave();
    }
    // "Load Default" puts back the text of the box the user clicked into.
    Edit(3, "X");
    QTest::mouseClick(Get<QAbstractButton>("EMoptStatus"), Qt::LeftButton);
    QTest::mouseClick(Get<QAbstractButton>("EMoptPrompts"), Qt::LeftButton);
    QTest::mouseClick(PromptAt(3), Qt::LeftButton);
    clickButton("optDefault");
    EXPECT_EQ(Text("txtPrompt(3)").trimmed(), "MESSAGE LOCK");
}

TEST_F(Prompts, LogoFontAlignmentAndTheLogoBoxLimit) {
    auto* font = Get<QComboBox>("cboLogo");
    font->setCurrentIndex(4);
    EXPECT_EQ(Byte(0x3F) & 0x0F, 8);
    EXPECT_FALSE(PromptAt(0)->font().bold());
    EXPECT_EQ(PromptAt(0)->CharLimit(), 21);
    Click("optCenter(1)");
    Leave();
    EXPECT_EQ(Byte(0x100) & 0x0F, 7);
    Click("optLeft(1)");
    Leave();
    EXPECT_EQ(Text("txtPrompt(0)"), "ZENTRA");
    // Typing stops at the limit.
    font->setCurrentIndex(0);
    PromptBox* logo = PromptAt(0);
    Focus(logo);
    logo->clear();
    Type(logo, QString(20, 'Z'));
    EXPECT_EQ(logo->text(), QString(16, 'Z'));
    Leave();
    logo->clear();
    Focus(logo);
    Leave();
    EXPECT_EQ(Byte(0x3B) & 0x03, 0) << "an empty logo";
    EXPECT_EQ(Byte(0x101), 1);
}

TEST_F(Prompts, TheLogoBoxKeepsALongTextTheProgramPutsIn) {
    // 15 blank columns, 3 more blanks and 15 letters: 33 characters in a 16-character box.
    PagerImage& im = window->Image();
    im.set(0x100, 0x0F);
    im.set(0x101, 18);
    for (int i = 0; i < 18; ++i)
        im.set(0x102 + i, i < 3 ? ' ' : static_cast<std::uint8_t>('A' + i));
    const PagerImage before = im;
    window->init_ctl();
    EXPECT_EQ(Text("txtPrompt(0)").size(), 33);
    PromptBox* logo = PromptAt(0);
    Focus(logo);
    Type(logo, "X");
    EXPECT_EQ(logo->text().size(), 33) << "typing stays within the limit";
    Leave();
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

// ---------------------------------------------------------------- the glyph page

class GlyphEditor : public Prompts {
  protected:
    void OpenRussian() {
        PickLanguage(kRussianRow);
        window->EMoptPrompts_Click();
        QApplication::processEvents();
    }
    Form3* Keyboard() { return window->findChild<Form3*>("Form3"); }
    GlyphCell* Cell(int i) {
        return Get<GlyphCell>(QString("Image1(%1)").arg(i).toLatin1().constData());
    }
    int Cursor() {
        int found = -1;
        for (GlyphCell* c : window->findChildren<GlyphCell*>()) {
            if (!c->HasBorder()) continue;
            EXPECT_EQ(found, -1) << "one cell has the border";
            found = c->objectName().mid(7).chopped(1).toInt();
        }
        return found;
    }
    void Press(int code) {
        ASSERT_NE(Keyboard(), nullptr);
        Keyboard()->Key(code)->click();
        QApplication::processEvents();
    }
};

TEST_F(GlyphEditor, RussianShowsTheGlyphPageAndTheKeyboard) {
    OpenRussian();
    EXPECT_TRUE(Get<QWidget>("picSet6")->isVisible());
    ASSERT_NE(Keyboard(), nullptr);
    EXPECT_TRUE(Keyboard()->isVisible());
    EXPECT_EQ(Keyboard()->windowTitle(), "Russian Keyboard");
    EXPECT_TRUE(Keyboard()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Keyboard()->isModal());
    EXPECT_EQ(Keyboard()->findChildren<QToolButton*>().size(), 95);
    for (std::uint8_t code : GlyphKeyCodes()) EXPECT_NE(Keyboard()->Key(code), nullptr) << code;
    EXPECT_EQ(Keyboard()->Key(94), nullptr);
    EXPECT_EQ(Cursor(), 0);
    EXPECT_EQ(Cell(3)->ShownCode(), 'H');  // "   HET COOap-i"
    EXPECT_EQ(Get<QWidget>("Picture1(0)")->width(), Cell(17)->x() + Cell(17)->width() * 13 / 10);
    window->EMoptCode_Click();
    QApplication::processEvents();
    EXPECT_EQ(Keyboard(), nullptr);
    OpenRussian();
    EXPECT_NE(Keyboard(), nullptr);
    window->EMoptStatus_Click();
    QApplication::processEvents();
    EXPECT_EQ(Keyboard(), nullptr);
    PickLanguage(0);
    window->EMoptPrompts_Click();
    EXPECT_TRUE(Get<QWidget>("picSet5")->isVisible());
    EXPECT_EQ(Keyboard(), nullptr);
}

TEST_F(GlyphEditor, KeysWriteTheCursorCellInModifyModeOnly) {
    OpenRussian();
    struct Case {
        int cell;
        int address;
        int next;
    } cases[] = {{17, 0x127, 17}, {565, 0x3B7, 566}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        QTest::mouseClick(Cell(c.cell), Qt::LeftButton);
        EXPECT_EQ(Cursor(), c.cell);
        Press(104);  // И
        EXPECT_EQ(Byte(c.address), 104);
        EXPECT_EQ(Cell(c.cell)->ShownCode(), 104);
        EXPECT_EQ(Cursor(), c.next);
        EXPECT_EQ(Keyboard()->focusWidget(), Keyboard()->findChild<QWidget*>("Picture1"));
    }
    Get<QRadioButton>("WriteOpt")->setChecked(true);
    QTest::mouseClick(Cell(40), Qt::LeftButton);
    const PagerImage before = window->Image();
    ASSERT_TRUE(Keyboard()->Key(97)->isEnabled()) << "the keys stay usable in Write Mode";
    Press(97);
    EXPECT_EQ(window->Image(), before);
    EXPECT_EQ(Cursor(), 40);
    EXPECT_NE(Cell(40)->ShownCode(), 97);
}

TEST_F(GlyphEditor, RowButtonsAlignAndLoadTheDefault) {
    OpenRussian();
    QTest::mouseClick(Cell(563), Qt::LeftButton);  // row 28, "     hHm. BKj     "
    Get<QPushButton>("optRusR")->click();
    EXPECT_EQ(SlotText(0x3B0), std::string(10, ' ') + "hHm. BKj");
    EXPECT_EQ(Cell(570)->ShownCode(), 'h');
    Get<QPushButton>("optRusL")->click();
    EXPECT_EQ(SlotText(0x3B0), "hHm. BKj" + std::string(10, ' '));
    Get<QPushButton>("optRusC")->click();
    EXPECT_EQ(SlotText(0x3B0), std::string(5, ' ') + "hHm. BKj" + std::string(5, ' '));
    EXPECT_EQ(Byte(0x3B0), 0x43);
    // Row 29 back from the Russian second block.
    QTest::mouseClick(Cell(585), Qt::LeftButton);
    Press(100);
    Get<QPushButton>("optRusD")->click();
    const PromptBlocks& russian = PromptDefaults(kLangRussian);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Byte(0x3C4 + i), russian.second[20 + i]) << i;
}

TEST_F(GlyphEditor, BytesWithoutAKeyShowThePlaceholder) {
    OpenRussian();
    window->Image().set(0x116, 200);
    window->Image().set(0x117, 94);
    window->init_ctl();
    EXPECT_EQ(Cell(0)->ShownCode(), 200);
    EXPECT_EQ(Cell(1)->ShownCode(), 94);
    EXPECT_TRUE(IsPlaceholderGlyph(200));
    EXPECT_TRUE(IsPlaceholderGlyph(94));
}

// German prompts with umlauts, then Russian with a typed prompt and a centred logo: each
// saved and opened again shows the same texts.
TEST_F(GlyphEditor, TextsSurviveSavingAndOpening) {
    window->ChooseFile = [&](bool) { return QString::fromStdString(folder.File("p.tbl")); };
    PickLanguage(3);
    Edit(11, "Töne wählen");
    ASSERT_TRUE(window->TableFileSave());
    PickLanguage(0);
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(Row("cboLng"), 3);
    EXPECT_EQ(Text("txtPrompt(11)"), "Töne wählen");

    OpenRussian();
    QTest::mouseClick(Cell(20), Qt::LeftButton);
    for (int code : {97, 111, 115}) Press(code);  // Б Ч Ы
    Click("optLeft(1)");
    Leave();
    Click("optCenter(1)");
    Leave();
    EXPECT_EQ(Byte(0x100) & 0x0F, 5) << "the logo font stays English(Large)";
    const PagerImage edited = window->Image();
    dialogs.AnswerNext(DialogAnswer::Yes);  // replace p.tbl
    ASSERT_TRUE(window->TableFileSave());
    PickLanguage(0);
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(window->Image(), edited);
    EXPECT_EQ(Row("cboLng"), kRussianRow);
    EXPECT_EQ(Cell(21)->ShownCode(), 111);
    EXPECT_EQ(Text("txtPrompt(0)"), "     ZENTRA");
}

// Random images in the window: every store, default, alignment and key keeps to the bytes of
// its own slot (and 0x3B for the logo), and the glyph page draws whatever bytes it finds.
TEST_F(GlyphEditor, RandomImagesKeepEveryEditInsideItsSlot) {
    std::mt19937 random(815);
    auto randomImage = [&] {
        PagerImage image;
        for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(random()));
        return image;
    };
    auto expectOnlyChanged = [&](const PagerImage& before, int first, int last, int extra) {
        for (int a = 0; a < kImageSize; ++a) {
            if ((a >= first && a <= last) || a == extra) continue;
            ASSERT_EQ(window->Image().at(a), before.at(a)) << "byte " << a;
        }
    };
    const auto tags = PromptTags();
    for (int round = 0; round < 6; ++round) {
        window->Image() = randomImage();
        window->init_ctl();
        QApplication::processEvents();
        if (Row("cboLng") == kRussianRow) PickLanguage(static_cast<int>(random() % 4));
        window->EMoptPrompts_Click();
        for (int i = 0; i < kPromptCount; ++i) {
            const int slot = tags[static_cast<std::size_t>(i)].address;
            SCOPED_TRACE(i);
            PagerImage before = window->Image();
            Focus(PromptAt(i));
            Leave();
            expectOnlyChanged(before, slot, slot + 19, i == 0 ? 0x3B : -1);
            before = window->Image();
            Click(i == 0 ? "optRight(1)" : "optCenter(0)");
            Leave();
            expectOnlyChanged(before, slot, slot + 19, i == 0 ? 0x3B : -1);
            before = window->Image();
            Click("optDefault");
            expectOnlyChanged(before, slot, slot + 19, -1);
            Leave();
        }
        dialogs.Clear();

        // The same image's bytes on the glyph page.
        PagerImage glyphs = randomImage();
        glyphs.SetBits(0x3E, 0, 3, 4);
        window->Image() = glyphs;
        window->init_ctl();
        OpenRussian();
        Get<QRadioButton>("ModifyOpt")->setChecked(true);
        for (int r = 0; r < kGlyphRows; ++r) {
            const int cell = r * kGlyphRowStride + static_cast<int>(random() % kGlyphColumns);
            const int slot = GlyphRowSlot(r);
            QTest::mouseClick(Cell(cell), Qt::LeftButton);
            PagerImage before = window->Image();
            Press(GlyphKeyCodes()[random() % GlyphKeyCodes().size()]);
            for (const char* button : {"optRusL", "optRusC", "optRusR"}) Click(button);
            expectOnlyChanged(before, slot + 2, slot + 19, -1);
            before = window->Image();
            Click("optRusD");
            expectOnlyChanged(before, slot, slot + 19, -1);
        }
    }
}

TEST(GlyphFont, EveryKeyHasItsOwnPicture) {
    std::set<std::string> shapes;
    for (std::uint8_t code : GlyphKeyCodes()) {
        EXPECT_FALSE(IsPlaceholderGlyph(code)) << int(code);
        const char* dots = GlyphDots(GlyphLetter(code));
        ASSERT_NE(dots, nullptr);
        EXPECT_EQ(std::strlen(dots), 9u * 8u - 1u) << int(code);
        shapes.insert(dots);
        const QPixmap pm = GlyphPixmap(code, 2);
        EXPECT_EQ(pm.size(), QSize(16, 18));
    }
    EXPECT_EQ(shapes.size(), 95u) << "no two keys look alike";
    for (int c : {1, 31, 127, 255}) EXPECT_TRUE(IsPlaceholderGlyph(static_cast<std::uint8_t>(c)));
}

}  // namespace
}  // namespace kpx::gui::testing
