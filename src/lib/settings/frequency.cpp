#include "settings/frequency.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "settings/bands.h"
#include "support/hex.h"

namespace kpx {

namespace {

constexpr int kDigits = kBandDigitAddress;
constexpr int kSpacingCode = kSpacingCodeAddress;
constexpr int kRWord = 0x398;
constexpr int kNWord = 0x39B;
constexpr int kModifyBitByte = 0x036;  // bit 0: "Auto" spacing (chkCtl(4), inverted)
constexpr int kIfOffsetHz = 21400000;
constexpr int kReferenceHz = 12800000;

std::uint8_t Byte(std::int64_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}

std::uint32_t Word24(const PagerImage& image, int address) {
    return static_cast<std::uint32_t>(image.at(address)) << 16 |
           static_cast<std::uint32_t>(image.at(address + 1)) << 8 | image.at(address + 2);
}

std::int64_t StepHz(float spacingKHz) {
    return RoundHalfEven(static_cast<double>(spacingKHz) * 1000.0);
}

void SetBaud(PagerImage& image, std::uint8_t code, std::uint8_t timing1, std::uint8_t timing2) {
    image.SetBits(0x375, 4, code, 2);
    image.set(0x372, timing1);
    image.set(0x373, timing2);
}

void SetSpacing(PagerImage& image, FrequencyState& state, float spacingKHz, std::uint8_t code) {
    state.spacingKHz = spacingKHz;
    image.set(kSpacingCode, code);
}

void SetAutoBit(PagerImage& image, bool autoSpacing) {
    image.SetBits(kModifyBitByte, 0, autoSpacing ? 1 : 0, 1);
}

struct RasterStep {
    std::int64_t hz;
    float kHz;
    std::uint8_t code;
};
constexpr std::array<RasterStep, 5> kAutoRasters = {
    {{12500, 12.5f, 3}, {10000, 10.0f, 2}, {6250, 6.25f, 1}, {5000, 5.0f, 0}, {2500, 2.5f, 6}}};
constexpr std::array<RasterStep, 3> kGpAutoRasters = {
    {{12500, 12.5f, 3}, {6250, 6.25f, 1}, {2500, 2.5f, 6}}};

template <std::size_t N>
const RasterStep* FirstRaster(const std::array<RasterStep, N>& steps, std::int64_t offset) {
    for (const auto& s : steps) {
        if (offset % s.hz == 0) return &s;
    }
    return nullptr;
}

}  // namespace

std::optional<float> SpacingForCode(int code) {
    static constexpr std::array<float, 7> kSpacing = {5.0f,  6.25f, 10.0f, 12.5f,
                                                      20.0f, 25.0f, 2.5f};
    if (code < 0 || code >= static_cast<int>(kSpacing.size())) return std::nullopt;
    return kSpacing[static_cast<std::size_t>(code)];
}

std::string SpacingText(float spacingKHz) {
    std::array<char, 32> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), spacingKHz);
    return std::string(buf.data(), end) + "KHz";
}

BandLimits BandLimitsForRow(int bandRow) {
    if (bandRow < 0 || bandRow >= static_cast<int>(kBandRowTexts.size())) {
        throw std::out_of_range("band row");
    }
    std::string_view text = kBandRowTexts[static_cast<std::size_t>(bandRow)];
    BandLimits limits{0, 0, std::string(text.substr(0, 3)), std::string(text.substr(4, 3))};
    limits.lo = std::stoi(limits.loText) * 100000;
    limits.hi = std::stoi(limits.hiText) * 100000;
    return limits;
}

std::string FrequencyRangeMessage(int bandRow) {
    BandLimits l = BandLimitsForRow(bandRow);
    return "Frequency setting error(" + l.loText + "00000 < = Frequency < =" + l.hiText + "00000 )";
}

std::int64_t RoundHalfEven(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9.0e18) {
        throw std::overflow_error("value out of integer range");
    }
    return static_cast<std::int64_t>(std::nearbyint(value));  // default mode: halves to even
}

