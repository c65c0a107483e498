#include "image/default_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame_templates.h"

namespace kpx {
namespace {

// The published default image, 0x000-0x0FF and 0x340-0x3FF; ".." marks a password digit, whose
// value is the builder's choice.
constexpr std::string_view kDefaultDump =
    "000: 55 AA AA 55 00 01 42 04 00 00 30 01 00 08 19 0A\n"
    "010: 0A 0A 01 01 01 01 01 01 01 01 01 01 01 00 30 30\n"
    "020: 30 08 08 08 08 08 08 08 08 08 08 08 5A 96 F2 22\n"
    "030: 22 22 22 22 22 22 26 00 00 65 40 4E 40 04 50 00\n"
    "040: 01 00 03 88 02 00 10 00 03 80 FF FF 04 00 00 00\n"
    "050: 05 00 00 00 06 00 00 04 0D 52 45 41 44 20 50 41\n"
    "060: 53 53 57 4F 52 44 02 06 13 80 02 .. .. .. .. 02\n"
    "070: 43 0A 46 4C 41 53 48 20 4F 4E 4C 59 17 00 43 00\n"
    "080: 18 00 42 00 19 00 43 00 1A 00 00 00 1B 00 00 00\n"
    "090: 20 00 01 00 02 01 00 10 22 00 01 00 23 00 01 00\n"
    "0A0: 24 00 01 00 25 00 01 00 26 00 01 00 27 00 01 00\n"
    "0B0: 80 13 56 87 81 13 56 80 82 00 80 01 83 00 80 01\n"
    "0C0: 10 11 12 13 14 15 16 17 86 00 80 01 87 00 80 01\n"
    "0D0: 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "0E0: 21 10 16 1C 21 24 27 2A 2C 04 A3 22 FF 0F 22 22\n"
    "0F0: 00 2A 92 ED 00 2A 92 01 FF 41 49 52 50 52 4F 47\n"
    "340: 20 20 20 20 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "350: 18 18 00 00 00 00 00 00 FF FF 20 F0 00 00 00 00\n"
    "360: 92 D6 87 12 D6 80 12 D6 81 12 D6 82 12 D6 83 12\n"
    "370: D6 84 02 11 40 3C 18 08 3A 0C 00 00 .. .. .. ..\n"
    "380: 77 77 81 8B 64 70 03 FF FF FF FF FF 0F 0F 0F 00\n"
    "390: 01 05 03 00 00 00 00 03 00 10 01 00 52 40 FF FF\n"
    "3A0: 00 00 00 00 00 00 00 00 03 03 03 03 04 05 00 FF\n"
    "3B0: 46 08 43 48 49 52 50 20 4F 4E 20 20 20 20 20 20\n"
    "3C0: 20 20 20 20 46 09 43 48 49 52 50 20 4F 46 46 20\n"
    "3D0: 20 20 20 20 20 20 20 20 FF FF FF FF FF FF FF FF\n"
    "3E0: 01 4B 50 58 34 31 56 31 2E 30 56 31 2E 30 33 FF\n"
    "3F0: 5A 58 2D 35 30 37 4F 4B FF FF FF FF FF FF FF FF";

TEST(DefaultImage, MatchesThePublishedDumpExceptThePasswordDigits) {
    const PagerImage image = BuildDefaultImage();
    std::istringstream lines{std::string(kDefaultDump)};
    int rows = 0;
    int passwordCells = 0;
    std::string row;
    while (std::getline(lines, row)) {
        std::istringstream cells(row);
        std::string addressText;
        cells >> addressText;
        const int base = std::stoi(addressText, nullptr, 16);
        for (int i = 0; i < 16; ++i) {
            std::string cell;
            ASSERT_TRUE(cells >> cell) << row;
            const int address = base + i;
            if (cell == "..") {
                ++passwordCells;
                continue;
            }
            EXPECT_EQ(image.at(address), std::stoi(cell, nullptr, 16))
                << "at 0x" << std::hex << address;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 28);
    EXPECT_EQ(passwordCells, 8);
}

TEST(DefaultImage, HoldsTheChosenPasswordsAsDecimalDigits) {
    const PagerImage image = BuildDefaultImage();
    for (int i = 0; i < 4; ++i) {
        const auto index = static_cast<std::size_t>(i);
        EXPECT_EQ(image.at(0x06B + i), kDefaultMessagePassword[index]);
        EXPECT_EQ(image.at(0x37C + i), kDefaultPagerPassword[index]);
        EXPECT_LE(kDefaultMessagePassword[index], 9);
        EXPECT_LE(kDefaultPagerPassword[index], 9);
    }
}

TEST(DefaultImage, TellingBytes) {
    const PagerImage image = BuildDefaultImage();
    auto text = [&](int address, std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i) {
            s.push_back(static_cast<char>(image.at(address + static_cast<int>(i))));
        }
        return s;
    };
    // The two password-menu slots outside the text regions.
    EXPECT_EQ(image.at(0x057), 0x04);
    EXPECT_EQ(image.at(0x058), 13);
    EXPECT_EQ(text(0x059, 13), "READ PASSWORD");
    EXPECT_EQ(image.at(0x070), 0x43);
    EXPECT_EQ(image.at(0x071), 10);
    EXPECT_EQ(text(0x072, 10), "FLASH ONLY");

    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(image.at(0x0C0 + i), 0x10 + i) << "pager menu item " << i;
    }
    EXPECT_EQ(image.at(0x0E9), 4);     // contrast
    EXPECT_EQ(image.at(0x0F7), 0x01);  // tone 1
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(image.GetBits(0x360 + 3 * k, 7, 1), k == 0 ? 1 : 0) << "capcode " << k;
    }
    EXPECT_EQ(image.at(0x372), 2);
    EXPECT_EQ(image.at(0x373), 17);
    EXPECT_EQ(image.GetBits(0x375, 4, 2), 3);  // 1200 bps
    EXPECT_EQ(text(0x390, 7), std::string({1, 5, 3, 0, 0, 0, 0}));
    EXPECT_EQ(text(0x3E1, 5), "KPX41");
    EXPECT_EQ(text(0x3E6, 4), "V1.0");
    EXPECT_EQ(text(0x3EA, 5), "V1.03");
    EXPECT_EQ(text(0x3F0, 8), "ZX-507OK");
    EXPECT_EQ(image.at(0x3F8), 0xFF);
}

