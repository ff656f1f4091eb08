// The text form of other programs' window messages, shared by the socket that receives them
// and vpg-send, which checks its command line with the same rules before it connects.
#include "shell/remote_message.h"

#include <charconv>
#include <vector>

#include "shell/remote_catalogue.h"

namespace vpg {

namespace {

// Optional '-', then decimal digits and nothing else; false when out of [lowest, highest].
bool readInteger(std::string_view word, std::int64_t lowest, std::int64_t highest,
                 std::int64_t& value) {
    const bool negative = !word.empty() && word.front() == '-';
    const std::string_view digits = negative ? word.substr(1) : word;
    if (digits.empty()) return false;
    for (const char c : digits)
        if (c < '0' || c > '9') return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size() && value >= lowest &&
           value <= highest;
}

}  // namespace

std::string RemoteMessageProblem(const RemoteMessage& m) {
    const RemoteMessageInfo* info = FindRemoteMessage(m.message);
    if (info == nullptr)
        return "unknown message number " + std::to_string(m.message) + " (see vpg-send --help)";
    const std::uint32_t w = m.wParam;
    bool inRange = true;
    switch (info->value) {
        case RemoteValue::None:
        case RemoteValue::Flag:
        case RemoteValue::Device:  // the device list is the generator's to judge
            break;
        case RemoteValue::Frequency:
            inRange = w >= kRemoteFrequencyLowest && w <= kRemoteFrequencyHighest;
            break;
        case RemoteValue::Duration:
            inRange = w >= kRemoteDurationLowest && w <= kRemoteDurationHighest;
            break;
        case RemoteValue::ZeroOrOne:
            inRange = w <= 1;
            break;
        case RemoteValue::Preset:
            inRange = w <= 1;
            if (inRange && (m.lParam < kRemotePresetLowest || m.lParam > kRemotePresetHighest))
                return "the preset slot (LPARAM) must be 1 to 4";
            break;
    }
    return inRange ? std::string() : std::string(info->outOfRange);
}

std::optional<RemoteMessage> ParseRemoteWords(std::span<const std::string_view> words,
                                              std::string* error) {
    const auto fail = [error](const char* reason) {
        if (error) *error = reason;
        return std::nullopt;
    };
    if (words.empty()) return fail("no message number");
    if (words.size() > 3) return fail("too many numbers (at most MESSAGE WPARAM LPARAM)");
    constexpr std::int64_t kInt32Min = INT32_MIN, kInt32Max = INT32_MAX;
    constexpr std::int64_t kUint32Max = UINT32_MAX;
    RemoteMessage result;
    std::int64_t value = 0;
    if (!readInteger(words[0], 0, kUint32Max, value))
        return fail("MESSAGE must be a whole number from 0 to 4294967295");
    result.message = static_cast<std::uint32_t>(value);
    if (words.size() > 1) {
        if (!readInteger(words[1], kInt32Min, kUint32Max, value))
            return fail("WPARAM must be a whole number from -2147483648 to 4294967295");
        // Two's complement: -1 becomes 4294967295.
        result.wParam = static_cast<std::uint32_t>(value);
    }
    if (words.size() > 2) {
        if (!readInteger(words[2], kInt32Min, kInt32Max, value))
            return fail("LPARAM must be a whole number from -2147483648 to 2147483647");
        result.lParam = static_cast<std::intptr_t>(value);
    }
    return result;
}

std::optional<RemoteMessage> ParseRemoteLine(std::string_view line, std::string* error) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        words.push_back(line.substr(start, i - start));
        // Enough to know the line is too long; no need to keep splitting it.
        if (words.size() > 3) break;
    }
    if (words.empty()) {
        if (error) *error = "empty line";
        return std::nullopt;
    }
    return ParseRemoteWords(words, error);
}

std::string FormatRemoteLine(const RemoteMessage& message) {
    return std::to_string(message.message) + ' ' + std::to_string(message.wParam) + ' ' +
           std::to_string(static_cast<long long>(message.lParam));
}

}  // namespace vpg