std::optional<double> NumericValue(std::string_view text) {
    std::size_t b = text.find_first_not_of(' ');
    if (b == std::string_view::npos) return std::nullopt;
    std::size_t e = text.find_last_not_of(' ');
    std::string_view t = text.substr(b, e - b + 1);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    auto isDigit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
    std::size_t mantissa = 0;
    std::size_t start = i;
    while (isDigit(i)) ++i, ++mantissa;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (isDigit(i)) ++i, ++mantissa;
    }
    if (mantissa == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        if (!isDigit(j)) return std::nullopt;
        while (isDigit(j)) ++j;
        i = j;
    }
    if (i != t.size()) return std::nullopt;
    double value = 0.0;
    std::string_view number = t.substr(start);
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
    return negative ? -value : value;
}

bool FrequencyTextRefused(std::string_view text) {
    return !text.empty() && !NumericValue(text).has_value();
}

void SetFreqPLL(PagerImage& image, std::int32_t freq, int bandRow, float spacingKHz,
                int multiplier) {
    if (freq < 0) throw std::out_of_range("negative frequency");
    const std::int64_t f = freq;
    image.set(kDigits + 0, Byte(f / 10000000));
    image.set(kDigits + 1, Byte(f % 10000000 / 1000000));
    image.set(kDigits + 2, Byte(f % 1000000 / 100000));
    image.set(kDigits + 3, Byte(f % 100000 / 10000));
    image.set(kDigits + 4, Byte(f % 10000 / 1000));
    image.set(kDigits + 5, Byte(f % 1000 / 100));
    image.set(kDigits + 6, Byte(f % 100 / 10));

    const std::int64_t stepHz = StepHz(spacingKHz);
    if (stepHz <= 0) throw std::out_of_range("channel step must be positive");
    const std::int64_t n =
        RoundHalfEven(static_cast<double>(f * 10 - kIfOffsetHz) / static_cast<double>(stepHz));
    if (n < 0) throw std::out_of_range("frequency below the IF offset");

    if (bandRow == kBandRowGp) {
        switch (stepHz) {
            case 12500:
                image.set(kRWord, 0x01), image.set(kRWord + 1, 0xA3);
                break;
            case 6250:
                image.set(kRWord, 0x03), image.set(kRWord + 1, 0x46);
                break;
            case 2500:
                image.set(kRWord, 0x08), image.set(kRWord + 1, 0x2F);
                break;
            default:
                break;
        }
        image.set(kRWord + 2, 0x11);
        const std::int64_t nWord = n * 128;
        if (nWord > 0xFFFFFF) throw std::overflow_error("N word exceeds 24 bits");
        image.set(kNWord + 2, Byte(nWord));
        image.set(kNWord + 1, Byte(nWord >> 8));
        image.set(kNWord, Byte(nWord >> 16));
        image.set(kGpMarkerAddress, kGpMarker);
        return;
    }

    const std::int64_t nWord = n * 2;
    if (nWord > 0xFFFFFF) throw std::overflow_error("N word exceeds 24 bits");
    image.set(kNWord, Byte(nWord >> 16));
    image.set(kNWord + 1, Byte(nWord >> 8));
    image.set(kNWord + 2, Byte(nWord));

    const std::int64_t r = RoundHalfEven(
        static_cast<double>(std::int64_t{multiplier} * kReferenceHz) / static_cast<double>(stepHz));
    const std::int64_t rWord = r * 2 + 1;
    if (r < 0 || rWord > 0xFFFF) throw std::overflow_error("R word exceeds 16 bits");
    image.set(kRWord, 0);
    image.set(kRWord + 1, Byte(rWord >> 8));
    image.set(kRWord + 2, Byte(rWord));
    image.set(kGpMarkerAddress, kStandardMarker);
}

PllDisplay ReadPll(const PagerImage& image, FrequencyState& state) {
    PllDisplay d;
    d.mutl = std::to_string(state.multiplier);
    d.pllR = HexNumber(Word24(image, kRWord));
    if (auto s = SpacingForCode(image.at(kSpacingCode))) state.spacingKHz = *s;
    d.channel = SpacingText(state.spacingKHz);
    const std::uint32_t nWord = Word24(image, kNWord);
    d.pllN = HexNumber(nWord);
    if (state.bandRow == kBandRowGp) {
        std::int64_t digits = 0;
        for (int i = 0; i < 7; ++i) digits = digits * 10 + image.at(kDigits + i);
        d.freqText = std::to_string(digits * 10);
    } else {
        const double tens =
            static_cast<double>(nWord / 2) * static_cast<double>(state.spacingKHz) * 100.0 +
            2140000.0;
        d.freqText = std::to_string(RoundHalfEven(tens));
    }
    return d;
}

