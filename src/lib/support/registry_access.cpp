#include "support/registry_access.h"

#include <array>
#include <cctype>
#include <fstream>
#include <sstream>
#include <utility>

#include "support/hex.h"

namespace kpx {

namespace {

struct HiveName {
    const char* longName;
    const char* shortName;
    RegKey key;
};

constexpr std::array<HiveName, 7> kHives = {{
    {"HKEY_CURRENT_USER", "HKCU", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kHkeyLocalMachine},
    {"HKEY_CLASSES_ROOT", "HKCR", kHkeyClassesRoot},
    {"HKEY_USERS", "HKUS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", "HKPD", kHkeyPerformanceData},
    {"HKEY_DYN_DATA", "HKDD", kHkeyDynData},
    {"HKEY_CURRENT_CONFIG", "HKCC", kHkeyCurrentConfig},
}};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Every long hive name in the path, in any case, replaced by its abbreviation.
std::string AbbreviateHives(std::string path) {
    for (const HiveName& h : kHives) {
        const std::string longUpper = h.longName;
        for (;;) {
            const auto at = Upper(path).find(longUpper);
            if (at == std::string::npos) break;
            path.replace(at, longUpper.size(), h.shortName);
        }
    }
    return path;
}

const char* LongHiveName(RegKey hive) {
    for (const HiveName& h : kHives) {
        if (h.key == hive) return h.longName;
    }
    return "";
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string StringFromData(const std::vector<std::uint8_t>& data) {
    std::string text(data.begin(), data.end());
    if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

std::vector<std::uint8_t> DwordData(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
            static_cast<std::uint8_t>((v >> 16) & 0xFF), static_cast<std::uint8_t>(v >> 24)};
}

std::uint32_t DwordFromData(const std::vector<std::uint8_t>& data) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i) v |= std::uint32_t{data[i]} << (8 * i);
    return v;
}

}  // namespace

RegistryAccess::SplitPath RegistryAccess::Split(const std::string& path) {
    const std::string p = AbbreviateHives(path);
    SplitPath result;
    std::string hive;
    if (auto slash = p.find('\\'); slash != std::string::npos) {
        hive = Upper(p.substr(0, 4));
        result.subkey = p.substr(slash + 1);
    } else {
        hive = Upper(p);
    }
    for (const HiveName& h : kHives) {
        if (hive == h.shortName) result.hive = h.key;
    }
    return result;
}

RegKey RegistryAccess::CreateKey(const std::string& sPath) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.CreateKey(p.hive, p.subkey, &key) != kRegSuccess) return 0;
    backend_.CloseKey(key);
    return key;
}

bool RegistryAccess::KillKey(const std::string& sPath) {
    const SplitPath p = Split(sPath);
    return backend_.DeleteKey(p.hive, p.subkey) == kRegSuccess;
}

bool RegistryAccess::KeyExists(const std::string& sPath) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.OpenKey(p.hive, p.subkey, &key) != kRegSuccess) return false;
    backend_.CloseKey(key);
    return true;
}

int RegistryAccess::EnumKeys(const std::string& sPath, std::vector<std::string>& names) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.OpenKey(p.hive, p.subkey, &key) != kRegSuccess) return -1;
    names.clear();
    std::string name;
    for (int j = 0; backend_.EnumKey(key, j, &name) == kRegSuccess; ++j) names.push_back(name);
    backend_.CloseKey(key);
    return static_cast<int>(names.size());
}

bool RegistryAccess::HaveSubkey(const std::string& sPath) {
    std::vector<std::string> names;
    return EnumKeys(sPath, names) > 0;
}

RegKey RegistryAccess::OpenForWrite(const SplitPath& p) {
    RegKey key = 0;
    const long rc = CreateKeyIfDoesntExists ? backend_.CreateKey(p.hive, p.subkey, &key)
                                            : backend_.OpenKey(p.hive, p.subkey, &key);
    return rc == kRegSuccess ? key : 0;
}

bool RegistryAccess::SetValue(const std::string& sPath, const std::string& sName,
                              std::uint32_t type, const std::vector<std::uint8_t>& data) {
    const RegKey key = OpenForWrite(Split(sPath));
    if (key == 0) return false;
    const std::string name = sName == "@" ? "" : sName;
    const bool ok = backend_.SetValue(key, name, type, data) == kRegSuccess;
    backend_.CloseKey(key);
    return ok;
}

