// Built-in prompt texts of the five languages, as the pager firmware ships them.
//
// Each language lists its 31 slots in address order: the 29 slots of the main block
// (0x100-0x343) and the 2 slots of the second block (0x3B0-0x3D7). A slot's text field is
// given as up to 18 characters; a shorter field is padded with spaces. Where the firmware left
// letters of an older text behind the length (the "leftover letters"), the field is written out
// in full with them, because pagers and saved files carry exactly those bytes.
//
// The Latin-script texts are written here in UTF-8 for readability and stored as Windows-1252
// (the PC code the text boxes show). The Russian texts are the pager's own glyph codes, written
// as the ASCII characters of those codes.

#include <stdexcept>
#include <string>
#include <string_view>

#include "image/default_image.h"

namespace kpx {

namespace {

constexpr int kSlotSize = 20;
constexpr int kTextField = 18;
constexpr int kMainSlots = 29;
constexpr int kSlotsPerLanguage = 31;

struct SlotDefault {
    std::uint8_t attribute;
    std::uint8_t length;
    std::string_view text;  // the text field: up to 18 characters, padded with spaces
};
using LanguageSlots = std::array<SlotDefault, kSlotsPerLanguage>;

// clang-format off
constexpr LanguageSlots kEnglishSlots = {{
    {0x05, 6, "ZENTRA"},
    {0x04, 8, "NO PAGES"},
    {0x44, 12, "UP OR ESCAPE"},
    {0x44, 12, "MESSAGE LOCK"},
    {0x43, 14, "MESSAGE UNLOCK"},
    {0x48, 6, "DELETE"},
    {0x45, 10, "DELETE ALL"},
    {0x44, 12, "MOVE TO MEMO"},
    {0x45, 10, "SET SCROLL"},
    {0x46, 8, "SET TIME"},
    {0x46, 9, "SET ALARM"},
    {0x46, 9, "SET ALERT"},
    {0x46, 9, "PAGER OFF"},
    {0x03, 9, "TONE ONLY"},
    {0x43, 5, "SLEEP"},
    {0x43, 6, "SILENT"},
    {0x43, 11, "PAGER OFF ?"},
    {0x44, 8, "DELETE ?"},
    {0x42, 12, "DELETE ALL ?"},
    {0x04, 8, "TIME SET"},
    {0x04, 9, "ALARM SET"},
    {0x03, 10, "SCROLL SET"},
    {0x43, 14, "AUTO SLEEP SET"},
    {0x04, 10, "START  END"},
    {0x45, 12, "MESSAGE AREA"},
    {0x44, 14, "MAIL DROP AREA"},
    {0x42, 13, "SILENT & BEEP"},
    {0x47, 7, "ZOOM IN"},
    {0x46, 8, "ZOOM OUT"},
    {0x46, 8, "CHIRP ON"},
    {0x46, 9, "CHIRP OFF"},
}};

constexpr LanguageSlots kSpanishSlots = {{
    {0x05, 6, "ZENTRA"},
    {0x05, 11, "SIN MESAJES"},
    {0x42, 17, "ARRIBA PARA SALIR"},
    {0x42, 16, "BLOQUEAR MENSAJE"},
    {0x42, 16, "DESBLOQ. MENSAJE"},
    {0x47, 6, "BORRAR"},
    {0x44, 12, "BORRAR TODOS"},
    {0x44, 12, "MOVER A MEMOBRETA"},
    {0x42, 16, "ROLLO DE MENSAJE"},
    {0x44, 12, "AJUSTAR HORA"},
    {0x43, 14, "AJUSTAR ALARMA"},
    {0x42, 17, "ALERTA SILENCIOSA"},
    {0x47, 6, "APAGAR"},
    {0x06, 9, "SOLO TONO"},
    {0x44, 7, "DORMIDA"},
    {0x44, 10, "SILENCIOSA"},
    {0x46, 8, "APAGAR ?"},
    {0x46, 8, "BORRAR ?"},
    {0x44, 12, "BORRAR TODOS ?"},
    {0x04, 12, "AJUSTAR HORA"},
    {0x03, 14, "AJUSTAR ALARMA"},
    {0x02, 16, "ROLLO DE MENSAJE"},
    {0x44, 12, "AUTO DORMIDA"},
    {0x04, 11, "ON      OFF"},
    {0x44, 12, "MENSAJE AREA"},
    {0x43, 14, "MAIL DROP AREA"},
    {0x44, 11, "SILEN.-TONO"},
    {0x47, 7, "ZOOM IN"},
    {0x46, 8, "ZOOM OUT"},
    {0x46, 9, "TIMBRE ON"},
    {0x45, 10, "TIMBRE OFF"},
}};

constexpr LanguageSlots kFrenchSlots = {{
    {0x05, 6, "ZENTRA"},
    {0x03, 14, "PAS DE MESSAGE"},
    {0x42, 16, "MONTER OU SORTIRR"},
    {0x44, 12, "VERROUILLAGESAJE"},
    {0x43, 14, "DEVERROUILLAGEJE"},
    {0x45, 10, "EFFACEMENT"},
    {0x44, 12, "EFFACER TOUT"},
    {0x44, 13, "DEP > MEMOIRERETA"},
    {0x43, 14, "Reg.DEFILEMENTJE"},
    {0x46, 9, "Reg.HEUREERA"},
    {0x45, 10, "Reg.ALARMEARMA"},
    {0x45, 10, "Reg.ALERTEENCIOSA"},
    {0x45, 11, "ARRET PAGER"},
    {0x05, 14, "TON UNIQUEMENT"},
    {0x44, 14, "MISE EN VEILLE"},
    {0x44, 10, "SILENCIEUX"},
    {0x44, 13, "ARRET PAGER ?"},
    {0x44, 12, "EFFACEMENT ?"},
    {0x43, 14, "EFFACER TOUT ?"},
    {0x06, 9, "Reg.HEUREORA"},
    {0x05, 10, "Reg.ALARMEARMA"},
    {0x03, 14, "Reg.DEFILEMENTJE"},
    {0x45, 10, "REG.VEILLEDA"},
    {0x04, 11, "DEPART  FIN"},
    {0x42, 16, "ZONE DE MESSAGES"},
    {0x41, 18, "ZONE BOITE LETTRES"},
    {0x43, 18, "SILENCIEUX ET BEEP"},
    {0x46, 6, "LOUPE+UI"},
    {0x46, 6, "LOUPE-ON"},
    {0x42, 17, "AVEC MODE DISCRET"},
    {0x42, 17, "SANS MODE DISCRET"},
}};

constexpr LanguageSlots kGermanSlots = {{
    {0x05, 8, "ZENTRA"},
    {0x03, 15, "Keine Nachricht"},
    {0x45, 11, "Menü/zurück"},
    {0x42, 17, "Nachricht sichern"},
    {0x42, 16, "Nachr. freigeben"},
    {0x42, 17, "Nachricht löschen"},
    {0x44, 12, "Alle löschen"},
    {0x42, 17, "Als Notiz sichern"},
    {0x45, 10, "Scrollrate"},
    {0x45, 11, "Uhr stellen"},
    {0x43, 14, "Wecker stellen"},
    {0x43, 15, "Alarmart wählen"},
    {0x46, 9, "Pager aus"},
    {0x00, 7, "Nur TonLY"},
    {0x43, 13, "Stiller Alarm"},
    {0x43, 9, "Vibration"},
    {0x45, 11, "Pager aus ?"},
    {0x46, 9, "Löschen ?ELETE ?"},
    {0x43, 14, "Alle löschen ?"},
    {0x25, 11, "Uhr stellen"},
    {0x23, 14, "Wecker stellen"},
    {0x25, 10, "Scrollrate"},
    {0x42, 16, "Automat. Aussch."},
    {0x27, 13, "Start    Ende"},
    {0x43, 14, "Private Nachr."},
    {0x43, 15, "Öffentl. Nachr."},
    {0x43, 15, "Vibr., dann TonP"},
    {0x45, 10, "Vergrößern"},
    {0x45, 11, "Verkleinern"},
    {0x44, 13, "Kurz-Piep ein"},
    {0x44, 13, "Kurz-Piep aus"},
}};

// Glyph codes; the Latin capitals double as the Cyrillic letters of the same shape.
constexpr LanguageSlots kRussianSlots = {{
    {0x05, 6, "ZENTRA"},
    {0x03, 18, "   HET COOap-i"},
    {0x43, 18, "  MEHv BKj/BsKj"},
    {0x43, 18, "  gAqhTA COOaq-i"},
    {0x43, 18, "   CHwThEgAqhTs"},
    {0x43, 18, "     YdAjhTt"},
    {0x43, 18, "   YdAjhTt BCE"},
    {0x43, 18, "   COXP BkAMwTt"},
    {0x43, 18, "  kPOCMOTP COOaq"},
    {0x43, 18, "    YCT. BPEMw"},
    {0x43, 18, "  YCT. aYdhjtHhK"},
    {0x43, 18, "   BstOP ChHAjA"},
    {0x43, 18, "  BsKj. kEidfEP"},
    {0x05, 17, "  TOHAjtH. BsgOB"},
    {0x43, 18, "  Ckwqhi PEfhM"},
    {0x43, 18, "  kEPhOd MOjo-w"},
    {0x43, 18, "  BsKj. kEidfEP?"},
    {0x43, 18, "     YdAjhTt?"},
    {0x43, 18, "   YdAjhTt BCE?"},
    {0x03, 18, "    YCT. BPEMw"},
    {0x03, 18, "  YCT. aldhjtHhK"},
    {0x03, 18, "  kPOCMOTP COOaq"},
    {0x43, 18, "  ABTO BKj/BsKj"},
    {0x03, 18, "   HAoAjO KOHEn"},
    {0x43, 18, "   gOHA kPhEMA"},
    {0x43, 18, "gOHA kPhEMA KAHAjO"},
    {0x43, 18, "  HOoHOi PEfhM"},
    {0x43, 18, "   BhaPAnhw BKj"},
    {0x43, 18, "  BhaPAnhw OTKj"},
    {0x43, 18, "     hHm. BKj"},
    {0x43, 18, "    hHm. BsKj"},
}};
// clang-format on

// UTF-8 to Windows-1252 for the letters the tables use (U+00A0-U+00FF, where both codes agree).
std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            continue;
        }
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= utf8.size()) {
            throw std::logic_error("prompt table: character outside Latin-1");
        }
        const auto next = static_cast<unsigned char>(utf8[++i]);
        const unsigned code = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
        if ((next & 0xC0u) != 0x80u || code < 0xA0u) {
            throw std::logic_error("prompt table: character outside Latin-1");
        }
        out.push_back(static_cast<char>(code));
    }
    return out;
}

