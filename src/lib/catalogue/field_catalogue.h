#pragma once

// catalogue/: every setting as a named field (dump, diff, JSON) and the start-up image, composed
// from settings/ and texts/. It may use those and every layer below them.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "image/pager_image.h"
#include "support/hex.h"

namespace kpx {

// The window's pages, in the order a dump lists them.
inline constexpr std::string_view kPageCode = "Code and Features";
inline constexpr std::string_view kPageStatus = "Alerts and Status";
inline constexpr std::string_view kPagePrompts = "Prompts Edit";
inline constexpr std::array<std::string_view, 3> kCataloguePages = {kPageCode, kPageStatus,
                                                                    kPagePrompts};

// How a field's value is written: what kind of control the window edits it with.
enum class FieldKind {
    Bit,        // a check box: true/false
    List,       // a list: one of its row texts
    Number,     // a slider: a whole number
    Digits,     // a box of decimal digits (capcode, password)
    Frequency,  // the frequency box with the synthesiser words it implies
    Prompt,     // a prompt slot's text (Windows-1252 bytes)
    Menu,       // a set of check boxes sharing bytes: the checked captions, ", " between
};

// The bits one field covers in one byte.
struct BitSpan {
    int address;
    std::uint8_t mask;
};

// A field's bits as they stand, one byte per span (masked): how a value the window cannot show
// or enter is kept exactly.
struct RawBits {
    std::vector<std::uint8_t> bytes;
    bool operator==(const RawBits&) const = default;
};

// A prompt slot exactly as it stands, for slots the window's store would rewrite (the built-in
// tables count blanks inside the text, a shortened text leaves letters behind): the blank
// columns of the attribute, the text bytes the length byte counts, and the bytes after them.
struct TextAndUnused {
    int blanks = 0;
    std::string text;
    std::string unused;
    bool operator==(const TextAndUnused&) const = default;
};

using FieldValue = std::variant<bool, std::int64_t, std::string, RawBits, TextAndUnused>;

// One named setting of the image. decode and encode are the window's own reader and writer of
// the control (with its checks and side effects), so the catalogue holds no rule of its own.
struct CatalogueField {
    std::string name;  // as the window's caption reads
    std::string_view page;
    FieldKind kind;
    std::vector<BitSpan> bits;
    std::vector<std::string> rows;  // list rows, menu captions (for help texts and schemas)
    bool secret = false;            // masked in a dump unless asked for
    // Its check depends on fields after it (a shared budget): a refusal is tried again once
    // the others are in.
    bool retried = false;
    // What the control shows for the image; nothing when it can show no value for these bits.
    std::function<std::optional<FieldValue>(const PagerImage&)> decode;
    // A fuller value for bits the control's value alone does not give back (may be empty).
    std::function<std::optional<FieldValue>(const PagerImage&)> decodeFull;
    // The control given the value: empty on success, else the refusal (the window's message).
    std::function<std::string(PagerImage&, const FieldValue&)> encode;
};

// Every named field, in the order import applies them (a field whose writer touches another
// field's bits comes before it).
const std::vector<CatalogueField>& FieldCatalogue();
const CatalogueField* FindField(std::string_view name);

// Per address, the bits that some field names; the rest of each byte is unnamed and kept.
using ByteMasks = std::array<std::uint8_t, kImageSize>;
ByteMasks NamedMasks();

// The field's bits in `image`, and writing them back unchanged.
RawBits RawOf(const PagerImage& image, const CatalogueField& field);
// A raw value that fits the field's bits; false (nothing written) otherwise.
bool ApplyRaw(PagerImage& image, const CatalogueField& field, const RawBits& raw);

// A field with the value an export writes for it.
struct FieldReading {
    const CatalogueField* field;
    FieldValue value;
};
// Every field of the image: the control's value where entering that value again (in catalogue
// order, starting from the start-up image) gives back the exact bits, else the fuller value
// where that does, else the raw bits. BuildImage(ReadFields(x), UnnamedOf(x)) is x.
std::vector<FieldReading> ReadFields(const PagerImage& image);

// The value as a dump shows it: "on"/"off", row texts, digits, quoted texts (without their
// unused bytes), "raw 1F FF".
// A secret field shows "****" unless showSecrets.
std::string ValueText(const CatalogueField& field, const FieldValue& value,
                      bool showSecrets = true);

// Unnamed bits, as runs: a run of whole unnamed bytes, or one byte whose other bits are named.
struct UnnamedRun {
    int first;
    int last;
    std::uint8_t mask;                // 0xFF for whole bytes, else the unnamed bits of `first`
    std::vector<std::uint8_t> bytes;  // values, masked
};
std::vector<UnnamedRun> UnnamedOf(const PagerImage& image);
// "0x004-0x009" or "0x036".
std::string RunName(int first, int last);

// Builds an image as import does: the start-up image; the unnamed runs given; every field given
// through its writer, in catalogue order; the unnamed runs again, since they are always kept.
// Fields not given keep the start-up image's values. A refused field is reported with its
// name and leaves the build incomplete (check errors before using the image).
struct FieldError {
    std::string field;
    std::string message;
};
struct ImageBuild {
    PagerImage image;
    std::vector<FieldError> errors;
    // Unnamed bytes whose kept value differs from what a field's writer put there.
    std::vector<UnnamedRun> overridden;
};
ImageBuild BuildImage(const std::vector<FieldReading>& fields,
                      const std::vector<UnnamedRun>& unnamed);
// A run checked against the layout: a message when it covers named bits or is malformed.
std::string CheckUnnamedRun(const UnnamedRun& run);

// Field by field, what differs between two images.
struct FieldChange {
    const CatalogueField* field;
    std::string before;
    std::string after;
};
struct UnnamedChange {
    int first;
    int last;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
};
struct ImageDiff {
    std::vector<FieldChange> fields;
    std::vector<UnnamedChange> unnamed;
    bool empty() const { return fields.empty() && unnamed.empty(); }
};
ImageDiff DiffImages(const PagerImage& before, const PagerImage& after, bool showSecrets = true);
// What a failed verify found: the image written and the pager's bytes, both in the pager's
// character set, compared as the window would show them (secret fields masked).
ImageDiff DiffVerified(const PagerImage& written, const ImageBytes& pager);
// "Cap #3: 1234562 -> 1234568" lines, then "0x372-0x373: 02 11 -> 05 1F" lines.
std::vector<std::string> DiffLines(const ImageDiff& diff);

}  // namespace kpx
