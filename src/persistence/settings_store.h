#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "persistence/registry.h"

namespace persistence {

// A value that could not be read by the store's rules; the load falls back to the defaults.
class ESettingsReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A write the store refused; its message is the one the user sees.
class ESettingsWriteError : public std::runtime_error {
public:
    explicit ESettingsWriteError(const std::string& name)
        : std::runtime_error("Failed to set data for '" + name + "'") {}
};

// The three read rules. Text: a missing value (or no key) reads as empty, another kind fails.
// Integer: missing, no key or another kind fails. Flag: an integer, true when not 0.
std::string ReadText(IRegistry& registry, RegKey key, const std::string& name);
std::int32_t ReadInteger(IRegistry& registry, RegKey key, const std::string& name);
bool ReadFlag(IRegistry& registry, RegKey key, const std::string& name);
// A flag that settings stored by an earlier version lack: missing, it reads as false, so
// that such settings still load; another kind fails as for every flag.
bool ReadAddedFlag(IRegistry& registry, RegKey key, const std::string& name);

// Writes; a refused write (every write without a key among them) raises ESettingsWriteError.
void WriteText(IRegistry& registry, RegKey key, const std::string& name, const std::string& text);
void WriteInteger(IRegistry& registry, RegKey key, const std::string& name, std::int32_t value);
void WriteFlag(IRegistry& registry, RegKey key, const std::string& name, bool value);

}  // namespace persistence
