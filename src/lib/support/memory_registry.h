#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/registry_backend.h"

namespace kpx {

// A registry held in memory: every root key present and empty at the start.
class MemoryRegistry : public RegistryBackend {
  public:
    MemoryRegistry();

    long OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
    long CreateKey(RegKey parent, const std::string& subkey, RegKey* result) override;
    long DeleteKey(RegKey parent, const std::string& subkey) override;
    long EnumKey(RegKey key, int index, std::string* name) override;
    long EnumValue(RegKey key, int index, std::string* name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
    long QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                    std::vector<std::uint8_t>* data) override;
    long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) override;
    long DeleteValue(RegKey key, const std::string& name) override;
    long CloseKey(RegKey key) override;

    // Replaces every value of a key (created when missing) by these strings.
    void ReplaceStringValues(RegKey root, const std::string& subkey,
                             const std::vector<std::pair<std::string, std::string>>& values);
    int OpenHandleCount() const { return static_cast<int>(handles_.size()); }

  private:
    struct Value {
        std::string name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    struct Node {
        std::string name;
        std::vector<std::shared_ptr<Node>> children;
        std::vector<Value> values;
    };

    std::shared_ptr<Node> Resolve(RegKey key) const;
    std::shared_ptr<Node> Walk(std::shared_ptr<Node> node, const std::string& subkey,
                               bool create) const;
    RegKey NewHandle(std::shared_ptr<Node> node);

    std::map<RegKey, std::shared_ptr<Node>> roots_;
    std::map<RegKey, std::weak_ptr<Node>> handles_;
    RegKey nextHandle_ = 0x100;
};

// Case-blind comparison of registry names.
bool SameRegistryName(const std::string& a, const std::string& b);

}  // namespace kpx