bool RegistryAccess::QueryValue(const std::string& sPath, const std::string& sName,
                                std::uint32_t& type, std::vector<std::uint8_t>& data) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.OpenKey(p.hive, p.subkey, &key) != kRegSuccess) return false;
    const std::string name = sName == "@" ? "" : sName;
    const bool ok = backend_.QueryValue(key, name, &type, &data) == kRegSuccess;
    backend_.CloseKey(key);
    return ok;
}

bool RegistryAccess::WriteString(const std::string& sPath, const std::string& sName,
                                 const std::string& sValue) {
    std::vector<std::uint8_t> data(sValue.begin(), sValue.end());
    data.push_back(0);
    return SetValue(sPath, sName, kRegSz, data);
}

std::string RegistryAccess::ReadString(const std::string& sPath, const std::string& sName,
                                       const std::string& sDefault) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!QueryValue(sPath, sName, type, data) || type != kRegSz) return sDefault;
    return StringFromData(data);
}

bool RegistryAccess::WriteDWORD(const std::string& sPath, const std::string& sName,
                                std::uint32_t value) {
    return SetValue(sPath, sName, kRegDword, DwordData(value));
}

std::uint32_t RegistryAccess::ReadDWORD(const std::string& sPath, const std::string& sName,
                                        std::uint32_t nDefault) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!QueryValue(sPath, sName, type, data) || type != kRegDword || data.size() != 4) {
        return nDefault;
    }
    return DwordFromData(data);
}

bool RegistryAccess::WriteBinary(const std::string& sPath, const std::string& sName,
                                 const std::string& hex) {
    if (!hex.empty() && !isBinValid(hex)) return false;
    return SetValue(sPath, sName, kRegBinary, StrToBin(hex));
}

std::string RegistryAccess::ReadBinary(const std::string& sPath, const std::string& sName,
                                       const std::string& sDefault) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!QueryValue(sPath, sName, type, data) || type != kRegBinary) return sDefault;
    return BinToStr(data);
}

bool RegistryAccess::KillValue(const std::string& sPath, const std::string& sName) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.OpenKey(p.hive, p.subkey, &key) != kRegSuccess) return false;
    const bool ok = backend_.DeleteValue(key, sName == "@" ? "" : sName) == kRegSuccess;
    backend_.CloseKey(key);
    return ok;
}

bool RegistryAccess::ValueExists(const std::string& sPath, const std::string& sName) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    return QueryValue(sPath, sName, type, data);
}

int RegistryAccess::EnumValues(const std::string& sPath, std::vector<std::string>& names,
                               std::vector<std::string>& values, int typeFilter) {
    const SplitPath p = Split(sPath);
    RegKey key = 0;
    if (backend_.OpenKey(p.hive, p.subkey, &key) != kRegSuccess) return -1;
    names.clear();
    values.clear();
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    for (int j = 0; backend_.EnumValue(key, j, &name, &type, &data) == kRegSuccess; ++j) {
        if (typeFilter != -1 && static_cast<std::uint32_t>(typeFilter) != type) continue;
        names.push_back(Trim(name));
        std::string text;
        if (type == kRegSz) {
            text = StringFromData(data);
        } else if (type == kRegDword) {
            text = std::to_string(DwordFromData(data));
        } else if (type == kRegBinary) {
            text = data.empty() ? "" : Trim(BinToStr(data));
        }
        values.push_back(text);
    }
    backend_.CloseKey(key);
    return static_cast<int>(names.size());
}

void RegistryAccess::ExportKey(const std::string& longPath, RegKey hive, const std::string& subkey,
                               bool includeSubkeys, std::string& out) {
    RegKey key = 0;
    if (backend_.OpenKey(hive, subkey, &key) != kRegSuccess) return;
    out += "[" + longPath + "]\r\n";
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    for (int j = 0; backend_.EnumValue(key, j, &name, &type, &data) == kRegSuccess; ++j) {
        const std::string quoted = name.empty() ? "@" : "\"" + name + "\"";
        if (type == kRegSz) {
            const std::string text = StringFromData(data);
            if (name.empty() && text.empty()) continue;
            out += quoted + "=\"" + text + "\"\r\n";
        } else if (type == kRegDword) {
            out += quoted + "=dword:" + HexNumber(DwordFromData(data), 8) + "\r\n";
        } else if (type == kRegBinary) {
            out += quoted + "=hex:" + HexBytes(data, ",") + "\r\n";
        }
    }
    out += "\r\n";
    std::vector<std::string> children;
    std::string child;
    for (int j = 0; backend_.EnumKey(key, j, &child) == kRegSuccess; ++j) children.push_back(child);
    backend_.CloseKey(key);
    if (!includeSubkeys) return;
    for (const std::string& c : children) {
        const std::string sub = subkey.empty() ? c : subkey + "\\" + c;
        ExportKey(longPath + "\\" + c, hive, sub, true, out);
    }
}

