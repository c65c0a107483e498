// The settings pages as a user meets them: random images through File/Open, Write Mode, and
// settings that must come back after a save and a reopen.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <random>
#include <set>

#include "catalogue/startup_image.h"
#include "gui/gui_fixture.h"
#include "gui/modal.h"
#include "gui/widgets/custom_controls.h"
#include "image/table_file.h"
#include "settings/alerts.h"
#include "settings/function_table.h"
#include "settings/panel_fields.h"
#include "texts/allocation.h"

namespace kpx::gui::testing {
namespace {

// Message boxes that, like real ones, run an event loop of their own while they are up.
class LoopingDialogs : public kpx::testing::RecordingDialogs {
  public:
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override {
        const DialogAnswer answer = RecordingDialogs::Message(text, buttons, icon);
        QApplication::processEvents();
        return answer;
    }
};

class SettingsPagesTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        dialogs.Clear();
    }
    // Saves `bytes` as a table file and opens it as File / Open does.
    void Open(const PagerImage& im, const char* name = "loaded.tbl") {
        const std::string path = folder.File(name);
        ASSERT_EQ(SaveTableFile(path, im), "");
        window->ChooseFile = [path](bool) { return QString::fromStdString(path); };
        ASSERT_TRUE(window->TableFileOpen());
    }
    QWidget* Page() { return Get<QWidget>("picSet1"); }
    void OpenForm5(int e, const std::function<void(QDialog&)>& drive) {
        WhileModal([&] { In<QPushButton>(*Page(), QString("cmdFunc(%1)").arg(e))->click(); },
                   drive);
    }
    void OpenForm6(const std::function<void(QDialog&)>& drive) {
        WhileModal([&] { Get<QPushButton>("cmdAlert")->click(); }, drive);
    }
};

// Bytes the refresh itself may write: the lists whose handlers write back the row just read
// (tone, lockout, battery copy), the display-nibble repair, and the other pages' own
// refresh writes (logo language, the contrast slider's bound, the lamp, baud and
// error-message side effects of tagged controls, the address types 2 and 17 of capcodes 5 and
// 6, shown as "Personal" and "Group").
bool RefreshMayWrite(int a) {
    static const std::set<int> kWritten = {0x0F7, 0x03C, 0x380, 0x0EE, 0x0EF, 0x02F, 0x030,
                                           0x031, 0x032, 0x033, 0x034, 0x03F, 0x0E9, 0x35A,
                                           0x372, 0x373, 0x375, 0x376, 0x3AC, 0x3AD};
    return kWritten.count(a) != 0;
}

