#include "image/field_tags.h"

#include <array>
#include <stdexcept>
#include <string>

namespace kpx {

namespace {

using Rows = std::vector<std::string_view>;

const Rows& DisplayRows() {
    static const Rows rows = {"STD Numeric", "PRC Numeric", "Alpha",
                              "Ideo",        "Tone Only",   "Disable"};
    return rows;
}

std::vector<FieldTag> BuildTags() {
    using K = TagKind;
    return {
        {0x035, 0, 4, K::Cbo, "cboCtl(7)", 7, "Display:", DisplayRows()},
        {0x035, 4, 4, K::Cbo, "cboCtl(1)", 1, "Display:", DisplayRows()},
        {0x036, 0, 1, K::ChkN, "chkCtl(4)", 4, "Frequency Modification Enable", {}},
        {0x036, 1, 1, K::Chk, "chkCtl(5)", 5, "Password Required Enable", {}},
        {0x036, 3, 1, K::Chk, "chkCtl(20)", 20, "Direct Show Lamp On", {}},
        {0x036, 6, 1, K::Chk, "chkCtl(17)", 17, "Push Key Lamp On Enable", {}},
        {0x039,
         0,
         2,
         K::Cbo,
         "cboCtl(2)",
         2,
         "Read Time Out",
         {"8 sec", "12 sec", "20 sec", "30 sec"}},
        {0x039, 2, 1, K::Cbo, "cboCtl(0)", 0, "Bandwidth", {"NB", "WB"}},
        {0x039, 3, 1, K::ChkN, "chkCtl(23)", 23, "Duplicate Msg.", {}},
        {0x039, 4, 1, K::ChkN, "chkCtl(2)", 2, "Counter Out Enable", {}},
        {0x039, 5, 1, K::ChkN, "chkCtl(18)", 18, "Discard Error Msg", {}},
        {0x039, 6, 1, K::Chk, "chkCtl(6)", 6, "Lowcell Alert ON", {}},
        {0x039, 7, 1, K::ChkN, "chkCtl(0)", 0, "Disp Source Addr ON", {}},
        {0x03A, 5, 1, K::Chk, "chkCtl(25)", 25, "Alert and Vibrate", {}},
        {0x03B, 2, 1, K::Chk, "chkCtl(1)", 1, "Long Message Control Enable", {}},
        {0x03B, 3, 1, K::Cbo, "cboCtl(6)", 6, "Date Display Method", {"dd-mm-yy", "mm-dd-yy"}},
        {0x03B, 4, 1, K::Cbo, "cboCtl(3)", 3, "Paging Display Mode", {"Page Count", "Direct"}},
        {0x03B, 5, 1, K::Chk, "chkCtl(19)", 19, "Air Program Enable", {}},
        {0x03B, 6, 1, K::Chk, "chkCtl(7)", 7, "Password Modification Enable ", {}},
        {0x03C, 4, 1, K::Chk, "chkCtl(21)", 21, "RD Key Pager Off", {}},
        {0x03C, 5, 1, K::Chk, "chkCtl(3)", 3, "RD Key Delete Enable", {}},
        {0x03C,
         6,
         2,
         K::Cbo,
         "cboCtl(4)",
         4,
         "Reminder Duration",
         {"Disable", "2 minutes", "10 minutes", "60 minutes"}},
        {0x03D, 4, 1, K::ChkN, "chkCtl(16)", 16, "Manual Write Enable", {}},
        {0x03F,
         0,
         4,
         K::Lng,
         "cboLogo",
         -1,
         "Power Up Logo",
         {"English(Large)", "English(Small)", "Spainish", "French", "German"}},
        {0x046, 5, 1, K::Chk, "chkCtl(24)", 24, "Remove First Two Char.", {}},
        {0x046, 6, 1, K::Chk, "chkCtl(22)", 22, "Read Msg. PW", {}},
        {0x360, 7, 1, K::Chk, "chkCtl(10)", 10, "ON", {}},
        {0x363, 7, 1, K::Chk, "chkCtl(11)", 11, "ON", {}},
        {0x366, 7, 1, K::Chk, "chkCtl(12)", 12, "ON", {}},
        {0x369, 7, 1, K::Chk, "chkCtl(13)", 13, "ON", {}},
        {0x36C, 7, 1, K::Chk, "chkCtl(14)", 14, "ON", {}},
        {0x36F, 7, 1, K::Chk, "chkCtl(15)", 15, "ON", {}},
        {0x374, 7, 1, K::Cbo, "cboCtl(5)", 5, "Polarity", {"Normal", "Invert"}},
        {0x375,
         4,
         2,
         K::CboBaud,
         "cboCtl(9)",
         9,
         "POCSAG Signal Baud Rate",
         {"2400 bps", " 512 bps", "1200 bps"}},
        {0x38F, 1, 1, K::Chk, "chkCtl(8)", 8, "Priority  ", {}},
        {0x38F, 2, 1, K::Chk, "chkCtl(9)", 9, "Priority  ", {}},
    };
}

constexpr std::array<PromptTag, 33> kPromptTags = {{
    {0x100, true},  {0x114, true},  {0x128, false}, {0x13C, false}, {0x150, false}, {0x164, false},
    {0x178, false}, {0x18C, false}, {0x1A0, false}, {0x1B4, false}, {0x1C8, false}, {0x1DC, false},
    {0x1F0, false}, {0x204, true},  {0x218, true},  {0x22C, true},  {0x240, true},  {0x254, true},
    {0x268, true},  {0x27C, true},  {0x290, true},  {0x2A4, true},  {0x2B8, false}, {0x2CC, true},
    {0x2E0, false}, {0x2F4, false}, {0x308, true},  {0x31C, false}, {0x330, false}, {0x3B0, false},
    {0x3C4, false}, {0x057, false}, {0x070, false},
}};

bool IsCheckBox(const FieldTag& tag) {
    return tag.kind == TagKind::Chk || tag.kind == TagKind::ChkN;
}

void RequireCheckBox(const FieldTag& tag) {
    if (!IsCheckBox(tag)) {
        throw std::invalid_argument(std::string(tag.control) + " is not a check box");
    }
}

void RequireList(const FieldTag& tag) {
    if (tag.kind != TagKind::Cbo && tag.kind != TagKind::CboBaud) {
        throw std::invalid_argument(std::string(tag.control) + " is not a tagged list");
    }
}

const FieldTag* FindTag(int index, bool checkBox) {
    for (const FieldTag& tag : FieldTags()) {
        if (tag.index == index && IsCheckBox(tag) == checkBox && tag.kind != TagKind::Lng) {
            return &tag;
        }
    }
    return nullptr;
}

// The POCSAG timing bytes 0x372/0x373 that belong to each baud row.
struct BaudTiming {
    std::uint8_t b372;
    std::uint8_t b373;
};
constexpr std::array<BaudTiming, 3> kBaudTiming = {{{5, 31}, {1, 7}, {2, 17}}};

constexpr int kPushKeyLampBox = 17;
constexpr int kDiscardErrorBox = 18;
constexpr int kDisplayModeList = 3;

}  // namespace

const std::vector<FieldTag>& FieldTags() {
    static const std::vector<FieldTag> tags = BuildTags();
    return tags;
}

const FieldTag* CheckBoxTag(int index) {
    return FindTag(index, true);
}

const FieldTag* ListTag(int index) {
    return FindTag(index, false);
}

const FieldTag& LogoTag() {
    static const FieldTag& tag = []() -> const FieldTag& {
        for (const FieldTag& t : FieldTags()) {
            if (t.kind == TagKind::Lng) return t;
        }
        throw std::logic_error("the tag table has no logo list");
    }();
    return tag;
}

bool ReadCheckBox(const PagerImage& image, const FieldTag& tag) {
    RequireCheckBox(tag);
    const std::uint8_t v = image.GetBits(tag.address, tag.firstBit, tag.bitCount);
    return tag.kind == TagKind::ChkN ? v == 0 : v != 0;
}

int ReadListRow(const PagerImage& image, const FieldTag& tag) {
    RequireList(tag);
    int row = image.GetBits(tag.address, tag.firstBit, tag.bitCount);
    if (tag.kind == TagKind::CboBaud) --row;
    // A code the list has no row for (from a file or a pager) shows no selection.
    if (row < 0 || row >= static_cast<int>(tag.rows.size())) return -1;
    return row;
}

void WriteCheckBox(PagerImage& image, const FieldTag& tag, bool checked) {
    RequireCheckBox(tag);
    const bool bit = tag.kind == TagKind::ChkN ? !checked : checked;
    image.SetBits(tag.address, tag.firstBit, bit ? 1 : 0, tag.bitCount);

    if (tag.index == kPushKeyLampBox) {
        image.set(0x35A, checked ? 0x10 : 0x20);
    } else if (tag.index == kDiscardErrorBox) {
        image.set(0x376, checked ? 0x1F : 0x18);
        image.SetBits(0x375, 2, checked ? 1 : 3, 2);
    }
}

void WriteListRow(PagerImage& image, const FieldTag& tag, int row) {
    RequireList(tag);
    if (row < -1 || row >= static_cast<int>(tag.rows.size())) {
        throw std::out_of_range(std::string(tag.control) + " has no row " + std::to_string(row));
    }
    if (tag.kind == TagKind::Cbo) {
        // A list without a selection has nothing to store.
        if (row >= 0) {
            image.SetBits(tag.address, tag.firstBit, static_cast<std::uint8_t>(row), tag.bitCount);
        }
        return;
    }
    image.SetBits(tag.address, tag.firstBit, static_cast<std::uint8_t>(row + 1), tag.bitCount);
    if (row >= 0) {
        const BaudTiming& timing = kBaudTiming[static_cast<std::size_t>(row)];
        image.set(0x372, timing.b372);
        image.set(0x373, timing.b373);
    }
}

TaggedVisibility VisibilityFor(const PagerImage& image) {
    TaggedVisibility v;
    v.chk3 = v.chk21 = ReadCheckBox(image, *CheckBoxTag(kPushKeyLampBox));
    v.chk20 = ReadListRow(image, *ListTag(kDisplayModeList)) == 1;
    v.txtPass1 = image.GetBits(0x46, 6, 1) != 0;
    for (int i = 0; i < 3; ++i) v.enToolTip[i] = image.GetBits(0x38C + i, 0, 4) == 0;
    v.enToolTip[3] = image.GetBits(0x0ED, 0, 4) == 0;
    return v;
}

std::optional<int> LogoListRow(const PagerImage& image) {
    switch (image.GetBits(0x3F, 0, 4)) {
        case 0:
        case 1:
            return 0;
        case 2:
            return 1;
        case 5:
            return 2;
        case 6:
            return 3;
        case 8:
            return 4;
        default:
            return std::nullopt;
    }
}

std::span<const PromptTag> PromptTags() {
    return kPromptTags;
}

}  // namespace kpx
