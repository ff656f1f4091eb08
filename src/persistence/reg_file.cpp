#include "persistence/reg_file.h"

#include <charconv>
#include <cstdio>

namespace persistence {

namespace {

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Reads a quoted string starting at s[0] == '"'; returns the consumed length or 0 on error.
std::size_t readQuoted(std::string_view s, std::string& out) {
    if (s.empty() || s[0] != '"') return 0;
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') return i + 1;
        if (c == '\\') {
            if (++i >= s.size()) return 0;
            switch (s[i]) {
                case '\\':
                    out += '\\';
                    break;
                case '"':
                    out += '"';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case '0':
                    out += '\0';
                    break;
                default:
                    return 0;
            }
        } else {
            out += c;
        }
    }
    return 0;
}

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return out + '"';
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

namespace {

// One value line: "NAME"=DATA. False when it is not well-formed.
bool readValueLine(std::string_view line, std::string& name, RegFile::Value& value) {
    if (line[0] != '"') return false;
    const std::size_t used = readQuoted(line, name);
    if (used == 0 || used >= line.size() || line[used] != '=') return false;
    std::string_view data = line.substr(used + 1);
    if (!data.empty() && data[0] == '"') {
        std::string s;
        if (readQuoted(data, s) != data.size()) return false;
        value.value = RegistryValue::Text(std::move(s));
    } else if (data.substr(0, 6) == "dword:") {
        const std::string_view hex = data.substr(6);
        if (hex.size() != 8) return false;
        for (char c : hex)
            if (!isHex(c)) return false;
        std::uint32_t bits = 0;
        std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
        value.value = RegistryValue::Integer(static_cast<std::int32_t>(bits));
    } else if (data.substr(0, 3) == "hex") {
        value.value.kind = ValueKind::Other;
        value.raw = std::string(data);
    } else {
        return false;
    }
    return true;
}

// The key path of a key line "[HKEY_LOCAL_MACHINE\...]"; nothing when it is not well-formed.
std::optional<std::string> readKeyLine(std::string_view line) {
    if (line.back() != ']') return std::nullopt;
    std::string_view path = line.substr(1, line.size() - 2);
    const std::string_view root = kRegFileRoot;
    if (path.substr(0, root.size()) != root) return std::nullopt;
    path.remove_prefix(root.size());
    if (path.empty() || path[0] != '\\') return std::nullopt;
    return std::string(path);
}

}  // namespace

RegFileReading ReadRegFile(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    RegFileReading reading;
    RegFile file;
    RegFile::Key* current = nullptr;
    std::string currentPath;
    bool header = false;
    int number = 0;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = trimRight(text.substr(0, nl));
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++number;
        if (line.empty() || line[0] == ';') continue;
        if (!header) {
            // Whatever precedes the header says this is not our file.
            if (line != kRegFileHeader) return reading;
            header = true;
            continue;
        }
        if (line[0] == '[') {
            const auto path = readKeyLine(line);
            // The values of a key whose name cannot be read belong nowhere.
            current = path ? &file.keys[*path] : nullptr;
            currentPath = path.value_or(std::string());
            if (!path) reading.droppedLines.push_back(number);
            continue;
        }
        std::string name;
        RegFile::Value value;
        if (!current || !readValueLine(line, name, value)) {
            reading.droppedLines.push_back(number);
            std::string readable;
            if (current && readQuoted(line, readable) != 0)
                reading.droppedValues.emplace_back(currentPath, std::move(readable));
            continue;
        }
        (*current)[name] = std::move(value);
    }
    if (header) reading.file = std::move(file);
    return reading;
}

std::optional<RegFile> ParseRegFile(std::string_view text) {
    RegFileReading reading = ReadRegFile(text);
    if (!reading.droppedLines.empty()) return std::nullopt;
    return std::move(reading.file);
}

std::string SerializeRegFile(const RegFile& file) {
    std::string out = std::string(kRegFileHeader) + "\n";
    for (const auto& [path, key] : file.keys) {
        out += "\n[" + std::string(kRegFileRoot) + path + "]\n";
        for (const auto& [name, v] : key) {
            out += quote(name) + "=";
            switch (v.value.kind) {
                case ValueKind::Text:
                    out += quote(v.value.text);
                    break;
                case ValueKind::Integer: {
                    char hex[16];
                    std::snprintf(hex, sizeof hex, "dword:%08x",
                                  static_cast<std::uint32_t>(v.value.integer));
                    out += hex;
                    break;
                }
                case ValueKind::Other:
                    out += v.raw.empty() ? "hex:" : v.raw;
                    break;
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace persistence
