#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace persistence {

// The kinds of value the program reads and writes: a text (REG_SZ) and a 32-bit number
// (REG_DWORD, read as signed). Anything else found in the store is Other.
enum class ValueKind { Text, Integer, Other };

struct RegistryValue {
    ValueKind kind = ValueKind::Other;
    std::string text;
    std::int32_t integer = 0;

    static RegistryValue Text(std::string t) { return {ValueKind::Text, std::move(t), 0}; }
    static RegistryValue Integer(std::int32_t i) { return {ValueKind::Integer, {}, i}; }
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

using RegKey = std::uintptr_t;  // 0: no key

// The settings store: one key of named, typed values (the Windows registry, or a file that
// stands in for it). Paths are absolute from the root, e.g. "\Software\Maker\Product".
class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens an existing key with full access; 0 when it is missing or cannot be opened.
    virtual RegKey OpenKey(const std::string& path) = 0;
    // Opens a key, creating it when missing; 0 on failure.
    virtual RegKey CreateKey(const std::string& path) = 0;
    // The value and its kind; nothing when the value does not exist.
    virtual std::optional<RegistryValue> QueryValue(RegKey key, const std::string& name) = 0;
    // False when the store refuses the write.
    virtual bool SetValue(RegKey key, const std::string& name, const RegistryValue& value) = 0;
    virtual void CloseKey(RegKey key) = 0;

    // A save of many values: the writes through `key` from BeginBatch to CommitBatch are
    // gathered and stored at once, all or none, so that an interrupted save never leaves a
    // mixture. False from CommitBatch when nothing could be stored. A store that keeps each
    // value on its own as it is written has nothing to gather.
    virtual void BeginBatch(RegKey) {}
    virtual bool CommitBatch(RegKey) { return true; }

    // What the last opening of the store could not read, in words for the user (which file,
    // what was dropped, where the old copy is kept); empty when everything was read. Given
    // once: the next call is empty.
    virtual std::string TakeReadNotice() { return {}; }
};

}  // namespace persistence
