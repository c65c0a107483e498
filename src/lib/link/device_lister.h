#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kpx {

// The description under which the cable's driver lists its ports.
inline constexpr const char* kCableDescription = "Prolific USB-to-Serial Comm Port";
// At most this many devices are listed.
inline constexpr int kMaxListedDevices = 257;

// The system's list of serial devices.
class DeviceLister {
  public:
    virtual ~DeviceLister() = default;
    // Friendly names, each followed by CR LF ("Prolific USB-to-Serial Comm Port (COM5)\r\n"),
    // of the present devices whose description is `description` (or, in any case,
    // "communications   port"); at most kMaxListedDevices.
    virtual std::vector<std::string> GetDevInfo(const std::string& description) = 0;
};

// The COM number in a friendly name: the digits that begin three characters after the first "("
// (skipping "COM") and end before the next ")". Nothing when the name carries no such number.
std::optional<int> PortNumberFromName(const std::string& friendlyName);

// Whether a device with this description is taken into the list for `wanted`.
bool DescriptionMatches(const std::string& description, const std::string& wanted);

}  // namespace kpx
