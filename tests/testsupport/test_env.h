#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kpx::testing {

// Sets (or, with nothing, unsets) one environment variable for as long as the object lives,
// then puts back what was there before.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// A home of the test process's own: HOME and the XDG data, config, cache and state folders
// point into a fresh temporary folder, so that backups, pruning, Qt's and fontconfig's files
// never reach the developer's own home. Removed with everything in it at the end.
class IsolatedHome {
  public:
    IsolatedHome();
    ~IsolatedHome();
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::vector<std::unique_ptr<ScopedEnv>> vars_;
};

}  // namespace kpx::testing
