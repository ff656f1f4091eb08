#include "support/doubles/faulty_registry.h"

namespace doubles {

persistence::RegKey FaultyRegistry::OpenKey(const std::string& path) {
    if (denyOpen) return 0;
    return portable::MemoryRegistry::OpenKey(path);
}

persistence::RegKey FaultyRegistry::CreateKey(const std::string& path) {
    if (denyCreate) return 0;
    if (!keys.count(path) && denyOpen) return 0;
    return portable::MemoryRegistry::CreateKey(path);
}

bool FaultyRegistry::SetValue(persistence::RegKey key, const std::string& name,
                              const persistence::RegistryValue& value) {
    if (writesBeforeRefusal >= 0 && writes() >= writesBeforeRefusal) return false;
    return portable::MemoryRegistry::SetValue(key, name, value);
}

}  // namespace doubles