TEST_F(SettingsPagesTest, RandomImagesThroughFileOpenChangeOnlyWhatTheRefreshWrites) {
    std::mt19937 random(20261208);
    std::set<int> foreignChanges;  // addresses of other pages' controls that the refresh wrote
    for (int round = 0; round < 200; ++round) {
        ImageBytes bytes{};
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        const char model[] = "KPX41";
        for (int i = 0; i < 5; ++i) bytes[static_cast<std::size_t>(0x3E1 + i)] = model[i];
        const PagerImage loaded(bytes);
        // File/Open makes every list handler's write-back, whatever the lists showed before.
        Open(loaded, "random.tbl");
        const PagerImage& now = window->Image();
        for (int a = 0; a < kImageSize; ++a) {
            if (now.at(a) != loaded.at(a) && !RefreshMayWrite(a)) foreignChanges.insert(a);
        }
        // The tone becomes the code of the row shown.
        const int tone = loaded.at(0x0F7);
        const int expectedTone = tone == 0x20 ? 0x20 : tone >= 5 && tone <= 7 ? tone : 1;
        const int shownTone = Row("cboTone");
        EXPECT_EQ(now.at(0x0F7), expectedTone) << round;
        EXPECT_EQ(shownTone, ToneRowFromImage(loaded)) << round;
        // Lockout: only a 240-second byte without its "on" bit gains that bit.
        const int slcExpected = loaded.at(0x3C) & 0x04 ? loaded.at(0x3C) | 0x08 : loaded.at(0x3C);
        EXPECT_EQ(now.at(0x3C), slcExpected) << round;
        EXPECT_EQ(now.at(0x3D), loaded.at(0x3D)) << round;
        // Battery levels are never rewritten with other values; 0x380 is at most the copy.
        for (int a = 0x381; a <= 0x383; ++a) EXPECT_EQ(now.at(a), loaded.at(a)) << round;
        // A level its list shows is stored again, and with it the copy at 0x380.
        bool shown = false;
        for (int level = 0; level < kBatteryLevels; ++level) {
            shown |= BatteryRowFromImage(loaded, level).has_value();
        }
        EXPECT_EQ(now.at(0x380), shown ? loaded.at(0x381) : loaded.at(0x380)) << round;
        // Display nibbles above 4 become 2; the others stay.
        for (int a : {0x0EE, 0x0EF, 0x02F, 0x030, 0x031, 0x032, 0x033, 0x034}) {
            for (int shift : {0, 4}) {
                const int was = loaded.at(a) >> shift & 0xF;
                EXPECT_EQ(now.at(a) >> shift & 0xF, was > 4 ? 2 : was) << round << " " << a;
            }
        }
        // Opening and closing the two editors without a pick writes nothing.
        const PagerImage refreshed = window->Image();
        OpenForm5(round % 4, [](QDialog&) {});
        OpenForm6([](QDialog&) {});
        EXPECT_EQ(window->Image(), refreshed) << round;
    }
    std::string list;
    for (int a : foreignChanges) list += " " + std::to_string(a);
    EXPECT_TRUE(foreignChanges.empty()) << "the refresh wrote at" << list;
}

TEST_F(SettingsPagesTest, WriteModeDisablesEveryEditingControlOfTheNewPieces) {
    Get<QCheckBox>("chkMenu(0)")->click();
    Get<QCheckBox>("chkCtl(22)")->click();
    Get<QAbstractButton>("WriteOpt")->click();
    const char* const names[] = {"txtPass(0)", "txtPass(1)",   "cboTone",      "cboSLC",
                                 "cboORC",     "cboBatLev(0)", "cboBatLev(1)", "cboBatLev(2)",
                                 "cmdFunc(0)", "cmdFunc(1)",   "cmdFunc(2)",   "cmdFunc(3)",
                                 "cmdAlert",   "chkCtl(22)",   "chkCtl(5)",    "chkCtl(7)"};
    for (const char* name : names) EXPECT_FALSE(Get<QWidget>(name)->isEnabled()) << name;
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(In<QComboBox>(*Page(), QString("cboType(%1)").arg(i))->isEnabled());
    }
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString p = w->objectName().left(3);
        if (p == "txt" || p == "cbo" || p == "chk" || p == "opt" || p == "cmd") {
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        }
    }
    // The summaries and notes are no editing controls; they keep showing the image.
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblDisp(3)")->text(), "AAAA");
    QTest::mouseClick(Get<QPushButton>("cmdAlert"), Qt::LeftButton);
    QTest::mouseClick(In<QPushButton>(*Page(), "cmdFunc(3)"), Qt::LeftButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no editor opens in Write Mode";

    Get<QAbstractButton>("ModifyOpt")->click();
    for (const char* name : names) EXPECT_TRUE(Get<QWidget>(name)->isEnabled()) << name;
}

