#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "persistence/registry.h"

namespace win32 {

// The settings store in the Windows registry (advapi32), under one root key: the program's key
// lives under HKEY_LOCAL_MACHINE. Texts are REG_SZ, integers REG_DWORD read as signed; any other
// kind reads as Other. Paths arrive absolute ("\Software\Maker\Product"); the registry takes
// them relative to the root, so the leading backslashes are dropped.
//
// No elevation is asked for anywhere: a 32-bit build run by a user without administrator rights
// (and without a requestedExecutionLevel in its manifest) is virtualized by Windows, so its
// settings land in the user's VirtualStore instead of failing at every close.
class RegistryStore final : public persistence::IRegistry {
public:
    explicit RegistryStore(HKEY root = HKEY_LOCAL_MACHINE);
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    persistence::RegKey OpenKey(const std::string& path) override;
    persistence::RegKey CreateKey(const std::string& path) override;
    std::optional<persistence::RegistryValue> QueryValue(persistence::RegKey key,
                                                         const std::string& name) override;
    bool SetValue(persistence::RegKey key, const std::string& name,
                  const persistence::RegistryValue& value) override;
    void CloseKey(persistence::RegKey key) override;

    // The path as the registry API wants it: relative to the root, UTF-16. Empty when the path
    // names no key below the root (empty, only backslashes, or with a NUL in it).
    static std::wstring SubKeyPath(const std::string& path);

private:
    HKEY root_;
};

}  // namespace win32