TEST(DefaultImage, HoldsTheEnglishPromptBlocksAndTheLogoText) {
    const PagerImage image = BuildDefaultImage();
    const PromptBlocks& english = PromptDefaults(kLangEnglish);
    for (std::size_t i = 0; i < english.main.size(); ++i) {
        EXPECT_EQ(image.at(0x100 + static_cast<int>(i)), english.main[i]) << i;
    }
    // The second block comes from the upper block; both copies must agree.
    for (std::size_t i = 0; i < english.second.size(); ++i) {
        EXPECT_EQ(image.at(0x3B0 + static_cast<int>(i)), english.second[i]) << i;
    }
    const std::string& logo = DefaultProgramSettings().logoText;
    ASSERT_EQ(image.at(0x101), logo.size());
    for (std::size_t i = 0; i < logo.size(); ++i) {
        EXPECT_EQ(image.at(0x102 + static_cast<int>(i)), static_cast<std::uint8_t>(logo[i]));
    }
}

// One built-in slot: the text covered by the length byte, then the leftover letters that
// follow it (spaces fill the rest of the 18 bytes).
struct ExpectedSlot {
    std::uint8_t language;
    int address;
    std::uint8_t attribute;
    std::string_view text;
    std::string_view leftover;
};

// clang-format off
constexpr ExpectedSlot kExpectedSlots[] = {
    // English
    {kLangEnglish, 0x100, 0x05, "ZENTRA", ""},
    {kLangEnglish, 0x114, 0x04, "NO PAGES", ""},
    {kLangEnglish, 0x128, 0x44, "UP OR ESCAPE", ""},
    {kLangEnglish, 0x13C, 0x44, "MESSAGE LOCK", ""},
    {kLangEnglish, 0x150, 0x43, "MESSAGE UNLOCK", ""},
    {kLangEnglish, 0x164, 0x48, "DELETE", ""},
    {kLangEnglish, 0x178, 0x45, "DELETE ALL", ""},
    {kLangEnglish, 0x18C, 0x44, "MOVE TO MEMO", ""},
    {kLangEnglish, 0x1A0, 0x45, "SET SCROLL", ""},
    {kLangEnglish, 0x1B4, 0x46, "SET TIME", ""},
    {kLangEnglish, 0x1C8, 0x46, "SET ALARM", ""},
    {kLangEnglish, 0x1DC, 0x46, "SET ALERT", ""},
    {kLangEnglish, 0x1F0, 0x46, "PAGER OFF", ""},
    {kLangEnglish, 0x204, 0x03, "TONE ONLY", ""},
    {kLangEnglish, 0x218, 0x43, "SLEEP", ""},
    {kLangEnglish, 0x22C, 0x43, "SILENT", ""},
    {kLangEnglish, 0x240, 0x43, "PAGER OFF ?", ""},
    {kLangEnglish, 0x254, 0x44, "DELETE ?", ""},
    {kLangEnglish, 0x268, 0x42, "DELETE ALL ?", ""},
    {kLangEnglish, 0x27C, 0x04, "TIME SET", ""},
    {kLangEnglish, 0x290, 0x04, "ALARM SET", ""},
    {kLangEnglish, 0x2A4, 0x03, "SCROLL SET", ""},
    {kLangEnglish, 0x2B8, 0x43, "AUTO SLEEP SET", ""},
    {kLangEnglish, 0x2CC, 0x04, "START  END", ""},
    {kLangEnglish, 0x2E0, 0x45, "MESSAGE AREA", ""},
    {kLangEnglish, 0x2F4, 0x44, "MAIL DROP AREA", ""},
    {kLangEnglish, 0x308, 0x42, "SILENT & BEEP", ""},
    {kLangEnglish, 0x31C, 0x47, "ZOOM IN", ""},
    {kLangEnglish, 0x330, 0x46, "ZOOM OUT", ""},
    {kLangEnglish, 0x3B0, 0x46, "CHIRP ON", ""},
    {kLangEnglish, 0x3C4, 0x46, "CHIRP OFF", ""},
    // Spanish
    {kLangSpanish, 0x100, 0x05, "ZENTRA", ""},
    {kLangSpanish, 0x114, 0x05, "SIN MESAJES", ""},
    {kLangSpanish, 0x128, 0x42, "ARRIBA PARA SALIR", ""},
    {kLangSpanish, 0x13C, 0x42, "BLOQUEAR MENSAJE", ""},
    {kLangSpanish, 0x150, 0x42, "DESBLOQ. MENSAJE", ""},
    {kLangSpanish, 0x164, 0x47, "BORRAR", ""},
    {kLangSpanish, 0x178, 0x44, "BORRAR TODOS", ""},
    {kLangSpanish, 0x18C, 0x44, "MOVER A MEMO", "BRETA"},
    {kLangSpanish, 0x1A0, 0x42, "ROLLO DE MENSAJE", ""},
    {kLangSpanish, 0x1B4, 0x44, "AJUSTAR HORA", ""},
    {kLangSpanish, 0x1C8, 0x43, "AJUSTAR ALARMA", ""},
    {kLangSpanish, 0x1DC, 0x42, "ALERTA SILENCIOSA", ""},
    {kLangSpanish, 0x1F0, 0x47, "APAGAR", ""},
    {kLangSpanish, 0x204, 0x06, "SOLO TONO", ""},
    {kLangSpanish, 0x218, 0x44, "DORMIDA", ""},
    {kLangSpanish, 0x22C, 0x44, "SILENCIOSA", ""},
    {kLangSpanish, 0x240, 0x46, "APAGAR ?", ""},
    {kLangSpanish, 0x254, 0x46, "BORRAR ?", ""},
    {kLangSpanish, 0x268, 0x44, "BORRAR TODOS", " ?"},
    {kLangSpanish, 0x27C, 0x04, "AJUSTAR HORA", ""},
    {kLangSpanish, 0x290, 0x03, "AJUSTAR ALARMA", ""},
    {kLangSpanish, 0x2A4, 0x02, "ROLLO DE MENSAJE", ""},
    {kLangSpanish, 0x2B8, 0x44, "AUTO DORMIDA", ""},
    {kLangSpanish, 0x2CC, 0x04, "ON      OFF", ""},
    {kLangSpanish, 0x2E0, 0x44, "MENSAJE AREA", ""},
    {kLangSpanish, 0x2F4, 0x43, "MAIL DROP AREA", ""},
    {kLangSpanish, 0x308, 0x44, "SILEN.-TONO", ""},
    {kLangSpanish, 0x31C, 0x47, "ZOOM IN", ""},
    {kLangSpanish, 0x330, 0x46, "ZOOM OUT", ""},
    {kLangSpanish, 0x3B0, 0x46, "TIMBRE ON", ""},
    {kLangSpanish, 0x3C4, 0x45, "TIMBRE OFF", ""},
    // French
    {kLangFrench, 0x100, 0x05, "ZENTRA", ""},
    {kLangFrench, 0x114, 0x03, "PAS DE MESSAGE", ""},
    {kLangFrench, 0x128, 0x42, "MONTER OU SORTIR", "R"},
    {kLangFrench, 0x13C, 0x44, "VERROUILLAGE", "SAJE"},
    {kLangFrench, 0x150, 0x43, "DEVERROUILLAGE", "JE"},
    {kLangFrench, 0x164, 0x45, "EFFACEMENT", ""},
    {kLangFrench, 0x178, 0x44, "EFFACER TOUT", ""},
    {kLangFrench, 0x18C, 0x44, "DEP > MEMOIRE", "RETA"},
    {kLangFrench, 0x1A0, 0x43, "Reg.DEFILEMENT", "JE"},
    {kLangFrench, 0x1B4, 0x46, "Reg.HEURE", "ERA"},
    {kLangFrench, 0x1C8, 0x45, "Reg.ALARME", "ARMA"},
    {kLangFrench, 0x1DC, 0x45, "Reg.ALERTE", "ENCIOSA"},
    {kLangFrench, 0x1F0, 0x45, "ARRET PAGER", ""},
    {kLangFrench, 0x204, 0x05, "TON UNIQUEMENT", ""},
    {kLangFrench, 0x218, 0x44, "MISE EN VEILLE", ""},
    {kLangFrench, 0x22C, 0x44, "SILENCIEUX", ""},
    {kLangFrench, 0x240, 0x44, "ARRET PAGER ?", ""},
    {kLangFrench, 0x254, 0x44, "EFFACEMENT ?", ""},
    {kLangFrench, 0x268, 0x43, "EFFACER TOUT ?", ""},
    {kLangFrench, 0x27C, 0x06, "Reg.HEURE", "ORA"},
    {kLangFrench, 0x290, 0x05, "Reg.ALARME", "ARMA"},
    {kLangFrench, 0x2A4, 0x03, "Reg.DEFILEMENT", "JE"},
    {kLangFrench, 0x2B8, 0x45, "REG.VEILLE", "DA"},
    {kLangFrench, 0x2CC, 0x04, "DEPART  FIN", ""},
    {kLangFrench, 0x2E0, 0x42, "ZONE DE MESSAGES", ""},
    {kLangFrench, 0x2F4, 0x41, "ZONE BOITE LETTRES", ""},
    {kLangFrench, 0x308, 0x43, "SILENCIEUX ET BEEP", ""},
    {kLangFrench, 0x31C, 0x46, "LOUPE+", "UI"},
    {kLangFrench, 0x330, 0x46, "LOUPE-", "ON"},
    {kLangFrench, 0x3B0, 0x42, "AVEC MODE DISCRET", ""},
    {kLangFrench, 0x3C4, 0x42, "SANS MODE DISCRET", ""},
    // German
    {kLangGerman, 0x100, 0x05, "ZENTRA  ", ""},
    {kLangGerman, 0x114, 0x03, "Keine Nachricht", ""},
    {kLangGerman, 0x128, 0x45, "Men\xFC/zur\xFC" "ck", ""},
    {kLangGerman, 0x13C, 0x42, "Nachricht sichern", ""},
    {kLangGerman, 0x150, 0x42, "Nachr. freigeben", ""},
    {kLangGerman, 0x164, 0x42, "Nachricht l\xF6schen", ""},
    {kLangGerman, 0x178, 0x44, "Alle l\xF6schen", ""},
    {kLangGerman, 0x18C, 0x42, "Als Notiz sichern", ""},
    {kLangGerman, 0x1A0, 0x45, "Scrollrate", ""},
    {kLangGerman, 0x1B4, 0x45, "Uhr stellen", ""},
    {kLangGerman, 0x1C8, 0x43, "Wecker stellen", ""},
    {kLangGerman, 0x1DC, 0x43, "Alarmart w\xE4hlen", ""},
    {kLangGerman, 0x1F0, 0x46, "Pager aus", ""},
    {kLangGerman, 0x204, 0x00, "Nur Ton", "LY"},
    {kLangGerman, 0x218, 0x43, "Stiller Alarm", ""},
    {kLangGerman, 0x22C, 0x43, "Vibration", ""},
    {kLangGerman, 0x240, 0x45, "Pager aus ?", ""},
    {kLangGerman, 0x254, 0x46, "L\xF6schen ?", "ELETE ?"},
    {kLangGerman, 0x268, 0x43, "Alle l\xF6schen ?", ""},
    {kLangGerman, 0x27C, 0x25, "Uhr stellen", ""},
    {kLangGerman, 0x290, 0x23, "Wecker stellen", ""},
    {kLangGerman, 0x2A4, 0x25, "Scrollrate", ""},
    {kLangGerman, 0x2B8, 0x42, "Automat. Aussch.", ""},
    {kLangGerman, 0x2CC, 0x27, "Start    Ende", ""},
    {kLangGerman, 0x2E0, 0x43, "Private Nachr.", ""},
    {kLangGerman, 0x2F4, 0x43, "\xD6" "ffentl. Nachr.", ""},
    {kLangGerman, 0x308, 0x43, "Vibr., dann Ton", "P"},
    {kLangGerman, 0x31C, 0x45, "Vergr\xF6\xDF" "ern", ""},
    {kLangGerman, 0x330, 0x45, "Verkleinern", ""},
    {kLangGerman, 0x3B0, 0x44, "Kurz-Piep ein", ""},
    {kLangGerman, 0x3C4, 0x44, "Kurz-Piep aus", ""},
    // Russian
    {kLangRussian, 0x100, 0x05, "ZENTRA", ""},
    {kLangRussian, 0x114, 0x03, "   HET COOap-i    ", ""},
    {kLangRussian, 0x128, 0x43, "  MEHv BKj/BsKj   ", ""},
    {kLangRussian, 0x13C, 0x43, "  gAqhTA COOaq-i  ", ""},
    {kLangRussian, 0x150, 0x43, "   CHwThEgAqhTs   ", ""},
    {kLangRussian, 0x164, 0x43, "     YdAjhTt      ", ""},
    {kLangRussian, 0x178, 0x43, "   YdAjhTt BCE    ", ""},
    {kLangRussian, 0x18C, 0x43, "   COXP BkAMwTt   ", ""},
    {kLangRussian, 0x1A0, 0x43, "  kPOCMOTP COOaq  ", ""},
    {kLangRussian, 0x1B4, 0x43, "    YCT. BPEMw    ", ""},
    {kLangRussian, 0x1C8, 0x43, "  YCT. aYdhjtHhK  ", ""},
    {kLangRussian, 0x1DC, 0x43, "   BstOP ChHAjA   ", ""},
    {kLangRussian, 0x1F0, 0x43, "  BsKj. kEidfEP   ", ""},
    {kLangRussian, 0x204, 0x05, "  TOHAjtH. BsgOB ", ""},
    {kLangRussian, 0x218, 0x43, "  Ckwqhi PEfhM    ", ""},
    {kLangRussian, 0x22C, 0x43, "  kEPhOd MOjo-w   ", ""},
    {kLangRussian, 0x240, 0x43, "  BsKj. kEidfEP?  ", ""},
    {kLangRussian, 0x254, 0x43, "     YdAjhTt?     ", ""},
    {kLangRussian, 0x268, 0x43, "   YdAjhTt BCE?   ", ""},
    {kLangRussian, 0x27C, 0x03, "    YCT. BPEMw    ", ""},
    {kLangRussian, 0x290, 0x03, "  YCT. aldhjtHhK  ", ""},
    {kLangRussian, 0x2A4, 0x03, "  kPOCMOTP COOaq  ", ""},
    {kLangRussian, 0x2B8, 0x43, "  ABTO BKj/BsKj   ", ""},
    {kLangRussian, 0x2CC, 0x03, "   HAoAjO KOHEn   ", ""},
    {kLangRussian, 0x2E0, 0x43, "   gOHA kPhEMA    ", ""},
    {kLangRussian, 0x2F4, 0x43, "gOHA kPhEMA KAHAjO", ""},
    {kLangRussian, 0x308, 0x43, "  HOoHOi PEfhM    ", ""},
    {kLangRussian, 0x31C, 0x43, "   BhaPAnhw BKj   ", ""},
    {kLangRussian, 0x330, 0x43, "  BhaPAnhw OTKj   ", ""},
    {kLangRussian, 0x3B0, 0x43, "     hHm. BKj     ", ""},
    {kLangRussian, 0x3C4, 0x43, "    hHm. BsKj     ", ""},
};
// clang-format on