void PutSlot(std::uint8_t* slot, const SlotDefault& entry) {
    const std::string text = ToWindows1252(entry.text);
    if (text.size() > kTextField || entry.length > kTextField) {
        throw std::logic_error("prompt table: text longer than a slot");
    }
    slot[0] = entry.attribute;
    slot[1] = entry.length;
    for (int i = 0; i < kTextField; ++i) {
        const auto index = static_cast<std::size_t>(i);
        slot[2 + i] = index < text.size() ? static_cast<std::uint8_t>(text[index]) : 0x20;
    }
}

PromptBlocks MakeBlocks(const LanguageSlots& slots) {
    PromptBlocks blocks{};
    for (int s = 0; s < kSlotsPerLanguage; ++s) {
        std::uint8_t* slot = s < kMainSlots ? blocks.main.data() + s * kSlotSize
                                            : blocks.second.data() + (s - kMainSlots) * kSlotSize;
        PutSlot(slot, slots[static_cast<std::size_t>(s)]);
    }
    return blocks;
}

static_assert(kMainSlots * kSlotSize == std::tuple_size_v<decltype(PromptBlocks::main)>);
static_assert((kSlotsPerLanguage - kMainSlots) * kSlotSize ==
              std::tuple_size_v<decltype(PromptBlocks::second)>);

}  // namespace

const PromptBlocks& PromptDefaults(std::uint8_t languageCode) {
    static const PromptBlocks english = MakeBlocks(kEnglishSlots);
    static const PromptBlocks russian = MakeBlocks(kRussianSlots);
    static const PromptBlocks spanish = MakeBlocks(kSpanishSlots);
    static const PromptBlocks french = MakeBlocks(kFrenchSlots);
    static const PromptBlocks german = MakeBlocks(kGermanSlots);
    switch (languageCode) {
        case kLangEnglish:
            return english;
        case kLangRussian:
            return russian;
        case kLangSpanish:
            return spanish;
        case kLangFrench:
            return french;
        case kLangGerman:
            return german;
        default:
            throw std::out_of_range("no built-in prompt texts for language code " +
                                    std::to_string(languageCode));
    }
}

}  // namespace kpx