TEST_F(SettingsPagesTest, FunctionBitsTypesAndAllocationSurviveSaveAndReopen) {
    OpenForm5(3, [](QDialog& f) {
        Pick(In<QComboBox>(f, "cboDisp(0)"), 0);
        Pick(In<QComboBox>(f, "cboType(2)"), 15);
        In<QCheckBox>(f, "chkPri(1)")->click();
        In<QCheckBox>(f, "chkFunEn(3)")->click();
    });
    OpenForm5(2, [](QDialog& f) {
        Pick(In<QComboBox>(f, "cboDisp(3)"), 3);
        Pick(In<QComboBox>(f, "cboType(0)"), 14);
        for (int i = 0; i < 4; ++i) In<QCheckBox>(f, QString("chkFunEn(%1)").arg(i))->click();
    });
    Pick(In<QComboBox>(*Page(), "cboType(1)"), 9);
    OpenForm6([](QDialog& f) {
        Pick(In<QComboBox>(f, "cboPersonal"), 3);
        Pick(In<QComboBox>(f, "cboMailAler(13)"), 2);
        Pick(In<QComboBox>(f, "cboHis(13)"), 7);
        Pick(In<QComboBox>(f, "cboMem(13)"), 1);
        Pick(In<QComboBox>(f, "cboMem(14)"), 2);
    });
    const QString summaries[] = {In<QLineEdit>(*Page(), "tlblType(3)")->text(),
                                 In<QLineEdit>(*Page(), "tlblDisp(3)")->text(),
                                 In<QLineEdit>(*Page(), "tlblPri(3)")->text(),
                                 In<QLineEdit>(*Page(), "tlblFunEn(3)")->text(),
                                 In<QLineEdit>(*Page(), "tlblType(2)")->text(),
                                 In<QLineEdit>(*Page(), "tlblDisp(2)")->text()};
    EXPECT_EQ(summaries[0], "PPGP");
    EXPECT_EQ(summaries[1], "NAAA");
    EXPECT_EQ(summaries[2], "-v--");
    EXPECT_EQ(summaries[3], "vvv-");
    EXPECT_EQ(summaries[4], "E111");
    EXPECT_EQ(summaries[5], "AAAI");
    EXPECT_FALSE(In<QLineEdit>(*Page(), "EnToolTip(2)")->isHidden());
    window->mnuSBTF_Click();
    const PagerImage saved = window->Image();
    window.reset();
    Start();
    EXPECT_EQ(window->Image(), saved);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblType(3)")->text(), summaries[0]);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblDisp(3)")->text(), summaries[1]);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblPri(3)")->text(), summaries[2]);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblFunEn(3)")->text(), summaries[3]);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblType(2)")->text(), summaries[4]);
    EXPECT_EQ(In<QLineEdit>(*Page(), "tlblDisp(2)")->text(), summaries[5]);
    EXPECT_FALSE(In<QLineEdit>(*Page(), "EnToolTip(2)")->isHidden());
    EXPECT_EQ(In<QComboBox>(*Page(), "cboType(1)")->currentText(), "Mail Drop 9");
    EXPECT_EQ(Get<QLabel>("lblLength(0)")->text(), "32");
    EXPECT_EQ(Get<QLabel>("lblLength(14)")->text(), "01");
    EXPECT_EQ(Get<QLabel>("lblHistory(14)")->text(), "07");
    EXPECT_EQ(Get<QLabel>("lblMemory(14)")->text(), "1.0");
    EXPECT_EQ(Get<QLabel>("lblMemory(0)")->text(), "05");
    OpenForm6([](QDialog& f) {
        EXPECT_EQ(In<QComboBox>(f, "cboPersonal")->currentText(), "32 sec");
        EXPECT_EQ(In<QComboBox>(f, "cboMailAler(13)")->currentText(), "1 sec");
        EXPECT_EQ(In<QComboBox>(f, "cboHis(13)")->currentText(), "7");
        EXPECT_EQ(In<QComboBox>(f, "cboMem(13)")->currentText(), "1.0KB");
        EXPECT_EQ(In<QComboBox>(f, "cboMem(14)")->currentText(), "5KB");
    });
    OpenForm5(2, [](QDialog& f) {
        EXPECT_EQ(In<QComboBox>(f, "cboDisp(3)")->currentText(), "Ideo");
        EXPECT_EQ(In<QComboBox>(f, "cboType(0)")->currentText(), "Mail Drop E");
        EXPECT_FALSE(In<QCheckBox>(f, "chkFunEn(0)")->isChecked());
    });
}

