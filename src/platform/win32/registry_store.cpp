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

HKEY ToNative(RegKey key) {
    return reinterpret_cast<HKEY>(key);
}

RegKey FromNative(HKEY key) {
    return reinterpret_cast<RegKey>(key);
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

RegistryStore::RegistryStore(HKEY root) : root_(root) {}

std::wstring RegistryStore::SubKeyPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) return {};
    const std::size_t start = path.find_first_not_of('\\');
    if (start == std::string::npos) return {};
    return Utf8ToWide(std::string_view(path).substr(start));
}

RegKey RegistryStore::OpenKey(const std::string& path) {
    try {
        const std::wstring subKey = SubKeyPath(path);
        // An empty path would open the root itself: never the program's key.
        if (subKey.empty()) return 0;
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root_, subKey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return 0;
        return FromNative(key);
    } catch (const std::exception&) {
        return 0;
    }
}

RegKey RegistryStore::CreateKey(const std::string& path) {
    try {
        const std::wstring subKey = SubKeyPath(path);
        if (subKey.empty()) return 0;
        HKEY key = nullptr;
        if (::RegCreateKeyExW(root_, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return 0;
        return FromNative(key);
    } catch (const std::exception&) {
        return 0;
    }
}

std::optional<RegistryValue> RegistryStore::QueryValue(RegKey key, const std::string& name) {
    if (key == 0) return std::nullopt;
    std::wstring wideName;
    try {
        if (!WideName(name, wideName)) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const HKEY native = ToNative(key);
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
    if (key == 0) return false;
    try {
        std::wstring wideName;
        if (!WideName(name, wideName)) return false;
        const HKEY native = ToNative(key);
        switch (value.kind) {
            case ValueKind::Text: {
                const std::wstring text = Utf8ToWide(value.text);
                const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
                if (bytes > MAXDWORD) return false;
                return ::RegSetValueExW(native, wideName.c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
            }
            case ValueKind::Integer: {
                const auto bits = static_cast<DWORD>(value.integer);
                return ::RegSetValueExW(native, wideName.c_str(), 0, REG_DWORD,
                                        reinterpret_cast<const BYTE*>(&bits),
                                        sizeof bits) == ERROR_SUCCESS;
            }
            case ValueKind::Other:
                break;
        }
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

void RegistryStore::CloseKey(RegKey key) {
    if (key != 0) ::RegCloseKey(ToNative(key));
}

}  // namespace win32
