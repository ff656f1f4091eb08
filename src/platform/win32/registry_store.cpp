#include "platform/win32/registry_store.h"

#include <cstring>
#include <exception>
#include <vector>

#include "platform/win32/utf.h"

namespace win32 {

using persistence::RegistryValue;
using persistence::RegKey;
using persistence::ValueKind;

namespace {

// Opens `subKey` below `root` for reading and writing, or for reading alone where writing is
// not allowed; null when it does not exist or cannot be read.
HKEY OpenReadable(HKEY root, const std::wstring& subKey, bool& writable) {
    HKEY key = nullptr;
    writable =
        ::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS;
    if (writable) return key;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) return key;
    return nullptr;
}

// A value name as the API wants it; false when no value can have that name (a NUL inside would
// silently name another value).
bool WideName(const std::string& name, std::wstring& wide) {
    if (name.find('\0') != std::string::npos) return false;
    wide = Utf8ToWide(name);
    return true;
}

// The text of REG_SZ data: up to the first NUL, also when the writer left out the terminator
// (the registry does not enforce it) or wrote an odd number of bytes.
std::string TextOf(const std::vector<BYTE>& data, DWORD size) {
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
    const std::size_t end = wide.find(L'\0');
    if (end != std::wstring::npos) wide.resize(end);
    return WideToUtf8(wide);
}

RegistryValue Other() {
    return RegistryValue{};
}

}  // namespace

RegistryStore::RegistryStore(HKEY root, HKEY userRoot) : root_(root), userRoot_(userRoot) {}

RegistryStore::~RegistryStore() {
    while (!opened_.empty()) CloseKey(opened_.begin()->first);
}

std::wstring RegistryStore::SubKeyPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) return {};
    const std::size_t start = path.find_first_not_of('\\');
    if (start == std::string::npos) return {};
    return Utf8ToWide(std::string_view(path).substr(start));
}

RegKey RegistryStore::OpenKey(const std::string& path) {
    try {
        Opened o;
        o.subKey = SubKeyPath(path);
        // An empty path would open the root itself: never the program's key.
        if (o.subKey.empty()) return 0;
        bool userWritable = false, machineWritable = false;
        o.user = OpenReadable(userRoot_, o.subKey, userWritable);
        o.machine = OpenReadable(root_, o.subKey, machineWritable);
        if (o.user == nullptr && o.machine == nullptr) return 0;
        o.write = o.user != nullptr ? (userWritable ? o.user : nullptr)
                                    : (machineWritable ? o.machine : nullptr);
        opened_[next_] = o;
        return next_++;
    } catch (const std::exception&) {
        return 0;
    }
}

bool RegistryStore::writeTo(Opened& o, HKEY root, HKEY& into) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, o.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    if (into != nullptr) ::RegCloseKey(into);
    into = key;
    o.write = key;
    return true;
}

RegKey RegistryStore::CreateKey(const std::string& path) {
    try {
        const RegKey id = OpenKey(path);
        Opened o;
        if (id != 0) {
            o = opened_[id];
            opened_.erase(id);
        } else {
            o.subKey = SubKeyPath(path);
            if (o.subKey.empty()) return 0;
        }
        // The user's key once it exists; else the machine's; else the user's, made for it.
        const bool ok =
            (o.write != nullptr && (o.user == nullptr || o.write == o.user)) ||
            (o.user != nullptr ? writeTo(o, userRoot_, o.user)
                               : writeTo(o, root_, o.machine) || writeTo(o, userRoot_, o.user));
        if (!ok) {
            if (o.user != nullptr) ::RegCloseKey(o.user);
            if (o.machine != nullptr) ::RegCloseKey(o.machine);
            return 0;
        }
        opened_[next_] = o;
        return next_++;
    } catch (const std::exception&) {
        return 0;
    }
}

