#pragma once

#include <string>

#include "support/memory_registry.h"
#include "support/registry_access.h"

namespace kpx {

// The programmer's own settings of an installed program: the folder its file dialogs last
// used, the recent files. They live in the registry object under HKEY_CURRENT_USER, read from a REGEDIT4 file at
// start and written back whole at every change.
class UserSettings {
  public:
    explicit UserSettings(std::string file);

    // Empty when none is kept.
    std::string LastFolder();
    // False when the folder cannot be kept (a name with a line break) or the file cannot be
    // written; the folder is then still used for the rest of this run.
    bool SetLastFolder(const std::string& folder);
    // Any other value of one line (the recent files); the same rules.
    std::string Value(const std::string& name);
    bool SetValue(const std::string& name, const std::string& value);

    static constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\KPX41\\Programmer";

  private:
    bool Save();

    std::string file_;
    MemoryRegistry hive_;
    RegistryAccess registry_;
};

}  // namespace kpx