std::vector<std::string> ChannelItemsForBand(int bandRow) {
    if (bandRow == kBandRow130) return {"5KHz", "6.25KHz", "Auto"};
    if (bandRow == kBandRow380) return {"10KHz", "12.5KHz", "Auto"};
    return {};
}

std::optional<SpacingSelector> SpacingSelectorFromImage(const PagerImage& image, int bandRow,
                                                        const ProgramSettings& settings) {
    const int code = image.at(kSpacingCode);
    SpacingSelector s;
    s.items = ChannelItemsForBand(bandRow);
    if (bandRow == kBandRow130) {
        s.secondCopy = settings.defaultSpacing130 == 2;
        s.row = (code == 0 || code == 1) ? code : 2;
        return s;
    }
    if (bandRow == kBandRow380) {
        s.secondCopy = settings.defaultSpacing380 == 2;
        s.row = (code == 2 || code == 3) ? code - 2 : 2;
        return s;
    }
    return std::nullopt;
}

std::optional<bool> SelectStandardSpacing(PagerImage& image, FrequencyState& state, int row) {
    // Only the standard bands' own list may program their spacing.
    if (row < 0 || row > 2 || (state.bandRow != kBandRow130 && state.bandRow != kBandRow380)) {
        return std::nullopt;
    }
    state.choice130 = row;
    state.choice380 = row;
    std::optional<bool> modVisible;
    auto fixed = [&](float kHz, std::int32_t freq, std::uint8_t code) {
        state.spacingKHz = kHz;
        SetFreqPLL(image, freq, state.bandRow, state.spacingKHz, state.multiplier);
        image.set(kSpacingCode, code);
        SetAutoBit(image, false);
        modVisible = true;
    };
    if (state.bandRow == kBandRow130) {
        switch (row) {
            case 0:
                fixed(5.0f, 15300000, 0);
                break;
            case 1:
                fixed(6.25f, 15301250, 1);
                break;
            default:
                SetFreqPLL(image, 15300000, state.bandRow, state.spacingKHz, state.multiplier);
                SetAutoBit(image, true);
                modVisible = false;
                break;
        }
    } else {
        switch (row) {
            case 0:
                fixed(10.0f, 46200000, 2);
                break;
            case 1:
                fixed(12.5f, 46200000, 3);
                break;
            default:
                // Auto keeps the spacing, its code and the modification bit as they are.
                SetFreqPLL(image, 46200000, state.bandRow, state.spacingKHz, state.multiplier);
                break;
        }
    }
    ReadPll(image, state);
    return modVisible;
}

std::optional<bool> SelectGpSpacing(PagerImage& image, FrequencyState& state, int row,
                                    UserDialogs& dialogs) {
    if (state.bandRow != kBandRowGp) return std::nullopt;
    state.combo1Row = row;
    const bool autoSpacing = row == 2;
    SetAutoBit(image, autoSpacing);
    state.multiplier = 1;
    EnterFrequency(image, state, "15300000", dialogs);
    return !autoSpacing;
}

