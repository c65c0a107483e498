// Reading an image into the catalogue's fields and building one back, and their differences.
#include <exception>

#include "catalogue/field_catalogue.h"
#include "catalogue/startup_image.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "support/gcc_string_warnings.h"

namespace kpx {

namespace {
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
        if (raw->bytes.size() != field.bits.size()) {
            return "raw holds " + std::to_string(raw->bytes.size()) + " bytes; the field has " +
                   std::to_string(field.bits.size());
        }
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

std::string RunName(int first, int last) {
    const auto address = [](int a) { return "0x" + HexNumber(static_cast<std::uint32_t>(a), 3); };
    return first == last ? address(first) : address(first) + "-" + address(last);
}

std::string ValueText(const CatalogueField& field, const FieldValue& value, bool showSecrets) {
    if (field.secret && !showSecrets) return "****";
    if (const bool* b = std::get_if<bool>(&value)) return *b ? "on" : "off";
    if (const std::int64_t* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
    if (const RawBits* raw = std::get_if<RawBits>(&value)) return "raw " + HexBytes(raw->bytes);
    if (const auto* full = std::get_if<TextAndUnused>(&value)) {
        KPX_GCC_STRING_FALSE_POSITIVE_BEGIN
        return "\"" + std::string(static_cast<std::size_t>(full->blanks), ' ') + full->text + "\"";
        KPX_GCC_STRING_FALSE_POSITIVE_END
    }
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
    // A refused field changes nothing. A field whose check depends on later ones is tried again
    // while that lets more of them in.
    std::vector<const FieldReading*> refused;
    auto apply = [&](const FieldReading& r) {
        PagerImage trial = build.image;
        std::string problem = Encode(*r.field, trial, r.value);
        if (problem.empty()) {
            build.image = trial;
        } else if (r.field->retried) {
            refused.push_back(&r);
        } else {
            build.errors.push_back({r.field->name, std::move(problem)});
        }
    };
    for (const CatalogueField& f : FieldCatalogue()) {
        for (const FieldReading& r : fields) {
            if (r.field == &f) apply(r);
        }
    }
    for (std::size_t before = refused.size() + 1; !refused.empty() && refused.size() < before;) {
        before = refused.size();
        std::vector<const FieldReading*> again;
        again.swap(refused);
        for (const FieldReading* r : again) apply(*r);
    }
    for (const FieldReading* r : refused) {
        PagerImage trial = build.image;
        build.errors.push_back({r->field->name, Encode(*r->field, trial, r->value)});
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
