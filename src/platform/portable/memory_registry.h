#pragma once

#include <map>
#include <optional>
#include <string>

#include "persistence/registry.h"

namespace portable {

// The settings store in memory, for a run that keeps nothing: what is written reads back until
// the store is gone.
class MemoryRegistry : public persistence::IRegistry {
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

    int openHandles() const { return static_cast<int>(handles_.size()); }
    // Writes accepted so far.
    int writes() const { return writes_; }

private:
    std::map<persistence::RegKey, std::string> handles_;
    persistence::RegKey next_ = 1;
    int writes_ = 0;
};

}  // namespace portable
