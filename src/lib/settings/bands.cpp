#include "settings/bands.h"

namespace kpx {

const std::array<BandTable, 3>& BandTables() {
    // 130-180 MHz: 153.000 00 MHz at 5 kHz; 380-499 MHz: 462.000 00 MHz at 12.5 kHz;
    // 929-932 MHz: 931.012 50 MHz at 12.5 kHz. The PLL bytes are the R word, then the N word.
    static constexpr std::array<BandTable, 3> tables = {{
        {{1, 5, 3, 0, 0, 0, 0, 0}, {0, 40, 1, 0, 205, 160}},
        {{4, 6, 2, 0, 0, 0, 0, 3}, {0, 24, 1, 1, 19, 96}},
        {{9, 3, 1, 0, 1, 2, 5, 3}, {0, 40, 1, 2, 56, 130}},
    }};
    return tables;
}

std::uint8_t BandByteForRow(int bandRow) {
    return bandRow == kBandRowGp ? 0x70 : 0x60;
}

BandRecognition DetectBandFromImage(const ImageBytes& bytes) {
    if (bytes[kGpMarkerAddress] == kGpMarker) {
        return {kBandRowGp, std::nullopt};
    }
    switch (bytes[kBandDigitAddress]) {
        case 1:
            return {kBandRow130, 2};
        case 3:
        case 4:
            return {kBandRow380, 3};
        case 9:
            return {kBandRow929, 5};
        default:
            return {};
    }
}

}  // namespace kpx
