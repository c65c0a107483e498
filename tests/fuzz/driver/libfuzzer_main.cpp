// One libFuzzer target: KPX41_FUZZ_ENTRY names the harness it drives.
#include "../fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return KPX41_FUZZ_ENTRY(data, size);
}
