#include "testsupport/link_fakes.h"

#include <cstdio>

#include "image/default_image.h"

namespace kpx::testing {

std::uint32_t CapcodeOf(const PagerImage& image, int k) {
    const int a = 0x360 + 3 * k;
    return (std::uint32_t{image.at(a)} & 0x7F) << 16 | std::uint32_t{image.at(a + 1)} << 8 |
           image.at(a + 2);
}

void PutCapcode(PagerImage& image, int k, std::uint32_t v) {
    const int a = 0x360 + 3 * k;
    image.set(a, static_cast<std::uint8_t>((image.at(a) & 0x80) | (v >> 16)));
    image.set(a + 1, static_cast<std::uint8_t>((v >> 8) & 0xFF));
    image.set(a + 2, static_cast<std::uint8_t>(v & 0xFF));
}

PagerImage GermanImage() {
    PagerImage image = BuildDefaultImage();
    image.SetBits(0x3A, 0, 8, 4);  // German character set
    image.set(0x105, 0xE4);        // ä
    image.set(0x106, 0xDF);        // ß
    image.set(0x3B2, 0xDC);        // Ü
    return image;
}

void ScriptedLister::SetComs(const std::vector<int>& coms) {
    devices.clear();
    for (int c : coms) {
        devices.push_back(std::string(kCableDescription) + " (COM" + std::to_string(c) + ")\r\n");
    }
}

void RecordingHost::ReadCapcodes() {
    for (int k = 0; k < 6; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "%07u", CapcodeOf(image_, k));
        capcodeText[k] = text;
    }
}

}  // namespace kpx::testing
