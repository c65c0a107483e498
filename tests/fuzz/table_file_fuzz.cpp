// Table-file open and check, then everything the window reads from the image it opened.
#include <algorithm>

#include "fuzz_support.h"
#include "image/charmap.h"
#include "image/field_tags.h"
#include "image/table_file.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "settings/frequency.h"
#include "texts/prompt_text.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "table_file";

// The window's refresh of a freshly opened image, as far as the library does it.
void ReadEverything(const PagerImage& image) {
    FrequencyState state;
    state.bandRow = kBandRow130;
    state.multiplier = 2;
    const BandRecognition band = DetectBandFromImage(image.bytes());
    if (band.row) state.bandRow = *band.row;
    if (band.multiplier) state.multiplier = *band.multiplier;
    Check(state.bandRow >= 0 && state.bandRow < 4, kName, "recognised band row out of range");
    const PllDisplay pll = ReadPll(image, state);
    Check(pll.freqText.size() <= 16, kName, "frequency text of absurd length");
    ProgramSettings settings;
    if (auto sel = SpacingSelectorFromImage(image, state.bandRow, settings)) {
        Check(sel->row >= 0 && sel->row < static_cast<int>(sel->items.size()), kName,
              "spacing row outside its list");
    }
    for (int k = 0; k < kCapcodeCount; ++k) {
        Check(CapcodeText(image, k).size() == 7, kName, "capcode text is not 7 digits");
    }
    for (const FieldTag& tag : FieldTags()) {
        if (tag.kind == TagKind::Chk || tag.kind == TagKind::ChkN) ReadCheckBox(image, tag);
        if (tag.kind == TagKind::Cbo || tag.kind == TagKind::CboBaud) {
            const int row = ReadListRow(image, tag);
            Check(row >= -1 && row < static_cast<int>(tag.rows.size()), kName,
                  "list row outside the list");
        }
    }
    VisibilityFor(image);
    LogoListRow(image);
    for (const PromptTag& p : PromptTags()) {
        Check(PromptDisplayText(image, p.address).size() <= 15 + kPromptTextBytes, kName,
              "prompt text longer than its slot");
    }
    // Decoding converts text bytes only, and encoding gives the pager's bytes back: every byte
    // but a PC letter of the image's character set, which a pager's text never holds.
    PagerImage decoded = image;
    DecodeTextRegions(decoded);
    PagerImage encoded = decoded;
    EncodeTextRegions(encoded);
    const std::uint8_t charset = image.GetBits(0x3A, 0, 4);
    for (int a = 0; a < kImageSize; ++a) {
        const bool inText = (a >= 0x100 && a <= 0x343) || (a >= 0x3B0 && a <= 0x3D7);
        const bool textByte = inText && (a - (a >= 0x3B0 ? 0x3B0 : 0x100)) % 20 >= 2;
        const std::uint8_t b = image.at(a);
        if (!textByte) {
            Check(decoded.at(a) == b, kName, "decoding changed a byte outside the texts");
            continue;
        }
        Check(decoded.at(a) == PagerToPcChar(charset, b), kName, "a text byte decoded wrongly");
        const bool pcLetter = PcToPagerChar(charset, b) != b && PagerToPcChar(charset, b) == b;
        if (!pcLetter) Check(encoded.at(a) == b, kName, "decode and encode do not round-trip");
    }
}

}  // namespace

int Fuzz_table_file(const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchFile("open.tbl", data, size);
    const TableFileLoad load = LoadTableFile(path);

    // What the file should give: its first 1024 bytes; a shorter file is refused.
    ImageBytes expected{};
    std::copy_n(data, std::min<std::size_t>(size, kImageSize), expected.begin());
    const bool model = HasModelText(expected) && size >= static_cast<std::size_t>(kImageSize);
    Check((load.status == TableFileStatus::Ok) == model, kName, "model check disagrees");
    Check(load.reason.empty() == (size >= static_cast<std::size_t>(kImageSize)), kName,
          "a short file's length not told");
    if (load.status != TableFileStatus::Ok) {
        Check(load.status == TableFileStatus::BadFormat, kName, "a plain file failed to read");
        Check(load.message == BadFormatMessage(path), kName, "wrong refusal message");
        return 0;
    }
    Check(load.bytes == expected, kName, "opened bytes differ from the file");
    const PagerImage image(load.bytes);
    ReadEverything(image);

    // Saving what was opened and opening it again gives the same 1024 bytes.
    const std::string again = ScratchFile("save.tbl", nullptr, 0);
    Check(SaveTableFile(again, image).empty(), kName, "save failed");
    const TableFileLoad reopened = LoadTableFile(again);
    Check(reopened.status == TableFileStatus::Ok && reopened.bytes == load.bytes, kName,
          "save and open do not round-trip");
    return 0;
}

}  // namespace kpx::fuzz