BandSelection SelectBand(PagerImage& image, FrequencyState& state, int bandRow,
                         const ProgramSettings& settings, UserDialogs& dialogs) {
    if (bandRow < 0 || bandRow >= static_cast<int>(kBandRowTexts.size())) {
        throw std::out_of_range("band row");
    }
    BandSelection result;
    state.bandRow = bandRow;
    state.choice130 = settings.defaultSpacing130;
    state.choice380 = settings.defaultSpacing380;
    image.set(kBandByteAddress, BandByteForRow(bandRow));

    switch (bandRow) {
        case kBandRow929: {
            static constexpr std::array<std::uint8_t, 6> kPll = {0x00, 0x28, 0x01,
                                                                 0x02, 0x38, 0x82};
            static constexpr std::array<std::uint8_t, 8> kDigitsCode = {9, 3, 1, 0, 1, 2, 5, 3};
            for (int i = 0; i < 6; ++i) image.set(kRWord + i, kPll[static_cast<std::size_t>(i)]);
            for (int i = 0; i < 8; ++i) {
                image.set(kDigits + i, kDigitsCode[static_cast<std::size_t>(i)]);
            }
            SetBaud(image, 1, 5, 0x1F);
            image.set(kSpacingCode, 3);
            state.multiplier = 5;
            SetAutoBit(image, false);
            // A standard-synthesiser band: without this an image saved after the GP band
            // would still carry the GP marker and be taken for a GP image when reopened.
            image.set(kGpMarkerAddress, kStandardMarker);
            result.frequencyModVisible = true;
            break;
        }
        case kBandRow380:
        case kBandRow130: {
            SpacingSelector sel;
            sel.items = ChannelItemsForBand(bandRow);
            if (bandRow == kBandRow380) {
                if (state.choice380 == 2) state.choice380 = 1;
                sel.row = state.choice380;
                state.multiplier = 3;
                sel.secondCopy = settings.defaultSpacing380 == 2;
            } else {
                sel.row = state.choice130 == 1 ? 1 : 0;
                state.multiplier = 2;
                sel.secondCopy = settings.defaultSpacing130 == 2;
            }
            if (auto vis = SelectStandardSpacing(image, state, sel.row)) {
                result.frequencyModVisible = *vis;
            }
            SetBaud(image, 3, 2, 0x11);
            result.selector = sel;
            break;
        }
        case kBandRowGp:
        default:
            state.multiplier = 1;
            SetBaud(image, 3, 2, 0x11);
            SetAutoBit(image, false);
            result.frequencyModVisible = SelectGpSpacing(image, state, 0, dialogs).value_or(true);
            break;
    }
    ReadPll(image, state);
    return result;
}

FrequencyEntry EnterFrequency(PagerImage& image, FrequencyState& state, std::string_view text,
                              UserDialogs& dialogs) {
    if (text.empty()) return FrequencyEntry::Empty;
    const std::optional<double> value = NumericValue(text);
    if (!value) {
        dialogs.Warn(kNotDecimalNumeric);
        return FrequencyEntry::NotNumeric;
    }
    const BandLimits limits = BandLimitsForRow(state.bandRow);
    const double v = *value;
    if (v > static_cast<double>(limits.hi) + 0.5 || v < static_cast<double>(limits.lo) - 0.5) {
        dialogs.Warn(FrequencyRangeMessage(state.bandRow));
        return FrequencyEntry::Refused;
    }
    const std::int64_t f = RoundHalfEven(v);
    if (f > limits.hi || f < limits.lo) {
        dialogs.Warn(FrequencyRangeMessage(state.bandRow));
        return FrequencyEntry::Refused;
    }
    const std::int64_t offset = RoundHalfEven(v * 10.0 - kIfOffsetHz);

    bool onRaster = true;
    if (state.bandRow == kBandRowGp) {
        switch (state.combo1Row) {
            case 0:
                SetSpacing(image, state, 2.5f, 6);
                onRaster = offset % 5000 == 0;
                break;
            case 1:
                SetSpacing(image, state, 6.25f, 1);
                onRaster = offset % 6250 == 0;
                break;
            case 2:
                if (const RasterStep* s = FirstRaster(kGpAutoRasters, offset)) {
                    SetSpacing(image, state, s->kHz, s->code);
                } else {
                    onRaster = false;
                }
                break;
            default:
                break;  // no row selected: no check
        }
    } else if ((state.bandRow == kBandRow380 && state.choice380 == 2) ||
               (state.bandRow == kBandRow130 && state.choice130 == 2)) {
        if (const RasterStep* s = FirstRaster(kAutoRasters, offset)) {
            SetSpacing(image, state, s->kHz, s->code);
            if (state.bandRow == kBandRow380) {
                dialogs.Inform("Channel Spacing =" + SpacingText(state.spacingKHz));
            }
        } else {
            onRaster = false;
        }
    } else {
        const std::int64_t step = StepHz(state.spacingKHz);
        onRaster = step > 0 && offset % step == 0;
    }
    if (!onRaster) {
        dialogs.Warn(kChannelSpacingError);
        return FrequencyEntry::Refused;
    }
    SetFreqPLL(image, static_cast<std::int32_t>(f), state.bandRow, state.spacingKHz,
               state.multiplier);
    ReadPll(image, state);
    return FrequencyEntry::Accepted;
}

}  // namespace kpx