TEST(PromptDefaults, EverySlotOfEveryLanguage) {
    std::vector<int> slotsSeen(256, 0);
    for (const ExpectedSlot& e : kExpectedSlots) {
        SCOPED_TRACE(::testing::Message()
                     << "language " << int{e.language} << " slot 0x" << std::hex << e.address);
        const PromptBlocks& blocks = PromptDefaults(e.language);
        const std::uint8_t* slot = e.address >= 0x3B0 ? blocks.second.data() + (e.address - 0x3B0)
                                                      : blocks.main.data() + (e.address - 0x100);
        EXPECT_EQ(slot[0], e.attribute);
        EXPECT_EQ(slot[1], e.text.size());
        std::string field(e.text);
        field += e.leftover;
        ASSERT_LE(field.size(), 18u);
        field.resize(18, ' ');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(slot + 2), 18), field);
        ++slotsSeen[e.language];
    }
    for (std::uint8_t code : {kLangEnglish, kLangSpanish, kLangFrench, kLangGerman, kLangRussian}) {
        EXPECT_EQ(slotsSeen[code], 31) << "language " << int{code};
    }
}

TEST(PromptDefaults, GermanUsesWindows1252Letters) {
    const PromptBlocks& german = PromptDefaults(kLangGerman);
    // "Vergrößern" at 0x31C: ö and ß are single bytes.
    EXPECT_EQ(german.main[0x31C - 0x100 + 1], 10);
    EXPECT_EQ(german.main[0x31C - 0x100 + 2 + 5], 0xF6);
    EXPECT_EQ(german.main[0x31C - 0x100 + 2 + 6], 0xDF);
}

TEST(PromptDefaults, RefusesCodesWithoutBuiltInTexts) {
    for (int code : {1, 2, 4, 7, 9, 15, 255}) {
        EXPECT_THROW(PromptDefaults(static_cast<std::uint8_t>(code)), std::out_of_range) << code;
    }
}

TEST(BoardTemplates, CarryTheirChecksumInTheLastTwoBytes) {
    struct Case {
        std::span<const std::uint8_t> frame;
        std::uint16_t checksum;
    };
    const Case cases[] = {{kProbeCommand, 0x008A}, {kWriteAck, 0x008D}};
    for (const Case& c : cases) {
        EXPECT_EQ(FrameChecksum(c.frame), c.checksum);
        EXPECT_EQ(c.frame[c.frame.size() - 2], c.checksum >> 8);
        EXPECT_EQ(c.frame[c.frame.size() - 1], c.checksum & 0xFF);
    }
}

}  // namespace
}  // namespace kpx
