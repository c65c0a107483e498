#include "testsupport/test_env.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace kpx::testing {

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* was = std::getenv(name_.c_str())) old_ = was;
    if (value) {
        ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

ScopedEnv::~ScopedEnv() {
    if (old_) {
        ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

IsolatedHome::IsolatedHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kpx41-home-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a test home");
    path_ = pattern;
    const struct {
        const char* name;
        const char* sub;
    } kVars[] = {{"HOME", ""},
                 {"XDG_DATA_HOME", "/.local/share"},
                 {"XDG_CONFIG_HOME", "/.config"},
                 {"XDG_CACHE_HOME", "/.cache"},
                 {"XDG_STATE_HOME", "/.local/state"}};
    for (const auto& v : kVars) vars_.push_back(std::make_unique<ScopedEnv>(v.name, path_ + v.sub));
}

IsolatedHome::~IsolatedHome() {
    vars_.clear();
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace kpx::testing
