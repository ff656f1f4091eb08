#include "platform/portable/memory_registry.h"

namespace portable {

persistence::RegKey MemoryRegistry::OpenKey(const std::string& path) {
    if (!keys.count(path)) return 0;
    handles_[next_] = path;
    return next_++;
}

persistence::RegKey MemoryRegistry::CreateKey(const std::string& path) {
    keys[path];
    handles_[next_] = path;
    return next_++;
}

std::optional<persistence::RegistryValue> MemoryRegistry::QueryValue(persistence::RegKey key,
                                                                     const std::string& name) {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return std::nullopt;
    const Values& values = keys[h->second];
    const auto v = values.find(name);
    if (v == values.end()) return std::nullopt;
    return v->second;
}

bool MemoryRegistry::SetValue(persistence::RegKey key, const std::string& name,
                              const persistence::RegistryValue& value) {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return false;
    ++writes_;
    keys[h->second][name] = value;
    return true;
}

void MemoryRegistry::CloseKey(persistence::RegKey key) {
    handles_.erase(key);
}

}  // namespace portable
