#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "persistence/registry.h"

namespace persistence {

// The text form of a settings store, in the Windows ".reg" format, which keeps each value's
// kind:
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Halvane\Vimbrel Pulse Generator]
//   "fInitLeft"="100"
//   "FormX"=dword:ffffff9c
// Values of other kinds are kept as their raw text so that nothing is lost on a rewrite.
struct RegFile {
    struct Value {
        RegistryValue value;
        std::string raw;  // the text after '=' for kinds we do not read (hex:..., etc.)
        friend bool operator==(const Value&, const Value&) = default;
    };
    using Key = std::map<std::string, Value>;
    std::map<std::string, Key> keys;  // by key path without the root, e.g. "\Software\..."
    friend bool operator==(const RegFile&, const RegFile&) = default;
};

inline constexpr const char* kRegFileHeader = "Windows Registry Editor Version 5.00";
inline constexpr const char* kRegFileRoot = "HKEY_LOCAL_MACHINE";

// What a tolerant read found: the file (nothing when the text is not of this format at all,
// i.e. lacks the header line) and the numbers (from 1) of the lines it had to drop. A broken
// value line costs that value alone; a broken key line costs the values under it.
struct RegFileReading {
    std::optional<RegFile> file;
    std::vector<int> droppedLines;
    // The key path and value name of each dropped value line whose name could be read.
    std::vector<std::pair<std::string, std::string>> droppedValues;
};
RegFileReading ReadRegFile(std::string_view text);

// Nothing when the text is not a well-formed file of this format, down to the last line.
std::optional<RegFile> ParseRegFile(std::string_view text);
std::string SerializeRegFile(const RegFile& file);

}  // namespace persistence
