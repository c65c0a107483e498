#pragma once

// support/: the leaves that know no pager: registry access over a backend, sha256, time texts,
// the dialog interface. It uses nothing but the standard library.

#include <cstdint>
#include <string>
#include <vector>

#include "support/registry_backend.h"

namespace kpx {

inline constexpr const char* kSerialCommKey = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The registry through path strings such as "HKLM\HARDWARE\DEVICEMAP\SERIALCOMM". Every call
// opens the key it needs and closes it before returning; failures come back as the result
// (0 / false / -1 / the given default), never as an exception.
class RegistryAccess {
  public:
    explicit RegistryAccess(RegistryBackend& backend) : backend_(backend) {}

    bool CreateKeyIfDoesntExists = true;

    struct SplitPath {
        RegKey hive = 0;
        std::string subkey;
    };
    static SplitPath Split(const std::string& path);

    RegKey CreateKey(const std::string& sPath);
    bool KillKey(const std::string& sPath);
    bool KeyExists(const std::string& sPath);
    // Subkey names; the count, -1 when the key cannot be opened.
    int EnumKeys(const std::string& sPath, std::vector<std::string>& names);
    bool HaveSubkey(const std::string& sPath);

    bool WriteString(const std::string& sPath, const std::string& sName, const std::string& sValue);
    std::string ReadString(const std::string& sPath, const std::string& sName,
                           const std::string& sDefault);
    bool WriteDWORD(const std::string& sPath, const std::string& sName, std::uint32_t value);
    std::uint32_t ReadDWORD(const std::string& sPath, const std::string& sName,
                            std::uint32_t nDefault);
    bool WriteBinary(const std::string& sPath, const std::string& sName, const std::string& hex);
    std::string ReadBinary(const std::string& sPath, const std::string& sName,
                           const std::string& sDefault);
    bool KillValue(const std::string& sPath, const std::string& sName);
    bool ValueExists(const std::string& sPath, const std::string& sName);

    // Names and values (as text) of the values of a key, only those of type typeFilter unless it
    // is -1. The count; -1 (arrays untouched) when the key cannot be opened.
    int EnumValues(const std::string& sPath, std::vector<std::string>& names,
                   std::vector<std::string>& values, int typeFilter = -1);

    // Appends the key (and its subkeys when asked) to a REGEDIT4 file; the same lines are added
    // to *shown when given.
    bool ExportToReg(const std::string& sPath, const std::string& sRegFile, bool includeSubkeys,
                     std::string* shown = nullptr);
    bool ImportFromReg(const std::string& sRegFile);

    static std::vector<std::uint8_t> StrToBin(const std::string& text);
    static std::string BinToStr(const std::vector<std::uint8_t>& bytes);
    static bool isBinValid(const std::string& text);

  private:
    RegKey OpenForWrite(const SplitPath& p);
    bool SetValue(const std::string& sPath, const std::string& sName, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);
    bool QueryValue(const std::string& sPath, const std::string& sName, std::uint32_t& type,
                    std::vector<std::uint8_t>& data);
    void ExportKey(const std::string& longPath, RegKey hive, const std::string& subkey,
                   bool includeSubkeys, std::string& out);

    RegistryBackend& backend_;
};

// The number of serial ports the system lists, 0 when the key cannot be read.
int SerialPortCount(RegistryAccess& registry);

}  // namespace kpx
