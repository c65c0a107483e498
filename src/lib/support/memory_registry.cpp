#include "support/memory_registry.h"

#include <algorithm>
#include <cctype>

namespace kpx {

bool SameRegistryName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

namespace {

std::vector<std::string> SplitPath(const std::string& subkey) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : subkey) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
    for (RegKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers,
                        kHkeyPerformanceData, kHkeyCurrentConfig, kHkeyDynData}) {
        roots_[root] = std::make_shared<Node>();
    }
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Resolve(RegKey key) const {
    if (auto root = roots_.find(key); root != roots_.end()) return root->second;
    if (auto open = handles_.find(key); open != handles_.end()) return open->second.lock();
    return nullptr;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Walk(std::shared_ptr<Node> node,
                                                           const std::string& subkey,
                                                           bool create) const {
    for (const std::string& part : SplitPath(subkey)) {
        auto it =
            std::find_if(node->children.begin(), node->children.end(),
                         [&](const auto& child) { return SameRegistryName(child->name, part); });
        if (it != node->children.end()) {
            node = *it;
        } else if (create) {
            auto child = std::make_shared<Node>();
            child->name = part;
            node->children.push_back(child);
            node = child;
        } else {
            return nullptr;
        }
    }
    return node;
}

RegKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node) {
    RegKey handle = nextHandle_++;
    handles_[handle] = node;
    return handle;
}

long MemoryRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
    auto node = Resolve(parent);
    if (!node) return kRegInvalidHandle;
    auto target = Walk(node, subkey, false);
    if (!target) return kRegFileNotFound;
    *result = NewHandle(target);
    return kRegSuccess;
}

long MemoryRegistry::CreateKey(RegKey parent, const std::string& subkey, RegKey* result) {
    auto node = Resolve(parent);
    if (!node) return kRegInvalidHandle;
    *result = NewHandle(Walk(node, subkey, true));
    return kRegSuccess;
}

long MemoryRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
    auto node = Resolve(parent);
    if (!node) return kRegInvalidHandle;
    auto parts = SplitPath(subkey);
    if (parts.empty()) return kRegInvalidParameter;
    const std::string leaf = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const auto& p : parts) parentPath += p + "\\";
    auto owner = Walk(node, parentPath, false);
    if (!owner) return kRegFileNotFound;
    auto it = std::find_if(owner->children.begin(), owner->children.end(),
                           [&](const auto& child) { return SameRegistryName(child->name, leaf); });
    if (it == owner->children.end()) return kRegFileNotFound;
    owner->children.erase(it);
    return kRegSuccess;
}

long MemoryRegistry::EnumKey(RegKey key, int index, std::string* name) {
    auto node = Resolve(key);
    if (!node) return kRegInvalidHandle;
    if (index < 0 || index >= static_cast<int>(node->children.size())) return kRegNoMoreItems;
    *name = node->children[static_cast<std::size_t>(index)]->name;
    return kRegSuccess;
}

long MemoryRegistry::EnumValue(RegKey key, int index, std::string* name, std::uint32_t* type,
                               std::vector<std::uint8_t>* data) {
    auto node = Resolve(key);
    if (!node) return kRegInvalidHandle;
    if (index < 0 || index >= static_cast<int>(node->values.size())) return kRegNoMoreItems;
    const Value& v = node->values[static_cast<std::size_t>(index)];
    *name = v.name;
    *type = v.type;
    *data = v.data;
    return kRegSuccess;
}

long MemoryRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                std::vector<std::uint8_t>* data) {
    auto node = Resolve(key);
    if (!node) return kRegInvalidHandle;
    for (const Value& v : node->values) {
        if (SameRegistryName(v.name, name)) {
            *type = v.type;
            *data = v.data;
            return kRegSuccess;
        }
    }
    return kRegFileNotFound;
}

long MemoryRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) {
    auto node = Resolve(key);
    if (!node) return kRegInvalidHandle;
    for (Value& v : node->values) {
        if (SameRegistryName(v.name, name)) {
            v.type = type;
            v.data = data;
            return kRegSuccess;
        }
    }
    node->values.push_back({name, type, data});
    return kRegSuccess;
}

long MemoryRegistry::DeleteValue(RegKey key, const std::string& name) {
    auto node = Resolve(key);
    if (!node) return kRegInvalidHandle;
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Value& v) { return SameRegistryName(v.name, name); });
    if (it == node->values.end()) return kRegFileNotFound;
    node->values.erase(it);
    return kRegSuccess;
}

long MemoryRegistry::CloseKey(RegKey key) {
    if (roots_.count(key)) return kRegSuccess;
    return handles_.erase(key) ? kRegSuccess : kRegInvalidHandle;
}

void MemoryRegistry::ReplaceStringValues(
    RegKey root, const std::string& subkey,
    const std::vector<std::pair<std::string, std::string>>& values) {
    auto node = Resolve(root);
    if (!node) return;
    node = Walk(node, subkey, true);
    node->values.clear();
    for (const auto& [name, text] : values) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        node->values.push_back({name, kRegSz, data});
    }
}

}  // namespace kpx
