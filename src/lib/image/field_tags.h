#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/pager_image.h"

namespace kpx {

// How a main-window control is bound to a bit field of the image.
enum class TagKind { Chk, ChkN, Cbo, CboBaud, Lng };

struct FieldTag {
    int address;
    int firstBit;
    int bitCount;
    TagKind kind;
    std::string_view control;  // objectName, e.g. "chkCtl(17)", "cboCtl(9)", "cboLogo"
    int index;                 // index in chkCtl / cboCtl, -1 for cboLogo
    std::string_view caption;
    std::vector<std::string_view> rows;  // list rows in row order (empty for check boxes)
};

// Every bit-field tag of the main window, in the window's control order.
const std::vector<FieldTag>& FieldTags();
// The tag of chkCtl(index) / cboCtl(index); nullptr when that control carries no tag.
const FieldTag* CheckBoxTag(int index);
const FieldTag* ListTag(int index);
// The power-up logo list cboLogo (kind Lng; its handler lives with the logo).
const FieldTag& LogoTag();

// Reading: a check box's state (chkN inverted) and a list's row (cboBaud: stored code - 1).
// -1 means no row selected: a stored baud code 0, or a code the list has no row for.
// Check-box functions take chk/chkN tags, list functions cbo/cboBaud tags; any other kind
// throws std::invalid_argument.
bool ReadCheckBox(const PagerImage& image, const FieldTag& tag);
int ReadListRow(const PagerImage& image, const FieldTag& tag);

// Writing, with the side effects on other bytes (0x35A for chkCtl(17), 0x375/0x376 for
// chkCtl(18), the baud timing bytes 0x372/0x373 for cboBaud). Row -1 (no selection) stores
// nothing in a cbo list and code 0 in the baud list; a row the list does not have throws
// std::out_of_range. Visibility that follows the write comes from VisibilityFor.
void WriteCheckBox(PagerImage& image, const FieldTag& tag, bool checked);
void WriteListRow(PagerImage& image, const FieldTag& tag, int row);

// The controls whose visibility follows other tagged controls.
struct TaggedVisibility {
    bool chk3 = false;  // chkCtl(3) and chkCtl(21) follow chkCtl(17)
    bool chk21 = false;
    bool chk20 = false;     // chkCtl(20) follows cboCtl(3) row 1 "Direct"
    bool txtPass1 = false;  // txtPass(1) follows chkCtl(22)
    // Capcode-disable notes EnToolTip(0..3), refreshed when chkCtl(10)-chkCtl(13) change:
    // EnToolTip(3) when capcode 1 has no enabled function (0x0ED bits 0-3), EnToolTip(i) when
    // capcode i + 2 has none (0x38C + i bits 0-3).
    std::array<bool, 4> enToolTip{};
};
TaggedVisibility VisibilityFor(const PagerImage& image);

// cboLogo row from GetBits(0x3F, 0, 4); nothing for a code the list does not show.
std::optional<int> LogoListRow(const PagerImage& image);

// Prompt text boxes txtPrompt(0..32): slot address and large-font flag.
struct PromptTag {
    int address;
    bool largeFont;
};
std::span<const PromptTag> PromptTags();

}  // namespace kpx
