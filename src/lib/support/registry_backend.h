#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kpx {

// A registry key handle; 0 is no key, with which every call fails.
using RegKey = std::uint64_t;

// The predefined root keys.
inline constexpr RegKey kHkeyClassesRoot = 0x80000000;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002;
inline constexpr RegKey kHkeyUsers = 0x80000003;
inline constexpr RegKey kHkeyPerformanceData = 0x80000004;
inline constexpr RegKey kHkeyCurrentConfig = 0x80000005;
inline constexpr RegKey kHkeyDynData = 0x80000006;

// Result codes of the registry calls.
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegInvalidParameter = 87;
inline constexpr long kRegNoMoreItems = 259;

// Value types.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// The registry calls the registry-access object is built on. Key and value names compare
// without regard to case; enumeration runs in the order of creation. A string value's data
// carries its terminating zero, a number's data is 4 bytes, least significant first.
class RegistryBackend {
  public:
    virtual ~RegistryBackend() = default;
    virtual long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;
    virtual long CreateKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;
    // Deletes the key with everything below it.
    virtual long DeleteKey(RegKey parent, const std::string& subkey) = 0;
    virtual long EnumKey(RegKey key, int index, std::string* name) = 0;
    virtual long EnumValue(RegKey key, int index, std::string* name, std::uint32_t* type,
                           std::vector<std::uint8_t>* data) = 0;
    virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) = 0;
    virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& data) = 0;
    virtual long DeleteValue(RegKey key, const std::string& name) = 0;
    virtual long CloseKey(RegKey key) = 0;
};

}  // namespace kpx
