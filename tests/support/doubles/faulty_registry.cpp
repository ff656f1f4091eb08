#include "support/doubles/faulty_registry.h"

namespace headless {

persistence::RegKey FaultyRegistry::OpenKey(const std::string& path) {
    if (denyOpen) return 0;
    return MemoryRegistry::OpenKey(path);
}

persistence::RegKey FaultyRegistry::CreateKey(const std::string& path) {
    if (denyCreate) return 0;
    if (!keys.count(path) && denyOpen) return 0;
    return MemoryRegistry::CreateKey(path);
}

bool FaultyRegistry::SetValue(persistence::RegKey key, const std::string& name,
                              const persistence::RegistryValue& value) {
    if (writesBeforeRefusal >= 0 && writes() >= writesBeforeRefusal) return false;
    return MemoryRegistry::SetValue(key, name, value);
}

}  // namespace headless
