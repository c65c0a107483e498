#pragma once

// settings/: the rules of each setting (frequency and PLL words, bands, capcodes, passwords,
// alerts, tones, battery, the function table). It may use image/ and the layers below.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/default_image.h"
#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx {

// Frequencies are whole numbers of tens of hertz ("15300000" is 153.000 00 MHz).
inline constexpr int kFreqTextMaxLength = 8;
inline constexpr const char* kNotDecimalNumeric = "Please insert a decimal numeric!";
inline constexpr const char* kChannelSpacingError = "Channel Spacing Error!";

// Spacing in kHz of a spacing code (byte 0x397); nothing for an unknown code.
std::optional<float> SpacingForCode(int code);
// "12.5KHz", "5KHz": the spacing as the window shows it.
std::string SpacingText(float spacingKHz);

// The band's limits in tens of hertz, read from its row text ("130-180MHz": 13000000-18000000).
struct BandLimits {
    std::int32_t lo;
    std::int32_t hi;
    std::string loText;  // "130"
    std::string hiText;  // "180"
};
BandLimits BandLimitsForRow(int bandRow);
std::string FrequencyRangeMessage(int bandRow);

// Writes the frequency digits 0x390-0x396, the synthesiser words 0x398-0x39D and the family
// marker 0x3F8 for the band and spacing given. Band row 3 is the GP(RoHS) synthesiser.
void SetFreqPLL(PagerImage& image, std::int32_t freq, int bandRow, float spacingKHz,
                int multiplier);

// Rounding of the window's arithmetic: to the nearest integer, halves to even.
std::int64_t RoundHalfEven(double value);
// Numeric text as the window accepts it: optional blanks, sign, digits with an optional
// decimal point and exponent. Nothing for anything else.
std::optional<double> NumericValue(std::string_view text);

// The frequency block's own state (module-level in the window).
struct FrequencyState {
    int bandRow = -1;         // cboDft row
    int multiplier = 0;       // BandMultiplier
    float spacingKHz = 0.0f;  // CurrentSpacingKHz
    int choice130 = 0;        // SpacingChoice130
    int choice380 = 0;        // SpacingChoice380
    int combo1Row = -1;       // row of Combo1(0), the GP band's spacing selector
};

// What the synthesiser display and the entry box show for the image (read_pll). Updates
// state.spacingKHz from the spacing code.
struct PllDisplay {
    std::string mutl;
    std::string pllR;
    std::string pllN;
    std::string channel;   // both lblCHANNEL captions
    std::string freqText;  // txtFreq
};
PllDisplay ReadPll(const PagerImage& image, FrequencyState& state);

// The standard bands' spacing selector cboChannel: items, the row, and whether the second copy
// (in Picture2) is the one in use because the band's default spacing row is "Auto".
struct SpacingSelector {
    std::vector<std::string> items;
    int row = -1;
    bool secondCopy = false;
};
std::vector<std::string> ChannelItemsForBand(int bandRow);
inline const std::vector<std::string> kCombo1Items = {"5KHz", "6.25KHz", "Auto"};

// The selectors rebuilt from a freshly loaded image (read_pll while loadingImage); nothing for
// bands 0 and 3, which have no cboChannel rows to rebuild.
std::optional<SpacingSelector> SpacingSelectorFromImage(const PagerImage& image, int bandRow,
                                                        const ProgramSettings& settings);

// A band chosen in cboDft: writes the band's defaults (frequency, spacing, baud rate, words).
// Returns the spacing selector to show (rows 1, 2) and whether chkCtl(4) is to be shown.
struct BandSelection {
    std::optional<SpacingSelector> selector;
    bool frequencyModVisible = true;  // chkCtl(4)
};
BandSelection SelectBand(PagerImage& image, FrequencyState& state, int bandRow,
                         const ProgramSettings& settings, UserDialogs& dialogs);

// A row chosen in cboChannel (standard bands). Returns whether chkCtl(4) is now to be shown,
// nothing when its visibility stays as it is. In any other band nothing changes.
std::optional<bool> SelectStandardSpacing(PagerImage& image, FrequencyState& state, int row);

// A row chosen in Combo1 (GP band): sets the modification bit and validates 15300000 with the
// new spacing. Returns whether chkCtl(4) is to be shown; nothing, and no change, in another band.
std::optional<bool> SelectGpSpacing(PagerImage& image, FrequencyState& state, int row,
                                    UserDialogs& dialogs);

// The entry box losing the focus with `text`.
enum class FrequencyEntry {
    Empty,       // nothing changes; the box is restored
    NotNumeric,  // message shown, box restored, focus stays
    Refused,     // range or raster message shown; validationFailed raised, focus stays
    Accepted,    // the image holds the new frequency
};
FrequencyEntry EnterFrequency(PagerImage& image, FrequencyState& state, std::string_view text,
                              UserDialogs& dialogs);

// Text typed into the box that is not numeric (checked on every key release).
bool FrequencyTextRefused(std::string_view text);

}  // namespace kpx
