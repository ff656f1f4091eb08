#pragma once

#include <map>
#include <optional>
#include <string>

#include "persistence/registry.h"

namespace headless {

// The settings store in memory, with the failures a real store can have: a key that does not
// open, a key that cannot be created, writes refused from some point on.
class MemoryRegistry final : public persistence::IRegistry {
public:
    using Values = std::map<std::string, persistence::RegistryValue>;

    persistence::RegKey OpenKey(const std::string& path) override;
    persistence::RegKey CreateKey(const std::string& path) override;
    std::optional<persistence::RegistryValue> QueryValue(persistence::RegKey key,
                                                         const std::string& name) override;
    bool SetValue(persistence::RegKey key, const std::string& name,
                  const persistence::RegistryValue& value) override;
    void CloseKey(persistence::RegKey key) override;

    std::map<std::string, Values> keys;
    bool denyOpen = false;
    bool denyCreate = false;
    // Writes accepted before every further write is refused; negative: no limit.
    int writesBeforeRefusal = -1;

    int openHandles() const { return static_cast<int>(handles_.size()); }
    int writes() const { return writes_; }

private:
    std::map<persistence::RegKey, std::string> handles_;
    persistence::RegKey next_ = 1;
    int writes_ = 0;
};

}  // namespace headless
