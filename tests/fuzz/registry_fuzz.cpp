// REGEDIT4 import, then the registry calls on paths, names and values from the input.
#include "fuzz_support.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"

namespace kpx::fuzz {

namespace {
constexpr const char* kName = "registry";
}

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
        const auto bytes = RegistryAccess::StrToBin(value);
        RegistryAccess::BinToStr(bytes);
    }
    std::string shown;
    registry.ExportToReg(path, ScratchFile("export.reg", nullptr, 0), true, &shown);
    return 0;
}

}  // namespace kpx::fuzz
