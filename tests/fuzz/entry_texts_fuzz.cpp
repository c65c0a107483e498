// Frequency and capcode entry texts, in every band and spacing, as a user types them.
#include "fuzz_support.h"
#include "image/default_image.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "settings/frequency.h"
#include "testsupport/fakes.h"

namespace kpx::fuzz {

namespace {

constexpr const char* kName = "entry_texts";

// The bytes a frequency entry may write: the digits, the spacing code, the synthesiser words
// and the family marker.
bool FrequencyByte(int a) {
    return (a >= 0x390 && a <= 0x39D) || a == 0x3F8;
}

}  // namespace

int Fuzz_entry_texts(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t setup = in.Byte();
    const int band = setup % 4;
    const int spacingRow = (setup >> 2) % 4;  // 3: keep the band's default
    const int capEntry = (setup >> 4) % kCapcodeCount;
    const std::string freqText = in.Text(12);
    const std::string capText = in.Text(12);

    ProgramSettings settings;
    testing::RecordingDialogs dialogs;
    static const PagerImage kDefault = BuildDefaultImage();
    PagerImage image = kDefault;
    FrequencyState state;
    SelectBand(image, state, band, settings, dialogs);
    if (spacingRow < 3) {
        if (band == kBandRowGp) {
            SelectGpSpacing(image, state, spacingRow, dialogs);
        } else {
            SelectStandardSpacing(image, state, spacingRow);
        }
    }
    dialogs.Clear();

    const PagerImage before = image;
    const FrequencyEntry result = EnterFrequency(image, state, freqText, dialogs);
    for (int a = 0; a < kImageSize; ++a) {
        if (!FrequencyByte(a)) Check(image.at(a) == before.at(a), kName, "entry wrote elsewhere");
    }
    switch (result) {
        case FrequencyEntry::Empty:
            Check(image == before && dialogs.Texts().empty(), kName, "empty entry changed things");
            break;
        case FrequencyEntry::NotNumeric:
        case FrequencyEntry::Refused:
            Check(dialogs.Texts().size() == 1, kName, "a refusal without one message");
            for (int a = 0; a < kImageSize; ++a) {
                if (a != 0x397) Check(image.at(a) == before.at(a), kName, "a refusal wrote");
            }
            break;
        case FrequencyEntry::Accepted: {
            const BandLimits limits = BandLimitsForRow(band);
            const PllDisplay shown = ReadPll(image, state);
            const auto value = NumericValue(shown.freqText);
            Check(value && *value >= limits.lo - 10 && *value <= limits.hi + 10, kName,
                  "an accepted frequency outside its band");
            Check(DetectBandFromImage(image.bytes()).row.value_or(band) == band, kName,
                  "an accepted frequency is recognised as another band");
            break;
        }
    }

    const PagerImage beforeCap = image;
    dialogs.Clear();
    const bool enabled = CapcodeEnabled(image, capEntry);
    const CapcodeEntry cap = EnterCapcode(image, capEntry, capText, dialogs);
    const int capAddress = CapcodeAddress(capEntry);
    for (int a = 0; a < kImageSize; ++a) {
        const bool own = a >= capAddress && a < capAddress + 3;
        if (cap != CapcodeEntry::Stored || !own) {
            Check(image.at(a) == beforeCap.at(a), kName, "capcode entry wrote elsewhere");
        }
    }
    if (cap == CapcodeEntry::Stored) {
        const std::int32_t v = CapcodeValue(image, capEntry);
        Check(v >= kCapcodeMin && v <= kCapcodeMax, kName, "an accepted capcode out of range");
        Check(CapcodeEnabled(image, capEntry) == enabled, kName, "the enable flag changed");
        Check(dialogs.Texts().empty(), kName, "a message for a stored capcode");
    } else if (cap != CapcodeEntry::Empty) {
        Check(dialogs.Texts().size() == 1, kName, "a refused capcode without one message");
    }
    return 0;
}

}  // namespace kpx::fuzz
