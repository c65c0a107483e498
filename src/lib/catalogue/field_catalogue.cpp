#include "catalogue/field_catalogue.h"

#include <exception>
#include <stdexcept>

#include "image/default_image.h"
#include "image/field_tags.h"
#include "settings/alerts.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "settings/frequency.h"
#include "settings/function_table.h"
#include "settings/panel_fields.h"
#include "settings/password.h"
#include "texts/allocation.h"
#include "texts/logo.h"
#include "texts/prompt_slots.h"
#include "texts/prompt_text.h"

namespace kpx {

namespace {

// The writers tell refusals through message boxes; here the first message is the answer.
class RecordingDialogs final : public UserDialogs {
  public:
    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon) override {
        if (first.empty()) first = text;
        return buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Ok;
    }
    std::string first;
};

BitSpan Bits(int address, int firstBit, int bitCount) {
    return {address, static_cast<std::uint8_t>(((1u << bitCount) - 1u) << firstBit)};
}

std::vector<BitSpan> Bytes(int first, int last) {
    std::vector<BitSpan> spans;
    for (int a = first; a <= last; ++a) spans.push_back({a, 0xFF});
    return spans;
}

template <typename Container>
std::vector<std::string> Strings(const Container& rows) {
    return std::vector<std::string>(rows.begin(), rows.end());
}

using Decoder = std::function<std::optional<FieldValue>(const PagerImage&)>;
using Encoder = std::function<std::string(PagerImage&, const FieldValue&)>;

CatalogueField Field(std::string_view page, std::string name, FieldKind kind,
                     std::vector<BitSpan> bits, Decoder decode, Encoder encode,
                     std::vector<std::string> rows = {}) {
    return {std::move(name),
            page,
            kind,
            std::move(bits),
            std::move(rows),
            false,
            false,
            std::move(decode),
            nullptr,
            std::move(encode)};
}

const std::string* Text(const FieldValue& v) {
    return std::get_if<std::string>(&v);
}

// Digits may come as a number too (a capcode of 42 for "0000042").
std::optional<std::string> DigitsText(const FieldValue& v) {
    if (const std::int64_t* n = std::get_if<std::int64_t>(&v)) return std::to_string(*n);
    if (const std::string* s = Text(v)) return *s;
    return std::nullopt;
}

std::string RowsText(const std::vector<std::string>& rows) {
    std::string s;
    for (const auto& r : rows) s += (s.empty() ? "\"" : ", \"") + r + "\"";
    return s;
}

// A list whose row is read and written by the window's own functions.
CatalogueField ListField(std::string_view page, std::string name, std::vector<BitSpan> bits,
                         std::vector<std::string> rows, std::function<int(const PagerImage&)> read,
                         std::function<void(PagerImage&, int)> write) {
    Decoder decode = [rows, read](const PagerImage& image) -> std::optional<FieldValue> {
        const int row = read(image);
        if (row < 0 || row >= static_cast<int>(rows.size())) return std::nullopt;
        return rows[static_cast<std::size_t>(row)];
    };
    Encoder encode = [rows, write](PagerImage& image, const FieldValue& v) -> std::string {
        const std::string* text = Text(v);
        for (std::size_t row = 0; text && row < rows.size(); ++row) {
            if (rows[row] == *text) {
                write(image, static_cast<int>(row));
                return {};
            }
        }
        return "expects one of " + RowsText(rows);
    };
    return Field(page, std::move(name), FieldKind::List, std::move(bits), decode, encode, rows);
}

// A check box read and written by the window's own functions.
CatalogueField BoolField(std::string_view page, std::string name, std::vector<BitSpan> bits,
                         std::function<bool(const PagerImage&)> read,
                         std::function<void(PagerImage&, bool)> write) {
    return Field(
        page, std::move(name), FieldKind::Bit, std::move(bits),
        [read](const PagerImage& image) -> std::optional<FieldValue> { return read(image); },
        [write](PagerImage& image, const FieldValue& v) -> std::string {
            const bool* checked = std::get_if<bool>(&v);
            if (!checked) return "expects true or false";
            write(image, *checked);
            return {};
        });
}

// A tagged check box; `alsoWrites` are the bytes its handler sets with it.
CatalogueField TaggedBox(std::string_view page, std::string name, int index,
                         std::vector<BitSpan> alsoWrites = {}) {
    const FieldTag* tag = CheckBoxTag(index);
    std::vector<BitSpan> bits = {Bits(tag->address, tag->firstBit, tag->bitCount)};
    bits.insert(bits.end(), alsoWrites.begin(), alsoWrites.end());
    return BoolField(
        page, std::move(name), std::move(bits),
        [tag](const PagerImage& image) { return ReadCheckBox(image, *tag); },
        [tag](PagerImage& image, bool checked) { WriteCheckBox(image, *tag, checked); });
}

CatalogueField TaggedList(std::string_view page, std::string name, int index,
                          std::vector<BitSpan> alsoWrites = {}) {
    const FieldTag* tag = ListTag(index);
    std::vector<BitSpan> bits = {Bits(tag->address, tag->firstBit, tag->bitCount)};
    bits.insert(bits.end(), alsoWrites.begin(), alsoWrites.end());
    return ListField(
        page, std::move(name), std::move(bits), Strings(tag->rows),
        [tag](const PagerImage& image) { return ReadListRow(image, *tag); },
        [tag](PagerImage& image, int row) { WriteListRow(image, *tag, row); });
}

template <typename Rows>
std::vector<std::string> RowTexts(const Rows& rows) {
    std::vector<std::string> texts;
    for (const auto& r : rows) texts.push_back(r.text);
    return texts;
}

// A drop's name as Form6 shows it: 1-9, then A-E.
std::string DropName(int drop) {
    return std::string(1, static_cast<char>(drop < 9 ? '1' + drop : 'A' + drop - 9));
}

// A history or memory list: the pick may not be reduced by its budget.
CatalogueField BudgetField(std::string name, int address, std::vector<std::string> rows,
                           std::function<std::optional<int>(const PagerImage&)> read,
                           std::function<BudgetPick(PagerImage&, int, UserDialogs&)> pick) {
    CatalogueField f = ListField(
        kPageStatus, std::move(name), {{address, 0xFF}}, rows,
        [read](const PagerImage& image) { return read(image).value_or(-1); },
        [](PagerImage&, int) {});
    f.encode = [rows, pick](PagerImage& image, const FieldValue& v) -> std::string {
        const std::string* text = Text(v);
        for (std::size_t row = 0; text && row < rows.size(); ++row) {
            if (rows[row] != *text) continue;
            RecordingDialogs said;
            const BudgetPick p = pick(image, static_cast<int>(row), said);
            return !p.refused && p.row == static_cast<int>(row) ? std::string() : said.first;
        }
        return "expects one of " + RowsText(rows);
    };
    f.retried = true;
    return f;
}

// The function table of the capcode at `element` (3 for capcode 1, 0-2 for capcodes 2-4).
void AddFunctionTable(std::vector<CatalogueField>& c, int element) {
    const FunctionBases b = FunctionBasesFor(element);
    const std::string capcode = "Capcode " + std::to_string(element == 3 ? 1 : element + 2);
    for (int bit = 0; bit < kFunctionBits; ++bit) {
        const std::string prefix = capcode + " Fun. Bit " + std::string(1, "ABCD"[bit]) + " ";
        c.push_back(ListField(
            kPageCode, prefix + "Display",
            {{b.display + bit / 2, static_cast<std::uint8_t>(bit % 2 ? 0x0F : 0xF0)}},
            Strings(kDisplayRows),
            [element, bit](const PagerImage& i) { return FunctionDisplay(i, element, bit); },
            [element, bit](PagerImage& i, int row) {
                WriteFunctionDisplay(i, element, bit, row);
            }));
        c.push_back(ListField(
            kPageCode, prefix + "Type", {{b.type + bit, 0xFF}}, Strings(kAddressTypeRows),
            [element, bit](const PagerImage& i) {
                return FunctionTypeRow(i, element, bit).value_or(-1);
            },
            [element, bit](PagerImage& i, int row) { WriteFunctionType(i, element, bit, row); }));
        c.push_back(BoolField(
            kPageCode, prefix + "Priority", {Bits(b.priority, 7 - bit, 1)},
            [element, bit](const PagerImage& i) { return FunctionPriority(i, element, bit); },
            [element, bit](PagerImage& i, bool on) {
                WriteFunctionPriority(i, element, bit, on);
            }));
        c.push_back(BoolField(
            kPageCode, prefix + "Enable", {Bits(b.enable, bit, 1)},
            [element, bit](const PagerImage& i) { return FunctionEnabled(i, element, bit); },
            [element, bit](PagerImage& i, bool on) { WriteFunctionEnabled(i, element, bit, on); }));
    }
}

CatalogueField Password(std::string name, int box) {
    const int a = PasswordAddress(box);
    CatalogueField f = Field(
        kPageStatus, std::move(name), FieldKind::Digits, Bytes(a, a + kPasswordDigits - 1),
        [box](const PagerImage& image) -> std::optional<FieldValue> {
            return PasswordText(image, box);
        },
        [box](PagerImage& image, const FieldValue& v) -> std::string {
            const std::optional<std::string> text = DigitsText(v);
            if (!text) return "expects a text of digits";
            RecordingDialogs said;
            switch (PasswordKeyUp(image, box, *text, said)) {
                case PasswordEntry::Stored:
                    return {};
                case PasswordEntry::Empty:
                    return "is empty";
                default:
                    return said.first;
            }
        });
    f.secret = true;
    return f;
}

CatalogueField Capcode(int entry) {
    const int a = CapcodeAddress(entry);
    return Field(
        kPageCode, "Cap #" + std::to_string(entry + 1), FieldKind::Digits,
        {{a, 0x7F}, {a + 1, 0xFF}, {a + 2, 0xFF}},
        [entry](const PagerImage& image) -> std::optional<FieldValue> {
            return CapcodeText(image, entry);
        },
        [entry](PagerImage& image, const FieldValue& v) -> std::string {
            const std::optional<std::string> text = DigitsText(v);
            if (!text) return "expects a text of digits";
            RecordingDialogs said;
            switch (EnterCapcode(image, entry, *text, said)) {
                case CapcodeEntry::Stored:
                    return {};
                case CapcodeEntry::Empty:
                    return "is empty";
                default:
                    return said.first;
            }
        });
}

CatalogueField Prompt(std::string_view page, std::string name, int slot) {
    std::vector<BitSpan> bits = {{slot, 0x0F}};
    for (BitSpan s : Bytes(slot + 1, slot + 1 + kPromptTextBytes)) bits.push_back(s);
    CatalogueField f = Field(
        page, std::move(name), FieldKind::Prompt, std::move(bits),
        [slot](const PagerImage& image) -> std::optional<FieldValue> {
            return PromptDisplayText(image, slot);
        },
        [slot](PagerImage& image, const FieldValue& v) -> std::string {
            if (const auto* full = std::get_if<TextAndUnused>(&v)) {
                const std::size_t n = full->text.size();
                if (full->blanks < 0 || full->blanks > 15) return "blanks must be 0 to 15";
                if (n > kPromptTextBytes || full->unused.size() != kPromptTextBytes - n) {
                    return "text and unused bytes must make " + std::to_string(kPromptTextBytes) +
                           " bytes, the text at most that";
                }
                image.set(slot, static_cast<std::uint8_t>((image.at(slot) & 0xF0) | full->blanks));
                image.set(slot + 1, static_cast<std::uint8_t>(n));
                const std::string bytes = full->text + full->unused;
                for (std::size_t i = 0; i < bytes.size(); ++i) {
                    image.set(slot + 2 + static_cast<int>(i), static_cast<std::uint8_t>(bytes[i]));
                }
                return {};
            }
            const std::string* text = Text(v);
            if (!text) return "expects a text";
            RecordingDialogs said;
            return StorePromptText(image, slot, *text, said) ? std::string() : said.first;
        });
    f.decodeFull = [slot](const PagerImage& image) -> std::optional<FieldValue> {
        const int used = image.at(slot + 1);
        if (used > kPromptTextBytes) return std::nullopt;
        TextAndUnused full{image.at(slot) & 0x0F, {}, {}};
        for (int i = 0; i < kPromptTextBytes; ++i) {
            (i < used ? full.text : full.unused)
                .push_back(static_cast<char>(image.at(slot + 2 + i)));
        }
        return full;
    };
    return f;
}

std::optional<FieldValue> DecodeFrequency(const PagerImage& image) {
    const BandRecognition band = DetectBandFromImage(image.bytes());
    if (!band.row || !SpacingForCode(image.at(kSpacingCodeAddress))) return std::nullopt;
    FrequencyState state;
    state.bandRow = *band.row;
    state.multiplier = band.multiplier.value_or(1);
    return ReadPll(image, state).freqText;
}

// The frequency box given the text, in the band the image holds (as after opening a file), at
// the spacing it holds.
std::string EncodeFrequency(PagerImage& image, const FieldValue& v) {
    const std::optional<std::string> text = DigitsText(v);
    if (!text) return "expects a text of digits";
    const BandRecognition band = DetectBandFromImage(image.bytes());
    if (!band.row) return "the image names no band (Range Of Frequency)";
    FrequencyState state;
    state.bandRow = *band.row;
    state.multiplier = band.multiplier.value_or(1);
    const int code = image.at(kSpacingCodeAddress);
    const std::optional<float> spacing = SpacingForCode(code);
    if (!spacing) return "the channel spacing code " + std::to_string(code) + " names no spacing";
    state.spacingKHz = *spacing;
    state.combo1Row = code == 6 ? 0 : code == 1 ? 1 : 2;
    RecordingDialogs said;
    switch (EnterFrequency(image, state, *text, said)) {
        case FrequencyEntry::Accepted:
            return {};
        case FrequencyEntry::Empty:
            return "is empty";
        default:
            return said.first;
    }
}

CatalogueField Frequency() {
    std::vector<BitSpan> bits = Bytes(0x390, 0x396);
    for (BitSpan s : Bytes(0x398, 0x39D)) bits.push_back(s);
    bits.push_back({kGpMarkerAddress, 0xFF});
    return Field(kPageCode, "Frequency Of Pager", FieldKind::Frequency, std::move(bits),
                 DecodeFrequency, EncodeFrequency);
}

std::vector<std::string> SpacingRows() {
    std::vector<std::string> rows;
    for (int code = 0; SpacingForCode(code); ++code)
        rows.push_back(SpacingText(*SpacingForCode(code)));
    return rows;
}

CatalogueField Contrast() {
    return Field(
        kPageStatus, "Screen Contrast", FieldKind::Number, {{kContrastAddress, 0xFF}},
        [](const PagerImage& image) -> std::optional<FieldValue> {
            const int v = ContrastFromImage(image);
            if (v > kContrastMax) return std::nullopt;
            return std::int64_t{v};
        },
        [](PagerImage& image, const FieldValue& v) -> std::string {
            const std::int64_t* n = std::get_if<std::int64_t>(&v);
            if (!n || *n < 0 || *n > kContrastMax) {
                return "expects a number from 0 to " + std::to_string(kContrastMax);
            }
            WriteContrast(image, static_cast<int>(*n));
            return {};
        });
}

// The checked boxes of "Menu Of Pager", by caption.
CatalogueField PagerMenu() {
    const std::vector<std::string> captions = Strings(kPagerMenuCaptions);
    return Field(
        kPageStatus, "Menu Of Pager", FieldKind::Menu, Bytes(0x0C0, 0x0C6),
        [captions](const PagerImage& image) -> std::optional<FieldValue> {
            const PagerMenuDisabled disabled = ReadPagerMenu(image);
            std::string s;
            for (std::size_t i = 0; i < disabled.size(); ++i) {
                if (disabled[i]) s += (s.empty() ? "" : ", ") + captions[i];
            }
            return s;
        },
        [captions](PagerImage& image, const FieldValue& v) -> std::string {
            const std::string* text = Text(v);
            if (!text) return "expects a text";
            PagerMenuDisabled disabled{};
            std::size_t start = 0;
            while (start < text->size()) {
                std::size_t end = text->find(',', start);
                if (end == std::string::npos) end = text->size();
                std::string item = text->substr(start, end - start);
                item.erase(0, item.find_first_not_of(' '));
                item.erase(item.find_last_not_of(' ') + 1);
                bool known = false;
                for (std::size_t i = 0; i < captions.size(); ++i) {
                    if (captions[i] == item) disabled[i] = known = true;
                }
                if (!known && !item.empty()) {
                    return "has no box \"" + item + "\"; boxes: " + RowsText(captions);
                }
                start = end + 1;
            }
            WritePagerMenu(image, disabled);
            return {};
        },
        captions);
}

std::vector<CatalogueField> BuildCatalogue() {
    std::vector<CatalogueField> c;
    // The prompt language first: its writer puts the language's built-in texts into every slot
    // and its code into the character set, before the slots' own values go in.
    c.push_back(ListField(
        kPagePrompts, "Language", {Bits(0x03E, 0, 4), Bits(0x03A, 0, 4)}, Strings(kLanguageItems),
        [](const PagerImage& i) { return LanguageRowFromImage(i).value_or(-1); },
        [](PagerImage& i, int row) { SelectPromptLanguage(i, row); }));
    // Code and Features. The band, whose writer sets the defaults of the fields after it, and
    // the spacing code come before the frequency, whose writer reads them.
    c.push_back(ListField(
        kPageCode, "Range Of Frequency", {{kBandByteAddress, 0xFF}}, Strings(kBandRowTexts),
        [](const PagerImage& image) { return DetectBandFromImage(image.bytes()).row.value_or(-1); },
        [](PagerImage& image, int row) {
            // The band list's own handler: the band's default frequency, spacing and baud rate.
            FrequencyState state;
            RecordingDialogs said;
            SelectBand(image, state, row, DefaultProgramSettings(), said);
        }));
    c.push_back(ListField(
        kPageCode, "Channel", {{kSpacingCodeAddress, 0xFF}}, SpacingRows(),
        [](const PagerImage& image) { return static_cast<int>(image.at(kSpacingCodeAddress)); },
        [](PagerImage& image, int row) {
            image.set(kSpacingCodeAddress, static_cast<std::uint8_t>(row));
        }));
    c.push_back(Frequency());
    c.push_back(TaggedList(kPageCode, "Bandwidth", 0));
    c.push_back(TaggedBox(kPageCode, "Frequency Modification Enable", 4));
    for (int k = 0; k < kCapcodeCount; ++k) {
        c.push_back(Capcode(k));
        c.push_back(TaggedBox(kPageCode, "Cap #" + std::to_string(k + 1) + " ON", 10 + k));
    }
    for (int element : {3, 0, 1, 2}) AddFunctionTable(c, element);
    for (int index = 0; index < 2; ++index) {
        const std::string capcode = "Capcode " + std::to_string(index + 5);
        c.push_back(TaggedList(kPageCode, capcode + " Display", index == 0 ? 1 : 7));
        c.push_back(ListField(
            kPageCode, capcode + " Type", {{0x3AC + index, 0xFF}}, Strings(kAddressTypeRows),
            [index](const PagerImage& i) { return SingleTypeRow(i, index).value_or(-1); },
            [index](PagerImage& i, int row) { WriteSingleType(i, index, row); }));
        c.push_back(TaggedBox(kPageCode, capcode + " Priority", index == 0 ? 8 : 9));
    }

    // Alerts and Status.
    c.push_back(PagerMenu());
    c.push_back(ListField(kPageStatus, "Tone", {{0x0F7, 0xFF}}, Strings(kToneRows),
                          ToneRowFromImage, WriteToneRow));
    for (int index : {0, 1, 2, 5, 6, 7, 16, 17, 3, 21, 18, 19, 20, 22, 23, 24, 25}) {
        std::string caption(CheckBoxTag(index)->caption);
        caption.erase(caption.find_last_not_of(' ') + 1);
        // The bytes these two boxes set with their bit follow them.
        std::vector<BitSpan> alsoWrites;
        if (index == 17) alsoWrites = {{0x35A, 0xFF}};
        if (index == 18) alsoWrites = {{0x375, 0x0C}, {0x376, 0xFF}};
        c.push_back(TaggedBox(kPageStatus, caption, index, alsoWrites));
    }
    for (int index : {9, 5, 2, 4, 6, 3}) {
        // The baud rate's two timing bytes follow its row.
        const std::vector<BitSpan> alsoWrites =
            index == 9 ? std::vector<BitSpan>{{0x372, 0xFF}, {0x373, 0xFF}}
                       : std::vector<BitSpan>{};
        c.push_back(
            TaggedList(kPageStatus, std::string(ListTag(index)->caption), index, alsoWrites));
    }
    c.push_back(ListField(kPageStatus, "Sequential Lockout", {{0x03C, 0x0F}}, Strings(kLockoutRows),
                          LockoutRowFromImage, WriteLockoutRow));
    c.push_back(ListField(kPageStatus, "Out-of Service", {{0x03D, 0x0E}},
                          Strings(kOutOfServiceRows), OutOfServiceRowFromImage,
                          WriteOutOfServiceRow));
    const char* const batteryNames[] = {"Battery Gauge Level-Low", "Battery Gauge Level-Med",
                                        "Battery Gauge Level-High"};
    for (int level = 0; level < kBatteryLevels; ++level) {
        std::vector<BitSpan> bits = {{0x381 + level, 0xFF}};
        if (level == 0) bits.push_back({0x380, 0xFF});  // the copy of the low level
        c.push_back(ListField(
            kPageStatus, batteryNames[level], bits, RowTexts(kBatteryRows),
            [level](const PagerImage& i) { return BatteryRowFromImage(i, level).value_or(-1); },
            [level](PagerImage& i, int row) {
                // The order warning only warns; the level is stored.
                RecordingDialogs said;
                SelectBatteryLevel(i, level, row, said);
            }));
    }
    c.push_back(Password("Password", 0));
    c.push_back(Password("Read Msg. Password", 1));
    // The message status editor (Msg Status Select).
    c.push_back(ListField(
        kPageStatus, "Personal Alert Length", {{0x0D0, 0xFF}}, RowTexts(kPersonalAlertRows),
        [](const PagerImage& i) { return PersonalAlertRow(i).value_or(-1); }, WritePersonalAlert));
    c.push_back(BudgetField(
        "Personal Memory", 0x00A, Strings(kPersonalMemoryRows),
        [](const PagerImage& i) { return MemoryRow(i, kPersonalMemoryList); },
        [](PagerImage& i, int row, UserDialogs& d) {
            return PickMemory(i, kPersonalMemoryList, row, d);
        }));
    for (int d = 0; d < kMailDrops; ++d) {
        const std::string drop = "Drop " + DropName(d) + " ";
        c.push_back(ListField(
            kPageStatus, drop + "Alert Length",
            {Bits(d < 8 ? 0x037 : 0x038, d < 8 ? 7 - d : 15 - d, 1), {0x0D1 + d, 0xFF}},
            RowTexts(kMailAlertRows),
            [d](const PagerImage& i) { return MailAlertRow(i, d).value_or(-1); },
            [d](PagerImage& i, int row) { WriteMailAlert(i, d, row); }));
        c.push_back(BudgetField(
            drop + "History", 0x00F + d, Strings(kHistoryRows),
            [d](const PagerImage& i) { return HistoryRow(i, d); },
            [d](PagerImage& i, int row, UserDialogs& dl) { return PickHistory(i, d, row, dl); }));
        c.push_back(BudgetField(
            drop + "Memory", 0x01E + d, Strings(kDropMemoryRows),
            [d](const PagerImage& i) { return MemoryRow(i, d); },
            [d](PagerImage& i, int row, UserDialogs& dl) { return PickMemory(i, d, row, dl); }));
    }
    c.push_back(ListField(
        kPageStatus, "Logo Font", {Bits(LogoTag().address, LogoTag().firstBit, LogoTag().bitCount)},
        Strings(LogoTag().rows),
        [](const PagerImage& image) { return LogoListRow(image).value_or(-1); },
        [](PagerImage& image, int row) { ApplyLogoFont(image, row); }));
    c.push_back(Prompt(kPageStatus, "Power Up Logo", kLogoSlot));
    c.push_back(Contrast());

    // Prompts Edit: txtPrompt(1..32).
    const auto prompts = PromptTags();
    for (std::size_t i = 1; i < prompts.size(); ++i) {
        // "Prompt 9 (SET TIME)": the box's index and its caption without the arrow.
        std::string caption = PromptCaption(static_cast<int>(i));
        caption.erase(caption.find_last_not_of(" ->") + 1);
        c.push_back(Prompt(kPagePrompts, "Prompt " + std::to_string(i) + " (" + caption + ")",
                           prompts[i].address));
    }
    return c;
}

}  // namespace

const std::vector<CatalogueField>& FieldCatalogue() {
    static const std::vector<CatalogueField> catalogue = BuildCatalogue();
    return catalogue;
}

const CatalogueField* FindField(std::string_view name) {
    for (const CatalogueField& f : FieldCatalogue()) {
        if (f.name == name) return &f;
    }
    return nullptr;
}

ByteMasks NamedMasks() {
    ByteMasks masks{};
    for (const CatalogueField& f : FieldCatalogue()) {
        for (const BitSpan& s : f.bits) masks[static_cast<std::size_t>(s.address)] |= s.mask;
    }
    return masks;
}

}  // namespace kpx
