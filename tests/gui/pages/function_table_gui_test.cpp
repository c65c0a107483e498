#include <QLabel>
#include <QPushButton>

#include "gui/gui_fixture.h"
#include "gui/modal.h"
#include "gui/widgets/custom_controls.h"

namespace kpx::gui::testing {
namespace {

class FunctionTableTest : public WindowTest {
  protected:
    QWidget* Page() { return Get<QWidget>("picSet1"); }
    // The main window's own capcode 5/6 type lists, told apart from Form5's by their page.
    QComboBox* MainType(int index) { return In<QComboBox>(*Page(), Indexed("cboType", index)); }
    QString Summary(const char* name, int e) {
        return In<QLineEdit>(*Page(), Indexed(name, e))->text();
    }
    bool NoteShown(int e) { return !In<QLineEdit>(*Page(), Indexed("EnToolTip", e))->isHidden(); }
    // Opens Form5 with the capcode's "Fun. Bit" button and drives it.
    void Edit(int e, const std::function<void(QDialog&)>& drive) {
        WhileModal([&] { In<QPushButton>(*Page(), Indexed("cmdFunc", e))->click(); }, drive);
    }
    static QString Indexed(const char* name, int i) { return QString("%1(%2)").arg(name).arg(i); }
};

TEST_F(FunctionTableTest, DefaultSummariesAndTheListsOfCapcodesFiveAndSix) {
    struct Row {
        int e;
        const char *type, *disp, *pri, *en;
    } rows[] = {{3, "PPPP", "AAAA", "----", "vvvv"},
                {0, "PPPP", "AAAA", "----", "vvvv"},
                {2, "1111", "AAAA", "----", "vvvv"}};
    for (const Row& r : rows) {
        EXPECT_EQ(Summary("tlblType", r.e), r.type) << r.e;
        EXPECT_EQ(Summary("tlblDisp", r.e), r.disp) << r.e;
        EXPECT_EQ(Summary("tlblPri", r.e), r.pri) << r.e;
        EXPECT_EQ(Summary("tlblFunEn", r.e), r.en) << r.e;
        EXPECT_FALSE(NoteShown(r.e));
    }
    auto* fun = In<QPushButton>(*Page(), "cmdFunc(3)");
    EXPECT_EQ(fun->text(), "Fun. Bit");
    EXPECT_EQ(fun->toolTip(), "Click to set function bit( A B C D ) message control.");
    EXPECT_EQ(MainType(0)->currentText(), "Mail Drop 2");
    EXPECT_EQ(MainType(1)->currentText(), "Mail Drop 3");
    EXPECT_EQ(MainType(1)->count(), 16);
    Pick(MainType(0), 15);
    EXPECT_EQ(Byte(0x3AC), 0xFF);
    Pick(MainType(1), 0);
    EXPECT_EQ(Byte(0x3AD), 0x00);
    Pick(MainType(1), 14);
    EXPECT_EQ(Byte(0x3AD), 16);

    // Bytes no row stands for show no row and survive the refresh untouched; 2 and 17 show
    // row b - 2, "Personal" and "Group", whose codes the refresh then stores.
    const struct {
        std::uint8_t byte;
        int row;
        std::uint8_t after;
    } types[] = {{1, -1, 1}, {2, 0, 0}, {17, 15, 0xFF}, {0xFE, -1, 0xFE}};
    for (const auto& t : types) {
        window->Image().set(0x3AD, t.byte);
        window->init_ctl();
        EXPECT_EQ(MainType(1)->currentIndex(), t.row) << int{t.byte};
        EXPECT_EQ(Byte(0x3AD), t.after) << int{t.byte};
    }
}

TEST_F(FunctionTableTest, Form5EditsCapcodeThreeAndTheSummaryFollows) {
    Edit(1, [&](QDialog& f) {
        EXPECT_EQ(f.objectName(), "Form5");
        EXPECT_TRUE(f.isModal());
        EXPECT_EQ(In<QLabel>(f, "Label3")->text(), "#3");
        EXPECT_EQ(In<QLabel>(f, "Label4")->text(), "Capcode Function Bit Setting");
        EXPECT_EQ(In<QComboBox>(f, "cboDisp(2)")->currentText(), "Alpha");
        EXPECT_EQ(In<QComboBox>(f, "cboType(0)")->currentText(), "Personal");
        EXPECT_TRUE(In<QCheckBox>(f, "chkFunEn(3)")->isChecked());
        EXPECT_EQ(In<QCheckBox>(f, "chkPri(0)")->text(), "Fun. Bit A");
        Pick(In<QComboBox>(f, "cboDisp(2)"), 4);  // "Tone Only" for C
        EXPECT_EQ(Byte(0x032) >> 4, 4);
        EXPECT_EQ(Summary("tlblDisp", 1), "AATA");
        Pick(In<QComboBox>(f, "cboType(3)"), 10);  // "Mail Drop A" for D
        EXPECT_EQ(Byte(0x3A7), 12);
        EXPECT_EQ(Summary("tlblType", 1), "PPPA");
        In<QCheckBox>(f, "chkPri(3)")->click();
        EXPECT_EQ(Byte(0x38D) & 0xF0, 0x10);
        EXPECT_EQ(Summary("tlblPri", 1), "---v");
        QTest::mouseClick(In<NCommand>(f, "Command1"), Qt::LeftButton);
        EXPECT_FALSE(f.isVisible()) << "OK closes the editor";
    });
    // Every change is kept: there is no cancel.
    EXPECT_EQ(Summary("tlblDisp", 1), "AATA");
    EXPECT_EQ(Byte(0x3A7), 12);
}

TEST_F(FunctionTableTest, Form5OfCapcodeOneKeepsThePrioritiesOfCapcodesFiveAndSix) {
    window->Image().SetBits(0x38F, 1, 3, 2);
    Edit(3, [&](QDialog& f) {
        EXPECT_EQ(In<QLabel>(f, "Label3")->text(), "#1");
        In<QCheckBox>(f, "chkPri(0)")->click();
        EXPECT_EQ(Byte(0x38F), 0x86);
        Pick(In<QComboBox>(f, "cboType(1)"), 15);  // "Group" for B
        EXPECT_EQ(Byte(0x35D), 0xFF);
        EXPECT_EQ(Summary("tlblType", 3), "PGPP");
        EXPECT_EQ(Summary("tlblPri", 3), "v---");
        QTest::mouseClick(In<CloseBox>(f, "Close1"), Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
    });
    window->init_ctl();
    EXPECT_TRUE(In<QCheckBox>(*Page(), "chkCtl(8)")->isChecked());
    EXPECT_TRUE(In<QCheckBox>(*Page(), "chkCtl(9)")->isChecked());
}

TEST_F(FunctionTableTest, ClearingEveryEnableOfCapcodeTwoShowsItsNoteWhenTheEditorCloses) {
    Edit(0, [&](QDialog& f) {
        for (int i = 0; i < 4; ++i) In<QCheckBox>(f, Indexed("chkFunEn", i))->click();
        EXPECT_EQ(Byte(0x38C) & 0x0F, 0);
        EXPECT_EQ(Summary("tlblFunEn", 0), "----");
        EXPECT_FALSE(NoteShown(0)) << "the notes follow when the editor closes";
        QTest::mouseClick(In<NCommand>(f, "Command1"), Qt::LeftButton);
    });
    EXPECT_TRUE(NoteShown(0));
    EXPECT_EQ(In<QLineEdit>(*Page(), "EnToolTip(0)")->text(), " Note:Capcode #2 will be disable");
    EXPECT_FALSE(NoteShown(3));

    // The "ON" boxes of capcodes 1-4 refresh the notes too.
    window->Image().SetBits(0x0ED, 0, 0, 4);
    EXPECT_FALSE(NoteShown(3));
    In<QCheckBox>(*Page(), "chkCtl(10)")->click();
    EXPECT_TRUE(NoteShown(3));
    EXPECT_EQ(In<QLineEdit>(*Page(), "EnToolTip(3)")->text(), " Note:Capcode #1 will be disable");

    Edit(0, [&](QDialog& f) {
        In<QCheckBox>(f, "chkFunEn(1)")->click();
        f.reject();  // the window's own close
    });
    EXPECT_FALSE(NoteShown(0));
    EXPECT_EQ(Summary("tlblFunEn", 0), "-v--");
}

TEST_F(FunctionTableTest, ForeignBytesShowNoRowAndStayUntilTheUserPicks) {
    window->Image().set(0x3A4, 2);
    window->Image().set(0x3A5, 17);
    window->Image().set(0x0EF, 0x92);  // display nibble 9 is repaired to Alpha
    window->init_ctl();
    EXPECT_EQ(Byte(0x0EF), 0x22);
    EXPECT_EQ(Summary("tlblDisp", 3), "AAAA");
    EXPECT_EQ(Summary("tlblType", 1), "0FPP");
    Edit(1, [&](QDialog& f) {
        EXPECT_EQ(In<QComboBox>(f, "cboType(0)")->currentIndex(), -1);
        EXPECT_EQ(In<QComboBox>(f, "cboType(1)")->currentIndex(), -1);
        In<QCheckBox>(f, "chkPri(2)")->click();
        Pick(In<QComboBox>(f, "cboType(1)"), 1);
    });
    EXPECT_EQ(Byte(0x3A4), 2);
    EXPECT_EQ(Byte(0x3A5), 3);
    EXPECT_EQ(Summary("tlblType", 1), "01PP");
}

}  // namespace
}  // namespace kpx::gui::testing