bool RegistryAccess::ExportToReg(const std::string& sPath, const std::string& sRegFile,
                                 bool includeSubkeys, std::string* shown) {
    const SplitPath p = Split(sPath);
    if (p.hive == 0 || !KeyExists(sPath)) return false;
    std::string longPath = LongHiveName(p.hive);
    if (!p.subkey.empty()) longPath += "\\" + p.subkey;
    std::string text;
    ExportKey(longPath, p.hive, p.subkey, includeSubkeys, text);

    const bool exists = std::ifstream(sRegFile, std::ios::binary).good();
    std::ofstream file(sRegFile, std::ios::binary | std::ios::app);
    if (!file) return false;
    if (!exists) file << "REGEDIT4\r\n\r\n";
    file << text;
    if (shown) *shown += text;
    return static_cast<bool>(file.flush());
}

bool RegistryAccess::ImportFromReg(const std::string& sRegFile) {
    std::ifstream file(sRegFile, std::ios::binary);
    if (!file) return false;
    std::stringstream whole;
    whole << file.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(whole.str());
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (lines.empty() || Upper(lines[0]) != "REGEDIT4") return false;

    std::string currentKey;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.empty() || l[0] == ';') continue;
        if (l[0] == '[') {
            const auto close = l.rfind(']');
            std::string path =
                l.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            if (!path.empty() && path[0] == '-') {
                KillKey(path.substr(1));
                currentKey.clear();
            } else {
                currentKey = path;
                CreateKey(currentKey);
            }
            continue;
        }
        if (currentKey.empty()) continue;
        const auto eq = l.find('=');
        if (eq == std::string::npos) continue;
        std::string name = Trim(l.substr(0, eq));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
            name = name.substr(1, name.size() - 2);
        }
        const std::string value = l.substr(eq + 1);
        if (value == "-") {
            KillValue(currentKey, name);
        } else if (value.rfind("hex:", 0) == 0) {
            std::string hex = value.substr(4);
            for (char& c : hex) {
                if (c == ',') c = ' ';
            }
            WriteBinary(currentKey, name, hex);
        } else if (value.rfind("dword:", 0) == 0) {
            if (const auto number = ParseHexNumber(value.substr(6))) {
                WriteDWORD(currentKey, name, *number);
            }
        } else {
            std::string text = value;
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
                text = text.substr(1, text.size() - 2);
            }
            WriteString(currentKey, name, text);
        }
    }
    return true;
}

std::vector<std::uint8_t> RegistryAccess::StrToBin(const std::string& text) {
    // Pairs of hexadecimal digits between blanks; a lone digit is a byte of its own and any
    // other character separates like a blank.
    std::vector<std::uint8_t> bytes;
    int digits = 0;
    int value = 0;
    auto flush = [&] {
        if (digits > 0) bytes.push_back(static_cast<std::uint8_t>(value));
        digits = 0;
        value = 0;
    };
    for (char c : text) {
        const int d = HexDigitValue(c);
        if (d < 0) {
            flush();
            continue;
        }
        value = value * 16 + d;
        if (++digits == 2) flush();
    }
    flush();
    return bytes;
}

std::string RegistryAccess::BinToStr(const std::vector<std::uint8_t>& bytes) {
    return HexBytes(bytes);
}

bool RegistryAccess::isBinValid(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c != ' ' && HexDigitValue(c) < 0) return false;
    }
    return true;
}

int SerialPortCount(RegistryAccess& registry) {
    std::vector<std::string> names;
    std::vector<std::string> values;
    const int count = registry.EnumValues(kSerialCommKey, names, values, -1);
    return count < 0 ? 0 : count;
}

}  // namespace kpx
