#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "persistence/registry.h"

namespace win32 {

// The settings store in the Windows registry (advapi32): the program's key lives under
// HKEY_LOCAL_MACHINE, and under HKEY_CURRENT_USER's same path for a user who may not write
// there (a standard user of an unvirtualised build). Texts are REG_SZ, integers REG_DWORD read
// as signed; any other kind reads as Other. Paths arrive absolute ("\Software\Maker\Product");
// the registry takes them relative to the root, so the leading backslashes are dropped.
//
// Keys are opened for reading, and for writing only where that is allowed, so that a key the
// user may only read is still read. A value is read from the user's key first, then from the
// machine's. Writes go to the user's key once it exists; otherwise to the machine's, and when
// that cannot be written, to the user's key, made for it. An administrator's settings under
// HKEY_LOCAL_MACHINE keep working as before.
class RegistryStore final : public persistence::IRegistry {
public:
    explicit RegistryStore(HKEY root = HKEY_LOCAL_MACHINE, HKEY userRoot = HKEY_CURRENT_USER);
    ~RegistryStore();
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
    struct Opened {
        std::wstring subKey;
        HKEY user = nullptr;     // the user's key, when it exists
        HKEY machine = nullptr;  // the machine's key, when it exists
        HKEY write = nullptr;    // where writes go (one of the two), null: not yet known
    };
    bool writeTo(Opened& opened, HKEY root, HKEY& into);
    static std::optional<persistence::RegistryValue> queryIn(HKEY key, const std::string& name);
    static LONG setIn(HKEY key, const std::string& name, const persistence::RegistryValue& value);

    HKEY root_;
    HKEY userRoot_;
    std::map<persistence::RegKey, Opened> opened_;
    persistence::RegKey next_ = 1;
};

}  // namespace win32
