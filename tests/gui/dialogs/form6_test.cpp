#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "gui/gui_fixture.h"
#include "gui/modal.h"
#include "gui/widgets/custom_controls.h"
#include "texts/allocation.h"

namespace kpx::gui::testing {
namespace {

class Form6Test : public WindowTest {
  protected:
    QString Cell(const char* column, int n) {
        return Get<QLabel>(QString("%1(%2)").arg(column).arg(n).toLatin1().constData())->text();
    }
    void Edit(const std::function<void(QDialog&)>& drive) {
        WhileModal([&] { Get<QPushButton>("cmdAlert")->click(); }, drive);
    }
    static QComboBox* List(QDialog& f, const char* name, int i) {
        return In<QComboBox>(f, QString("%1(%2)").arg(name).arg(i));
    }
    static QProgressBar* Bar(QDialog& f, const char* name) { return In<QProgressBar>(f, name); }
    void SetDrops(int memory, int history, int personal) {
        for (int d = 0; d < kMailDrops; ++d) {
            window->Image().set(0x01E + d, static_cast<std::uint8_t>(memory));
            window->Image().set(0x00F + d, static_cast<std::uint8_t>(history));
        }
        window->Image().set(0x00A, static_cast<std::uint8_t>(personal));
        window->init_ctl();
    }
};

TEST_F(Form6Test, ShowsTheImageAndWritesEachListAtOnce) {
    EXPECT_EQ(Cell("lblLength", 0), "08");
    EXPECT_EQ(Cell("lblLength", 1), "--");
    EXPECT_EQ(Cell("lblHistory", 0), "15");
    EXPECT_EQ(Cell("lblHistory", 1), "09");
    EXPECT_EQ(Cell("lblMemory", 0), "03");
    EXPECT_EQ(Cell("lblMemory", 1), "3.0");
    EXPECT_EQ(Cell("lblMemory", 14), "0.5");
    EXPECT_EQ(Get<QLabel>("lblMail(10)")->text(), "MB");
    EXPECT_EQ(Get<QLabel>("lblMail(10)")->toolTip(), "Mail Drop B Message Status");
    EXPECT_EQ(Get<QLabel>("lblPersonal")->toolTip(), "Personal & Group Message Status");
    EXPECT_EQ(Get<QPushButton>("cmdAlert")->text(), "Msg  Status\nSelect");

    const PagerImage before = window->Image();
    Edit([&](QDialog& f) {
        EXPECT_EQ(f.objectName(), "Form6");
        EXPECT_EQ(f.windowTitle(), "Personal and Mail Drop Status Control");
        EXPECT_TRUE(f.isModal());
        EXPECT_EQ(window->Image(), before) << "showing the values writes nothing";
        EXPECT_EQ(In<QComboBox>(f, "cboPersonal")->currentText(), "8 sec");
        EXPECT_EQ(List(f, "cboMem", 14)->currentText(), "3KB");
        EXPECT_EQ(List(f, "cboMem", 0)->currentText(), "3.0KB");
        EXPECT_EQ(List(f, "cboHis", 0)->currentText(), "9");
        EXPECT_EQ(List(f, "cboMailAler", 0)->currentText(), "Disable");
        EXPECT_EQ(Bar(f, "pbTotal")->maximum(), 70);
        EXPECT_EQ(Bar(f, "pbTotal")->value(), 41);
        EXPECT_EQ(Bar(f, "pbMem")->maximum(), 432);
        EXPECT_EQ(Bar(f, "pbMem")->value(), 280);

        Pick(In<QComboBox>(f, "cboPersonal"), 4);  // "continuos"
        EXPECT_EQ(Byte(0x0D0), 255);
        EXPECT_EQ(Cell("lblLength", 0), "CT");
        Pick(List(f, "cboMailAler", 10), 3);  // drop B, 16 sec
        EXPECT_EQ(Byte(0x038) & 0x20, 0x20);
        EXPECT_EQ(Byte(0x0DB), 16);
        EXPECT_EQ(Cell("lblLength", 11), "16");
        Pick(List(f, "cboMailAler", 10), 0);  // "Disable" keeps the length
        EXPECT_EQ(Byte(0x038) & 0x20, 0);
        EXPECT_EQ(Byte(0x0DB), 16);
        EXPECT_EQ(Cell("lblLength", 11), "--");
        Pick(List(f, "cboHis", 4), 3);
        EXPECT_EQ(Byte(0x013), 4);
        EXPECT_EQ(Cell("lblHistory", 5), "03");
        EXPECT_EQ(Bar(f, "pbTotal")->value(), 44);
        Pick(List(f, "cboMem", 14), 1);
        EXPECT_EQ(Byte(0x00A), 64);
        EXPECT_EQ(Cell("lblMemory", 0), "04");
        EXPECT_EQ(Bar(f, "pbMem")->value(), 296);
        QTest::mouseClick(In<NCommand>(f, "Command1"), Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(Form6Test, MemoryBudgetAcceptsExactly27KBAndCorrectsBeyond) {
    SetDrops(8, 2, 240);  // 352 units
    Edit([&](QDialog& f) {
        Pick(List(f, "cboMem", 0), 5);
        EXPECT_EQ(Bar(f, "pbMem")->value(), 392);
        Pick(List(f, "cboMem", 1), 5);
        EXPECT_EQ(Bar(f, "pbMem")->value(), 432);
        EXPECT_TRUE(dialogs.Texts().empty());
        Pick(List(f, "cboMem", 2), 5);  // 472
        ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kMemoryBudgetMessage});
        EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Critical);
        EXPECT_EQ(List(f, "cboMem", 2)->currentText(), "0.5KB");
        EXPECT_EQ(Byte(0x020), 8);
        EXPECT_EQ(Bar(f, "pbMem")->value(), 432);
        EXPECT_EQ(Cell("lblMemory", 3), "0.5");
        EXPECT_EQ(Cell("lblMemory", 2), "3.0");
    });
}

TEST_F(Form6Test, HistoryBudgetCorrectsToTheLargestRowThatFits) {
    SetDrops(8, 5, 48);  // 14 x 5 = 70 places + 1 each
    window->Image().set(0x00F, 1);
    window->init_ctl();  // the others hold 65
    Edit([&](QDialog& f) {
        Pick(List(f, "cboHis", 0), 9);
        ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{kHistoryBudgetMessage});
        EXPECT_EQ(List(f, "cboHis", 0)->currentText(), "4");
        EXPECT_EQ(Byte(0x00F), 5);
        EXPECT_EQ(Bar(f, "pbTotal")->value(), 70);
        EXPECT_EQ(Cell("lblHistory", 1), "04");
    });
}

TEST_F(Form6Test, AnImageOverBudgetIsRepairedAndRefusesOnlyRaises) {
    SetDrops(32, 6, 240);               // memory 688 units, history 84
    window->Image().set(0x00F + 3, 0);  // a history byte of 0 shows no row
    window->init_ctl();
    const PagerImage before = window->Image();
    Edit([&](QDialog& f) {
        EXPECT_EQ(window->Image(), before);
        EXPECT_EQ(Bar(f, "pbMem")->value(), 432) << "the bar stops full";
        EXPECT_EQ(Bar(f, "pbMem")->text(), "688");
        EXPECT_EQ(List(f, "cboHis", 3)->currentIndex(), -1);
        // Raising picks past the budget: refused, nothing outside the lists is written.
        Pick(List(f, "cboMem", 3), 4);
        Pick(List(f, "cboHis", 3), 0);
        Pick(List(f, "cboHis", 4), 6);
        EXPECT_EQ(dialogs.Texts(),
                  (std::vector<std::string>{kMemoryBudgetMessage, kHistoryBudgetMessage,
                                            kHistoryBudgetMessage}));
        EXPECT_EQ(window->Image(), before);
        EXPECT_EQ(List(f, "cboMem", 3)->currentText(), "2.0KB") << "back on its old row";
        EXPECT_EQ(List(f, "cboHis", 3)->currentIndex(), -1);
        EXPECT_EQ(List(f, "cboHis", 4)->currentText(), "5");
        // Lowering picks are taken at once, without a message.
        dialogs.Clear();
        Pick(List(f, "cboMem", 3), 0);
        Pick(List(f, "cboMem", 14), 0);
        Pick(List(f, "cboHis", 4), 0);
        EXPECT_TRUE(dialogs.Texts().empty());
        EXPECT_EQ(Byte(0x01E + 3), 8);
        EXPECT_EQ(Byte(0x00A), 48);
        EXPECT_EQ(Byte(0x00F + 4), 1);
        EXPECT_EQ(Bar(f, "pbMem")->text(), QString::number(688 - 24 - 192));
        EXPECT_EQ(Bar(f, "pbTotal")->text(), QString::number(78 - 5));
        // The same pick again does not raise the total either.
        Pick(List(f, "cboMem", 5), 3);
        EXPECT_TRUE(dialogs.Texts().empty());
        EXPECT_EQ(Byte(0x01E + 5), 32);
    });
}

}  // namespace
}  // namespace kpx::gui::testing
