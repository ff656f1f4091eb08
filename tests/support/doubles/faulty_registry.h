#pragma once

#include <string>

#include "platform/portable/memory_registry.h"

namespace doubles {

// The settings store in memory with the failures a real store can have: a key that does not
// open, a key that cannot be created, writes refused from some point on.
class FaultyRegistry final : public portable::MemoryRegistry {
public:
    persistence::RegKey OpenKey(const std::string& path) override;
    persistence::RegKey CreateKey(const std::string& path) override;
    bool SetValue(persistence::RegKey key, const std::string& name,
                  const persistence::RegistryValue& value) override;

    // No key opens; a missing key cannot be made either.
    bool denyOpen = false;
    bool denyCreate = false;
    // Writes accepted before every further write is refused; negative: no limit.
    int writesBeforeRefusal = -1;
};

}  // namespace doubles