TEST_F(SettingsPagesTest, PasswordBoxesShowEveryStoredByteOfAForeignImage) {
    window->EMoptStatus_Click();
    PagerImage im = window->Image();
    const std::uint8_t pager[] = {12, 255, 0, 7};
    for (int i = 0; i < 4; ++i) im.set(0x37C + i, pager[i]);
    im.SetBits(0x46, 6, 1, 1);
    for (int i = 0; i < 4; ++i) im.set(0x06B + i, static_cast<std::uint8_t>(10 + i));
    Open(im);
    EXPECT_EQ(Text("txtPass(0)"), "1225507");
    EXPECT_EQ(Text("txtPass(1)"), "10111213");
    // Typing is still held to four digits.
    auto* box = Get<QLineEdit>("txtPass(0)");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(box, "98765");
    EXPECT_EQ(box->text(), "9876");
    EXPECT_EQ(Byte(0x37C), 9);
    EXPECT_EQ(Byte(0x37F), 6);
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(SettingsPagesTest, AWarningFromAKeyboardPickIsShownOncePerPick) {
    window.reset();
    LoopingDialogs looping;
    MainWindow w(settings, looping, QString::fromStdString(folder.path()));
    w.show();
    w.Load();
    w.EMoptStatus_Click();
    QApplication::processEvents();
    looping.Clear();
    auto* low = w.findChild<QComboBox*>("cboBatLev(0)");
    ASSERT_EQ(low->currentText(), "1.19V");
    low->setFocus();
    for (int i = 0; i < 3; ++i) {  // 1.24V, then 1.29V and 1.34V, both not below Med
        QTest::keyClick(low, Qt::Key_Up);
        QApplication::processEvents();
    }
    EXPECT_EQ(low->currentText(), "1.34V");
    EXPECT_EQ(w.Image().at(0x381), 134);
    EXPECT_EQ(looping.Texts(),
              (std::vector<std::string>{kBatteryOrderWarning, kBatteryOrderWarning}));

    // A budget refusal too: one message, the list back on its row.
    for (int d = 0; d < kMailDrops; ++d) w.Image().set(0x01E + d, 32);
    w.Image().set(0x00A, 240);
    w.init_ctl();
    looping.Clear();
    WhileModal([&] { w.findChild<QPushButton*>("cmdAlert")->click(); },
               [&](QDialog& f) {
                   auto* list = In<QComboBox>(f, "cboMem(2)");
                   list->setFocus();
                   QTest::keyClick(list, Qt::Key_Down);
                   QApplication::processEvents();
                   EXPECT_EQ(list->currentText(), "2.0KB");
               });
    EXPECT_EQ(looping.Texts(), std::vector<std::string>{kMemoryBudgetMessage});
    EXPECT_EQ(w.Image().at(0x020), 32);
}

// Random picks in both editors on random images: each pick writes only its own bytes, and
// what it writes is a value of its list within the budgets.
TEST_F(SettingsPagesTest, RandomPicksInTheEditorsKeepToTheirBytesAndBudgets) {
    std::mt19937 random(4711);
    auto any = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        ImageBytes bytes{};
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        if (round % 2) {  // half of them within the budgets, so that picks are accepted
            for (int d = 0; d < kMailDrops; ++d) {
                bytes[static_cast<std::size_t>(0x01E + d)] =
                    static_cast<std::uint8_t>(8 + any(3) * 8);
                bytes[static_cast<std::size_t>(0x00F + d)] = static_cast<std::uint8_t>(1 + any(4));
            }
            bytes[0x00A] = static_cast<std::uint8_t>(48 + any(6) * 16);
        }
        window->Image() = PagerImage(bytes);
        window->init_ctl();
        OpenForm6([&](QDialog& f) {
            for (int pick = 0; pick < 30; ++pick) {
                const PagerImage before = window->Image();
                dialogs.Clear();
                const int kind = any(4);
                const int d = any(kMailDrops);
                int own = -1;
                if (kind == 0) {
                    Pick(In<QComboBox>(f, "cboPersonal"), any(5));
                    own = 0x0D0;
                } else if (kind == 1) {
                    Pick(In<QComboBox>(f, QString("cboMailAler(%1)").arg(d)), any(4));
                    own = 0x0D1 + d;
                } else if (kind == 2) {
                    Pick(In<QComboBox>(f, QString("cboHis(%1)").arg(d)), any(10));
                    own = 0x00F + d;
                } else {
                    const int list = any(kMailDrops + 1);
                    auto* c = In<QComboBox>(f, QString("cboMem(%1)").arg(list));
                    Pick(c, any(c->count()));
                    own = list == kPersonalMemoryList ? 0x00A : 0x01E + list;
                }
                const PagerImage& now = window->Image();
                for (int a = 0; a < kImageSize; ++a) {
                    if (a == own || a == 0x037 || a == 0x038) continue;
                    ASSERT_EQ(now.at(a), before.at(a)) << round << " " << pick << " " << a;
                }
                const bool changed = now.at(own) != before.at(own);
                if (kind == 2 && changed) {
                    EXPECT_GE(now.at(own), 1);
                    EXPECT_LE(now.at(own), 10);
                    // Within the budget, or (an image already over it) lowered by the pick.
                    if (TotalHistory(now) > kHistoryBudget)
                        EXPECT_LT(TotalHistory(now), TotalHistory(before));
                }
                if (kind == 3 && changed) {
                    if (TotalMemory(now) > kMemoryBudget)
                        EXPECT_LT(TotalMemory(now), TotalMemory(before));
                    if (own == 0x00A) {
                        EXPECT_TRUE(MemoryRow(now, kPersonalMemoryList).has_value());
                    } else {
                        EXPECT_TRUE(MemoryRow(now, own - 0x01E).has_value());
                    }
                }
                if (kind >= 2 && !dialogs.Texts().empty() && !changed) {
                    // A refused pick: the list shows the row of the byte that stayed.
                    const int list = kind == 2      ? own - 0x00F
                                     : own == 0x00A ? kPersonalMemoryList
                                                    : own - 0x01E;
                    const auto row = kind == 2 ? HistoryRow(now, list) : MemoryRow(now, list);
                    const char* name = kind == 2 ? "cboHis(%1)" : "cboMem(%1)";
                    EXPECT_EQ(In<QComboBox>(f, QString(name).arg(list))->currentIndex(),
                              row.value_or(-1));
                }
            }
        });
        const int e = any(4);
        const FunctionBases b = FunctionBasesFor(e);
        OpenForm5(e, [&](QDialog& f) {
            for (int pick = 0; pick < 20; ++pick) {
                const PagerImage before = window->Image();
                const int i = any(4);
                switch (any(4)) {
                    case 0:
                        Pick(In<QComboBox>(f, QString("cboDisp(%1)").arg(i)), any(5));
                        break;
                    case 1:
                        Pick(In<QComboBox>(f, QString("cboType(%1)").arg(i)), any(16));
                        break;
                    case 2:
                        In<QCheckBox>(f, QString("chkPri(%1)").arg(i))->click();
                        break;
                    default:
                        In<QCheckBox>(f, QString("chkFunEn(%1)").arg(i))->click();
                        break;
                }
                const PagerImage& now = window->Image();
                for (int a = 0; a < kImageSize; ++a) {
                    const bool own = a == b.display || a == b.display + 1 ||
                                     (a >= b.type && a < b.type + 4) || a == b.enable ||
                                     a == b.priority;
                    if (!own) ASSERT_EQ(now.at(a), before.at(a)) << round << " " << a;
                }
            }
        });
    }
}

}  // namespace
}  // namespace kpx::gui::testing
