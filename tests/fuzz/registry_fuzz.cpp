// REGEDIT4 import, then the registry calls on paths, names and values from the input.
#include <cctype>
#include <filesystem>

#include "fuzz_support.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"

namespace kpx::fuzz {

namespace {
constexpr const char* kName = "registry";

// Names and texts that a REGEDIT4 line carries as they are: no quotes, equals signs,
// brackets, backslashes or line ends to take apart.
bool Plain(const std::string& s) {
    if (s.empty()) return false;
    for (const char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && c != '_' && c != '.' &&
            c != '-') {
            return false;
        }
    }
    return s.front() != ' ' && s.back() != ' ';
}

// A key path of a known hive and plain key names.
bool PlainPath(const std::string& path) {
    const RegistryAccess::SplitPath split = RegistryAccess::Split(path);
    if (split.hive == 0 || split.subkey.empty()) return false;
    std::size_t from = 0;
    for (;;) {
        const std::size_t to = split.subkey.find('\\', from);
        if (!Plain(split.subkey.substr(from, to - from))) return false;
        if (to == std::string::npos) return true;
        from = to + 1;
    }
}
}  // namespace

int Fuzz_registry(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::string path = in.Text(80);
    const std::string name = in.Text(40);
    const std::string value = in.Text(80);
    const std::string regFile = in.Rest();

    MemoryRegistry backend;
    RegistryAccess registry(backend);
    const std::string file = ScratchFile(
        "import.reg", reinterpret_cast<const std::uint8_t*>(regFile.data()), regFile.size());
    registry.ImportFromReg(file);

    RegistryAccess::Split(path);
    std::vector<std::string> names, values;
    const int keys = registry.EnumKeys(path, names);
    Check(keys == -1 || keys == static_cast<int>(names.size()), kName, "key count is off");
    names.clear();
    const int count = registry.EnumValues(path, names, values, -1);
    Check(count == -1 || (count == static_cast<int>(names.size()) && names.size() == values.size()),
          kName, "value count is off");

    // What is written can be read back, and what is killed is gone.
    if (registry.WriteString(path, name, value)) {
        Check(registry.KeyExists(path), kName, "written key does not exist");
        Check(registry.ValueExists(path, name), kName, "written value does not exist");
        // A string value ends at its first NUL, as the registry's strings do.
        const std::string stored = value.substr(0, value.find('\0'));
        Check(registry.ReadString(path, name, value + "?") == stored, kName,
              "string does not read back");
        if (registry.KillValue(path, name)) {
            Check(!registry.ValueExists(path, name), kName, "killed value still there");
        }
    }
    if (registry.WriteDWORD(path, name, 0x12345678u)) {
        Check(registry.ReadDWORD(path, name, 0) == 0x12345678u, kName, "DWORD does not read back");
    }
    if (RegistryAccess::isBinValid(value)) {
        // Hex text and bytes go back and forth without loss, also through a stored value.
        const auto bytes = RegistryAccess::StrToBin(value);
        const std::string text = RegistryAccess::BinToStr(bytes);
        Check(RegistryAccess::StrToBin(text) == bytes, kName, "hex text does not round-trip");
        Check(RegistryAccess::isBinValid(text) || bytes.empty(), kName,
              "hex text of bytes is not valid hex");
        if (registry.WriteBinary(path, name, value)) {
            Check(registry.ReadBinary(path, name, "?") == text, kName,
                  "binary value does not read back");
        }
    }

    // What export writes, import reads back: a plain value under a plain key is there again
    // in a registry built from the exported file alone.
    const std::string exported = ScratchFile("export.reg", nullptr, 0);
    std::filesystem::remove(exported);
    std::string shown;
    const bool plain = Plain(name) && Plain(value) && PlainPath(path);
    const bool wrote = plain && registry.WriteString(path, name, value);
    if (registry.ExportToReg(path, exported, true, &shown)) {
        Check(!shown.empty(), kName, "an exported key shows no lines");
        MemoryRegistry copyBackend;
        RegistryAccess copy(copyBackend);
        Check(copy.ImportFromReg(exported), kName, "an exported file does not import");
        if (wrote) {
            Check(copy.ReadString(path, name, value + "?") == value, kName,
                  "an exported value does not import back");
        }
    } else {
        Check(!wrote, kName, "a written key does not export");
    }
    return 0;
}

}  // namespace kpx::fuzz
