#include <QAbstractItemView>
#include <QLabel>

#include "gui/gui_fixture.h"
#include "settings/bands.h"
#include "settings/frequency.h"

namespace kpx::gui::testing {
namespace {

using FrequencyBlock = WindowTest;

struct EntryCase {
    int band;
    const char* selector;  // "cboChannel(0)", "Combo1(0)" or nullptr
    int spacingRow;
    const char* text;
    const char* message;  // nullptr: none
    const char* shows;    // the box afterwards (nullptr: refused, the box keeps the focus)
    int code;
};

TEST_F(FrequencyBlock, EntryEdgeCases) {
    const EntryCase cases[] = {
        {kBandRow130, "cboChannel(0)", 0, "15300500", nullptr, "15300500", 0},
        {kBandRow130, "cboChannel(0)", 1, "15300500", kChannelSpacingError, nullptr, 1},
        {kBandRow130, "cboChannel(0)", 2, "15300625", nullptr, "15300625", 1},
        {kBandRow130, "cboChannel(0)", 2, "15300500", nullptr, "15300500", 0},
        {kBandRow130, "cboChannel(0)", 2, "15300250", nullptr, "15300250", 6},
        {kBandRow130, "cboChannel(0)", 2, "15300010", kChannelSpacingError, nullptr, -1},
        {kBandRow380, "cboChannel(0)", 2, "46201250", "Channel Spacing =12.5KHz", "46201250", 3},
        {kBandRow380, "cboChannel(0)", 2, "46201000", "Channel Spacing =10KHz", "46201000", 2},
        {kBandRow929, nullptr, 0, "93101250", nullptr, "93101250", 3},
        {kBandRow929, nullptr, 0, "93101000", kChannelSpacingError, nullptr, 3},
        {kBandRow929, nullptr, 0, "92899990",
         "Frequency setting error(92900000 < = Frequency < =93200000 )", nullptr, 3},
        {kBandRow130, "cboChannel(0)", 0, "13000000", nullptr, "13000000", 0},
        {kBandRow130, "cboChannel(0)", 0, "18000000", nullptr, "18000000", 0},
        {kBandRowGp, "Combo1(0)", 0, "15300000", nullptr, "15300000", 6},
        {kBandRowGp, "Combo1(0)", 2, "15301250", nullptr, "15301250", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in band " + std::to_string(c.band));
        Get<QComboBox>("cboDft")->setCurrentIndex(c.band);
        if (c.selector) {
            auto* sel = Get<QComboBox>(c.selector);
            sel->setCurrentIndex(c.spacingRow == 0 ? 1 : 0);  // make the selection a change
            sel->setCurrentIndex(c.spacingRow);
        }
        dialogs.Clear();
        window->State().validationFailed = false;
        const PagerImage before = window->Image();
        Enter("txtFreq", c.text);
        if (c.message) {
            ASSERT_EQ(dialogs.Texts().size(), 1u);
            EXPECT_EQ(dialogs.Texts()[0], c.message);
        } else {
            EXPECT_TRUE(dialogs.Texts().empty());
        }
        if (c.shows) {
            EXPECT_EQ(Text("txtFreq"), c.shows);
            EXPECT_FALSE(window->State().validationFailed);
        } else {
            EXPECT_TRUE(window->State().validationFailed);
            EXPECT_TRUE(Get<QLineEdit>("txtFreq")->hasFocus()) << "the box takes the focus back";
            for (int a = 0x390; a <= 0x39D; ++a) {
                if (a != 0x397) EXPECT_EQ(Byte(a), before.at(a)) << a;
            }
        }
        if (c.code >= 0) EXPECT_EQ(Byte(0x397), c.code);
        Get<QWidget>("picTabBack")->setFocus();
        QApplication::processEvents();
    }
}

TEST_F(FrequencyBlock, UntouchedBoxRestoresTheOldValue) {
    const PagerImage before = window->Image();
    auto* box = Get<QLineEdit>("txtFreq");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(box->text(), "") << "getting the focus empties the box";
    Get<QWidget>("picTabBack")->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(box->text(), "15300000");
    EXPECT_EQ(window->Image(), before);
    EXPECT_TRUE(dialogs.Texts().empty());
}

// Enter in the frequency or a capcode box hands the focus to the tab background, which stores
// the entry.
TEST_F(FrequencyBlock, EnterEndsTheEntry) {
    struct Case {
        const char* box;
        const char* typed;
        const char* shows;
        int address;
        int byte;
    } cases[] = {
        {"txtFreq", "15300500", "15300500", 0x395, 5},
        {"txtAddr(1)", "42", "0000042", 0x365, 42},  // low byte of capcode 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        auto* box = Get<QLineEdit>(c.box);
        box->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QTest::keyClicks(box, c.typed);
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_TRUE(Get<QWidget>("picTabBack")->hasFocus());
        EXPECT_EQ(Byte(c.address), c.byte);
        EXPECT_EQ(Text(c.box), c.shows);
    }
}

TEST_F(FrequencyBlock, NonNumericKeyIsRefusedAtOnce) {
    auto* box = Get<QLineEdit>("txtFreq");
    box->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(box, "15a");
    ASSERT_FALSE(dialogs.Texts().empty());
    EXPECT_EQ(dialogs.Texts()[0], kNotDecimalNumeric);
    EXPECT_FALSE(window->State().validationFailed);
}

TEST_F(FrequencyBlock, GpBandReadsBackUnchangedAndSurvivesSaveAndOpen) {
    Get<QComboBox>("cboDft")->setCurrentIndex(kBandRowGp);
    EXPECT_EQ(Text("txtFreq"), "15300000");
    EXPECT_EQ(Byte(0x3F8), 0xAA);
    EXPECT_EQ(Byte(0x041), 0x70);
    EXPECT_EQ(Get<QLabel>("lblPLLN")->text(), "66D000");
    EXPECT_EQ(Get<QLabel>("lblPLLR")->text(), "82F11");
    EXPECT_EQ(Get<QLabel>("lblMUTL")->text(), "1");
    EXPECT_FALSE(Get<QComboBox>("Combo1(0)")->isHidden());
    // Back to 929-932 MHz: a standard synthesiser again, and a reopened file says so.
    Get<QComboBox>("cboDft")->setCurrentIndex(kBandRow929);
    EXPECT_EQ(Byte(0x3F8), 0xFF);
    EXPECT_TRUE(Get<QComboBox>("cboCtl(0)")->isHidden()) << "no bandwidth in 929-932 MHz";
    window->ChooseFile = [&](bool) { return QString::fromStdString(folder.File("p.tbl")); };
    ASSERT_TRUE(window->TableFileSave());
    Get<QComboBox>("cboDft")->setCurrentIndex(kBandRow130);
    ASSERT_TRUE(window->TableFileOpen());
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentIndex(), kBandRow929);
    EXPECT_EQ(Text("txtFreq"), "93101250");
}

TEST_F(FrequencyBlock, AutoSpacingHidesFrequencyModification) {
    auto* sel = Get<QComboBox>("cboChannel(0)");
    sel->setCurrentIndex(2);
    EXPECT_TRUE(Get<QCheckBox>("chkCtl(4)")->isHidden());
    EXPECT_EQ(window->Image().GetBits(0x036, 0, 1), 1);
    sel->setCurrentIndex(1);
    EXPECT_FALSE(Get<QCheckBox>("chkCtl(4)")->isHidden());
    EXPECT_EQ(window->Image().GetBits(0x036, 0, 1), 0);
    EXPECT_EQ(Get<QLabel>("lblCHANNEL(0)")->text(), "6.25KHz");
    EXPECT_EQ(Text("txtFreq"), "15301250");
}

TEST_F(FrequencyBlock, ProgramMadeBandSelectionKeepsTheLoadedFrequency) {
    PagerImage im = window->Image();
    // 462.000 00 MHz at 12.5 kHz, as a pager of the 380-499 MHz band holds it.
    SetFreqPLL(im, 46212500, kBandRow380, 12.5f, 3);
    im.set(0x397, 3);
    window->Image() = im;
    window->RefreshFromNewImage();
    EXPECT_EQ(Get<QComboBox>("cboDft")->currentIndex(), kBandRow380);
    EXPECT_EQ(Text("txtFreq"), "46212500");
    EXPECT_EQ(Get<QComboBox>("cboChannel(0)")->currentText(), "12.5KHz");
    EXPECT_EQ(window->Image(), im);
    EXPECT_FALSE(window->State().RefreshingControls);
}

// Every spacing list of the frequency block, in both copies.
constexpr const char* kSpacingLists[] = {"cboChannel(0)", "cboChannel(1)", "Combo1(0)",
                                         "Combo1(1)"};

// An image of the 929-932 MHz band that comes in by File/Open or a pager read leaves no spacing
// list of the band shown before on screen, and none of them can write synthesiser bytes.
TEST_F(FrequencyBlock, RecognisedBand929LeavesNoSpacingListLive) {
    PagerImage band929 = window->Image();
    FrequencyState state;
    SelectBand(band929, state, kBandRow929, settings, dialogs);
    for (const int autoDefault : {0, 2}) {
        settings.defaultSpacing380 = autoDefault ? 2 : 1;
        settings.defaultSpacing130 = autoDefault;
        Start();
        for (const int before : {kBandRow380, kBandRow130, kBandRowGp}) {
            SCOPED_TRACE("band " + std::to_string(before) + ", default row " +
                         std::to_string(autoDefault));
            Get<QComboBox>("cboDft")->setCurrentIndex(before);
            window->Image() = band929;
            window->RefreshFromNewImage();
            ASSERT_EQ(Row("cboDft"), kBandRow929);
            EXPECT_FALSE(Get<QWidget>("Picture2")->isVisible());
            for (const char* name : kSpacingLists) {
                EXPECT_FALSE(Get<QComboBox>(name)->isVisible()) << name;
            }
            // Even a change made to a hidden list leaves the 929 bytes alone.
            for (const char* name : kSpacingLists) {
                auto* list = Get<QComboBox>(name);
                list->setCurrentIndex(list->currentIndex() == 0 ? 1 : 0);
                EXPECT_EQ(window->Image(), band929) << name;
            }
        }
    }
}

// A user's pick of the row already selected runs its handler: re-picking the band or the
// spacing puts their defaults back over a typed frequency.
TEST_F(FrequencyBlock, RePickingTheSelectedRowRestoresItsDefaults) {
    auto rePick = [&](const char* name) {
        auto* list = Get<QComboBox>(name);
        list->showPopup();
        QApplication::processEvents();
        QTest::keyClick(list->view(), Qt::Key_Return);
        QApplication::processEvents();
    };
    const struct {
        int band;
        const char* list;
        const char* typed;
        const char* restored;
    } cases[] = {
        {kBandRow130, "cboDft", "15300500", "15300000"},
        {kBandRow130, "cboChannel(0)", "15300500", "15300000"},
        {kBandRow380, "cboDft", "46201250", "46200000"},
        {kBandRowGp, "Combo1(0)", "15301000", "15300000"},
        {kBandRow929, "cboDft", "93101250", "93101250"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " in band " + std::to_string(c.band));
        Get<QComboBox>("cboDft")->setCurrentIndex(c.band == kBandRowGp ? kBandRow130 : kBandRowGp);
        Get<QComboBox>("cboDft")->setCurrentIndex(c.band);
        QApplication::processEvents();
        const PagerImage defaults = window->Image();
        Enter("txtFreq", c.typed);
        ASSERT_EQ(Text("txtFreq"), c.typed);
        if (c.band != kBandRow929) ASSERT_NE(window->Image(), defaults);
        const int row = Row(c.list);
        rePick(c.list);
        EXPECT_EQ(Row(c.list), row);
        EXPECT_EQ(Text("txtFreq"), c.restored);
        for (int a = 0x390; a <= 0x39D; ++a) {
            if (c.band != kBandRow929) EXPECT_EQ(Byte(a), defaults.at(a)) << a;
        }
    }
}

using Capcodes = WindowTest;

TEST_F(Capcodes, EntryEdgeCases) {
    struct Case {
        const char* text;
        const char* message;
        const char* shows;
    } cases[] = {
        {"1234568", nullptr, "1234568"},
        {"42", nullptr, "0000042"},
        {"2097152", "Please insert a number between 0000007 to 2097151", nullptr},
        {"6", "Please insert a number between 0000007 to 2097151", nullptr},
        {"0", "Please insert a number between 0000007 to 2097151", nullptr},
        {"-5", "Please insert a number between 0000007 to 2097151", nullptr},
        {"12a4", "Please insert a numeric!", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        dialogs.Clear();
        const PagerImage before = window->Image();
        Enter("txtAddr(1)", c.text);
        if (c.message) {
            ASSERT_EQ(dialogs.Texts().size(), 1u);
            EXPECT_EQ(dialogs.Texts()[0], c.message);
            EXPECT_EQ(window->Image(), before);
            EXPECT_TRUE(Get<QLineEdit>("txtAddr(1)")->hasFocus());
            Get<QWidget>("picTabBack")->setFocus();
            QApplication::processEvents();
        } else {
            EXPECT_TRUE(dialogs.Texts().empty());
            EXPECT_EQ(Text("txtAddr(1)"), c.shows);
        }
    }
    EXPECT_EQ(Byte(0x363), 0x00) << "entry 2 stays disabled";
    EXPECT_EQ(Byte(0x365), 42);
}

// The box left empty shows the stored capcode again, so a pager is never written without its
// capcode on show.
TEST_F(Capcodes, LeavingWithoutTypingChangesNothing) {
    const PagerImage before = window->Image();
    Enter("txtAddr(0)", "");
    EXPECT_EQ(Text("txtAddr(0)"), "1234567");
    EXPECT_EQ(window->Image(), before);
    window->init_ctl();
    EXPECT_EQ(Text("txtAddr(0)"), "1234567");
}

TEST_F(Capcodes, AutoIncreaseOptions) {
    Get<QCheckBox>("optAuto2")->setChecked(true);
    EXPECT_FALSE(window->State().AutoIncrease1);
    EXPECT_TRUE(window->State().AutoIncrease2);
}

}  // namespace
}  // namespace kpx::gui::testing
