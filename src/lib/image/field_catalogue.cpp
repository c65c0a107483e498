#include "image/field_catalogue.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "image/charmap.h"
#include "image/default_image.h"
#include "image/field_tags.h"
#include "image/startup_image.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "settings/frequency.h"
#include "settings/panel_fields.h"
#include "texts/logo.h"
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

CatalogueField TaggedBox(std::string_view page, std::string name, int index) {
    const FieldTag* tag = CheckBoxTag(index);
    return Field(
        page, std::move(name), FieldKind::Bit, {Bits(tag->address, tag->firstBit, tag->bitCount)},
        [tag](const PagerImage& image) -> std::optional<FieldValue> {
            return ReadCheckBox(image, *tag);
        },
        [tag](PagerImage& image, const FieldValue& v) -> std::string {
            const bool* checked = std::get_if<bool>(&v);
            if (!checked) return "expects true or false";
            WriteCheckBox(image, *tag, *checked);
            return {};
        });
}

CatalogueField TaggedList(std::string_view page, std::string name, int index) {
    const FieldTag* tag = ListTag(index);
    return ListField(
        page, std::move(name), {Bits(tag->address, tag->firstBit, tag->bitCount)},
        Strings(tag->rows), [tag](const PagerImage& image) { return ReadListRow(image, *tag); },
        [tag](PagerImage& image, int row) { WriteListRow(image, *tag, row); });
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
            const auto* full = std::get_if<TextAndUnused>(&v);
            const std::string* text = full ? &full->text : Text(v);
            if (!text) return "expects a text";
            RecordingDialogs said;
            if (!StorePromptText(image, slot, *text, said)) return said.first;
            if (!full) return {};
            const int used = image.at(slot + 1);
            if (full->unused.size() != static_cast<std::size_t>(kPromptTextBytes - used)) {
                return "the text leaves " + std::to_string(kPromptTextBytes - used) +
                       " unused bytes, not " + std::to_string(full->unused.size());
            }
            for (std::size_t i = 0; i < full->unused.size(); ++i) {
                image.set(slot + 2 + used + static_cast<int>(i),
                          static_cast<std::uint8_t>(full->unused[i]));
            }
            return {};
        });
    f.decodeFull = [slot](const PagerImage& image) -> std::optional<FieldValue> {
        const int used = image.at(slot + 1);
        if (used > kPromptTextBytes) return std::nullopt;
        std::string unused;
        for (int a = slot + 2 + used; a < slot + 2 + kPromptTextBytes; ++a) {
            unused.push_back(static_cast<char>(image.at(a)));
        }
        return TextAndUnused{PromptDisplayText(image, slot), unused};
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
    c.push_back(TaggedList(kPageCode, "Capcode 5 Display", 1));
    c.push_back(TaggedBox(kPageCode, "Capcode 5 Priority", 8));
    c.push_back(TaggedList(kPageCode, "Capcode 6 Display", 7));
    c.push_back(TaggedBox(kPageCode, "Capcode 6 Priority", 9));

    // Alerts and Status.
    c.push_back(PagerMenu());
    c.push_back(ListField(kPageStatus, "Tone", {{0x0F7, 0xFF}}, Strings(kToneRows),
                          ToneRowFromImage, WriteToneRow));
    for (int index : {0, 1, 2, 5, 6, 7, 16, 17, 3, 21, 18, 19, 20, 22, 23, 24, 25}) {
        std::string caption(CheckBoxTag(index)->caption);
        caption.erase(caption.find_last_not_of(' ') + 1);
        c.push_back(TaggedBox(kPageStatus, caption, index));
    }
    for (int index : {9, 5, 2, 4, 6, 3}) {
        c.push_back(TaggedList(kPageStatus, std::string(ListTag(index)->caption), index));
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
        c.push_back(Prompt(kPagePrompts, "Prompt " + std::to_string(i), prompts[i].address));
    }
    return c;
}

const PagerImage& BaseImage() {
    static const PagerImage base = BuildStartupImage(DefaultProgramSettings());
    return base;
}

bool SameBits(const PagerImage& a, const PagerImage& b, const std::vector<BitSpan>& bits) {
    for (const BitSpan& s : bits) {
        if ((a.at(s.address) ^ b.at(s.address)) & s.mask) return false;
    }
    return true;
}