std::optional<RegistryValue> RegistryStore::QueryValue(RegKey key, const std::string& name) {
    const auto found = opened_.find(key);
    if (found == opened_.end()) return std::nullopt;
    // The user's own value first, then the machine's.
    for (const HKEY native : {found->second.user, found->second.machine}) {
        if (native == nullptr) continue;
        if (auto value = queryIn(native, name)) return value;
    }
    return std::nullopt;
}

std::optional<RegistryValue> RegistryStore::queryIn(HKEY native, const std::string& name) {
    std::wstring wideName;
    try {
        if (!WideName(name, wideName)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(native, wideName.c_str(), nullptr, &type, nullptr, &size);
    if (result == ERROR_FILE_NOT_FOUND || result == ERROR_INVALID_HANDLE) return std::nullopt;
    // It exists but cannot be read: a kind the store does not know, so no rule takes it as
    // empty text.
    if (result != ERROR_SUCCESS) return Other();
    if (type != REG_SZ && type != REG_DWORD) return Other();

    // The value may grow between the two calls; then ask again for the new size.
    std::vector<BYTE> data;
    for (int attempt = 0;; ++attempt) {
        data.assign(size, 0);
        DWORD got = size;
        result = ::RegQueryValueExW(native, wideName.c_str(), nullptr, &type, data.data(), &got);
        if (result == ERROR_MORE_DATA && attempt < 4) {
            size = got;
            continue;
        }
        if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (result != ERROR_SUCCESS) return Other();
        size = got;
        break;
    }

    if (type == REG_DWORD) {
        if (size != sizeof(DWORD)) return Other();
        DWORD bits = 0;
        std::memcpy(&bits, data.data(), sizeof bits);
        // The store's integers are signed: negative window coordinates survive.
        return RegistryValue::Integer(static_cast<std::int32_t>(bits));
    }
    if (type == REG_SZ) {
        try {
            return RegistryValue::Text(TextOf(data, size));
        } catch (const std::exception&) {
            return Other();
        }
    }
    return Other();
}

bool RegistryStore::SetValue(RegKey key, const std::string& name, const RegistryValue& value) {
    const auto found = opened_.find(key);
    if (found == opened_.end()) return false;
    Opened& o = found->second;
    // A key the user may only read: the value goes into the user's own key, made for it.
    if (o.write == nullptr && !writeTo(o, userRoot_, o.user)) return false;
    const LONG result = setIn(o.write, name, value);
    if (result == ERROR_SUCCESS) return true;
    // The machine's key refused: the user may not write there.
    if (result != ERROR_ACCESS_DENIED || o.write != o.machine || !writeTo(o, userRoot_, o.user))
        return false;
    return setIn(o.write, name, value) == ERROR_SUCCESS;
}

LONG RegistryStore::setIn(HKEY native, const std::string& name, const RegistryValue& value) {
    try {
        std::wstring wideName;
        if (!WideName(name, wideName)) return ERROR_INVALID_PARAMETER;
        switch (value.kind) {
            case ValueKind::Text: {
                const std::wstring text = Utf8ToWide(value.text);
                const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
                if (bytes > MAXDWORD) return ERROR_INVALID_PARAMETER;
                return ::RegSetValueExW(native, wideName.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>(bytes));
            }
            case ValueKind::Integer: {
                const auto bits = static_cast<DWORD>(value.integer);
                return ::RegSetValueExW(native, wideName.c_str(), 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&bits), sizeof bits);
            }
            case ValueKind::Other:
                break;
        }
        return ERROR_INVALID_PARAMETER;
    } catch (const std::exception&) {
        return ERROR_OUTOFMEMORY;
    }
}

void RegistryStore::CloseKey(RegKey key) {
    const auto found = opened_.find(key);
    if (found == opened_.end()) return;
    if (found->second.user != nullptr) ::RegCloseKey(found->second.user);
    if (found->second.machine != nullptr) ::RegCloseKey(found->second.machine);
    opened_.erase(found);
}

}  // namespace win32
