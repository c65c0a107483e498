// One libFuzzer target: KPX41_FUZZ_ENTRY names the harness it drives.
#include "../fuzz_support.h"
#include "testsupport/fakes.h"

namespace kpx::testing {

// The harnesses answer every question they cause; one they do not is a fault of theirs.
void ReportUnscriptedQuestion(const std::string&) {
    kpx::fuzz::Fail("dialogs", "a question the harness did not answer");
}

}  // namespace kpx::testing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return KPX41_FUZZ_ENTRY(data, size);
}
