#include "testsupport/link_fakes.h"

#include <cstdio>

namespace kpx::testing {

void ScriptedLister::SetComs(const std::vector<int>& coms) {
    devices.clear();
    for (int c : coms) {
        devices.push_back(std::string(kCableDescription) + " (COM" + std::to_string(c) + ")\r\n");
    }
}

void RecordingHost::ReadCapcodes() {
    for (int k = 0; k < 6; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "%07u", CapcodeValue(image_, k));
        capcodeText[k] = text;
    }
}

}  // namespace kpx::testing