bool SameUnder(const PagerImage& a, const PagerImage& b, const ByteMasks& masks) {
    for (int i = 0; i < kImageSize; ++i) {
        if ((a.at(i) ^ b.at(i)) & masks[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

// The writer given the value; exceptions from arithmetic on foreign values are refusals too.
std::string Encode(const CatalogueField& field, PagerImage& image, const FieldValue& value) {
    if (const RawBits* raw = std::get_if<RawBits>(&value)) {
        return ApplyRaw(image, field, *raw) ? std::string()
                                            : "raw value does not fit the field's bits";
    }
    try {
        return field.encode(image, value);
    } catch (const std::exception& e) {
        return e.what();
    }
}

void KeepUnnamed(PagerImage& image, const std::vector<UnnamedRun>& runs) {
    static const ByteMasks named = NamedMasks();
    for (const UnnamedRun& run : runs) {
        for (int a = run.first; a <= run.last; ++a) {
            const auto m = static_cast<std::uint8_t>(~named[static_cast<std::size_t>(a)]);
            const std::uint8_t v = run.bytes[static_cast<std::size_t>(a - run.first)];
            image.set(a, static_cast<std::uint8_t>((image.at(a) & ~m) | (v & m)));
        }
    }
}

// Consecutive addresses where `differs` holds, as runs.
template <typename Pred>
std::vector<std::pair<int, int>> Runs(Pred differs) {
    std::vector<std::pair<int, int>> runs;
    for (int a = 0; a < kImageSize; ++a) {
        if (!differs(a)) continue;
        if (!runs.empty() && runs.back().second == a - 1) {
            runs.back().second = a;
        } else {
            runs.push_back({a, a});
        }
    }
    return runs;
}

std::vector<std::uint8_t> Slice(const PagerImage& image, int first, int last,
                                const ByteMasks& masks) {
    std::vector<std::uint8_t> bytes;
    for (int a = first; a <= last; ++a) {
        bytes.push_back(image.at(a) & masks[static_cast<std::size_t>(a)]);
    }
    return bytes;
}

ByteMasks UnnamedMasks() {
    ByteMasks m = NamedMasks();
    for (auto& b : m) b = static_cast<std::uint8_t>(~b);
    return m;
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

RawBits RawOf(const PagerImage& image, const CatalogueField& field) {
    RawBits raw;
    for (const BitSpan& s : field.bits) raw.bytes.push_back(image.at(s.address) & s.mask);
    return raw;
}

bool ApplyRaw(PagerImage& image, const CatalogueField& field, const RawBits& raw) {
    if (raw.bytes.size() != field.bits.size()) return false;
    for (std::size_t i = 0; i < raw.bytes.size(); ++i) {
        if (raw.bytes[i] & ~field.bits[i].mask) return false;
    }
    for (std::size_t i = 0; i < raw.bytes.size(); ++i) {
        const BitSpan& s = field.bits[i];
        image.set(s.address,
                  static_cast<std::uint8_t>((image.at(s.address) & ~s.mask) | raw.bytes[i]));
    }
    return true;
}

std::vector<FieldReading> ReadFields(const PagerImage& image) {
    // Replays the import: a field keeps the control's value only when entering it gives back
    // its exact bits and leaves the fields entered before it alone.
    PagerImage replay = BaseImage();
    KeepUnnamed(replay, UnnamedOf(image));
    ByteMasks entered{};
    std::vector<FieldReading> readings;
    for (const CatalogueField& f : FieldCatalogue()) {
        std::optional<FieldValue> value;
        for (const auto& decode : {f.decode, f.decodeFull}) {
            if (!decode) continue;
            try {
                value = decode(image);
            } catch (const std::exception&) {
                value.reset();
            }
            PagerImage trial = replay;
            if (value && Encode(f, trial, *value).empty() && SameBits(trial, image, f.bits) &&
                SameUnder(trial, replay, entered)) {
                replay = trial;
                break;
            }
            value.reset();
        }
        if (!value) {
            value = RawOf(image, f);
            ApplyRaw(replay, f, std::get<RawBits>(*value));
        }
        readings.push_back({&f, std::move(*value)});
        for (const BitSpan& s : f.bits) entered[static_cast<std::size_t>(s.address)] |= s.mask;
    }
    return readings;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string s;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!s.empty()) s += ' ';
        s += buf;
    }
    return s;
}

std::string RunName(int first, int last) {
    char buf[16];
    if (first == last) {
        std::snprintf(buf, sizeof buf, "0x%03X", first);
    } else {
        std::snprintf(buf, sizeof buf, "0x%03X-0x%03X", first, last);
    }
    return buf;
}

std::string ValueText(const CatalogueField& field, const FieldValue& value, bool showSecrets) {
    if (field.secret && !showSecrets) return "****";
    if (const bool* b = std::get_if<bool>(&value)) return *b ? "on" : "off";
    if (const std::int64_t* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
    if (const RawBits* raw = std::get_if<RawBits>(&value)) return "raw " + HexBytes(raw->bytes);
    if (const auto* full = std::get_if<TextAndUnused>(&value)) return "\"" + full->text + "\"";
    const std::string& s = std::get<std::string>(value);
    if (field.kind == FieldKind::Prompt) return "\"" + s + "\"";
    if (field.kind == FieldKind::Menu && s.empty()) return "(none)";
    return s;
}

std::vector<UnnamedRun> UnnamedOf(const PagerImage& image) {
    const ByteMasks unnamed = UnnamedMasks();
    std::vector<UnnamedRun> runs;
    for (int a = 0; a < kImageSize; ++a) {
        const std::uint8_t m = unnamed[static_cast<std::size_t>(a)];
        if (m == 0) continue;
        const std::uint8_t v = image.at(a) & m;
        if (m == 0xFF && !runs.empty() && runs.back().mask == 0xFF && runs.back().last == a - 1) {
            runs.back().last = a;
            runs.back().bytes.push_back(v);
        } else {
            runs.push_back({a, a, m, {v}});
        }
    }
    return runs;
}

std::string CheckUnnamedRun(const UnnamedRun& run) {
    if (run.first < 0 || run.last >= kImageSize || run.first > run.last) {
        return "addresses outside 0x000-0x3FF";
    }
    if (run.bytes.size() != static_cast<std::size_t>(run.last - run.first + 1)) {
        return "holds " + std::to_string(run.bytes.size()) + " bytes for " +
               std::to_string(run.last - run.first + 1) + " addresses";
    }
    static const ByteMasks unnamed = UnnamedMasks();
    for (int a = run.first; a <= run.last; ++a) {
        const std::uint8_t m = unnamed[static_cast<std::size_t>(a)];
        const std::uint8_t v = run.bytes[static_cast<std::size_t>(a - run.first)];
        if (m == 0) return RunName(a, a) + " belongs to a named field";
        if (v & ~m) {
            const std::uint8_t mb[] = {m};
            return RunName(a, a) + " may only set the unnamed bits " + HexBytes(mb);
        }
    }
    return {};
}

ImageBuild BuildImage(const std::vector<FieldReading>& fields,
                      const std::vector<UnnamedRun>& unnamed) {
    ImageBuild build{BaseImage(), {}, {}};
    KeepUnnamed(build.image, unnamed);
    for (const CatalogueField& f : FieldCatalogue()) {
        for (const FieldReading& r : fields) {
            if (r.field != &f) continue;
            std::string problem = Encode(f, build.image, r.value);
            if (!problem.empty()) build.errors.push_back({f.name, std::move(problem)});
        }
    }
    const PagerImage written = build.image;
    KeepUnnamed(build.image, unnamed);
    const ByteMasks masks = UnnamedMasks();
    for (auto [first, last] : Runs([&](int a) { return written.at(a) != build.image.at(a); })) {
        build.overridden.push_back({first, last, 0xFF, Slice(written, first, last, masks)});
    }
    return build;
}

ImageDiff DiffImages(const PagerImage& before, const PagerImage& after, bool showSecrets) {
    ImageDiff diff;
    const std::vector<FieldReading> a = ReadFields(before);
    const std::vector<FieldReading> b = ReadFields(after);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const CatalogueField& f = *a[i].field;
        if (SameBits(before, after, f.bits)) continue;
        FieldChange change{&f, ValueText(f, a[i].value, showSecrets),
                           ValueText(f, b[i].value, showSecrets)};
        // Bits the shown values do not tell apart (a prompt's unused bytes) are shown raw.
        if (change.before == change.after && (!f.secret || showSecrets)) {
            change.before = ValueText(f, RawOf(before, f));
            change.after = ValueText(f, RawOf(after, f));
        }
        diff.fields.push_back(std::move(change));
    }
    const ByteMasks masks = UnnamedMasks();
    for (auto [first, last] : Runs([&](int x) {
             return ((before.at(x) ^ after.at(x)) & masks[static_cast<std::size_t>(x)]) != 0;
         })) {
        diff.unnamed.push_back(
            {first, last, Slice(before, first, last, masks), Slice(after, first, last, masks)});
    }
    return diff;
}

ImageDiff DiffVerified(const PagerImage& written, const ImageBytes& pager) {
    PagerImage expected = written;
    PagerImage found(pager);
    DecodeTextRegions(expected);
    DecodeTextRegions(found);
    return DiffImages(expected, found, false);
}

std::vector<std::string> DiffLines(const ImageDiff& diff) {
    std::vector<std::string> lines;
    for (const FieldChange& c : diff.fields) {
        lines.push_back(c.field->name + ": " + c.before + " -> " + c.after);
    }
    for (const UnnamedChange& c : diff.unnamed) {
        lines.push_back(RunName(c.first, c.last) + ": " + HexBytes(c.before) + " -> " +
                        HexBytes(c.after));
    }
    return lines;
}

}  // namespace kpx
