#include "persistence/settings_store.h"

namespace persistence {

std::string ReadText(IRegistry& registry, RegKey key, const std::string& name) {
    if (!key) return {};
    const auto value = registry.QueryValue(key, name);
    if (!value) return {};
    if (value->kind != ValueKind::Text) throw ESettingsReadError(name);
    return value->text;
}

std::int32_t ReadInteger(IRegistry& registry, RegKey key, const std::string& name) {
    if (!key) throw ESettingsReadError(name);
    const auto value = registry.QueryValue(key, name);
    if (!value || value->kind != ValueKind::Integer) throw ESettingsReadError(name);
    return value->integer;
}

bool ReadFlag(IRegistry& registry, RegKey key, const std::string& name) {
    return ReadInteger(registry, key, name) != 0;
}

void WriteText(IRegistry& registry, RegKey key, const std::string& name, const std::string& text) {
    if (!key || !registry.SetValue(key, name, RegistryValue::Text(text)))
        throw ESettingsWriteError(name);
}

void WriteInteger(IRegistry& registry, RegKey key, const std::string& name, std::int32_t value) {
    if (!key || !registry.SetValue(key, name, RegistryValue::Integer(value)))
        throw ESettingsWriteError(name);
}

void WriteFlag(IRegistry& registry, RegKey key, const std::string& name, bool value) {
    WriteInteger(registry, key, name, value ? 1 : 0);
}

}  // namespace persistence
