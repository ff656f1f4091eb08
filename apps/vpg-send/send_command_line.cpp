#include "send_command_line.h"

#include <charconv>
#include <optional>

namespace remote {

const char* const kUsage =
    "usage: vpg-send NUMBER [WPARAM [LPARAM]]\n"
    "Sends one window message to the running Vimbrel Pulse Generator.\n"
    "  1024 start            1025 stop             1026 pause on/off\n"
    "  1031 WPARAM  speaker frequency x 100 (1031 44100 = 441 Hz)\n"
    "  1033 WPARAM  final frequency x 100   1034 WPARAM  duration x 10\n"
    "  1035/1036/1037 0|1  loop, logarithmic, bi-directional\n"
    "  1047 DEVICE  output device (-1: the default)\n"
    "  1048 0|1 SLOT  recall (0) or store (1) memory preset SLOT 1..4\n"
    "Exit status: 0 sent; 2 bad command line or no generator running.\n";

namespace {

// A whole decimal number, optionally negative, within [lowest, highest]; nothing else.
std::optional<long long> WholeNumber(const std::string& text, long long lowest, long long highest) {
    long long value = 0;
    const char* const end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

constexpr long long kLowest = -2147483648LL;
constexpr long long kHighest = 4294967295LL;

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return ShowHelp{};
    if (args.empty()) return UsageError{"no message number given"};
    if (args.size() > 3) return UsageError{"too many arguments: at most NUMBER WPARAM LPARAM"};

    Message m;
    const auto number = WholeNumber(args[0], 0, kHighest);
    if (!number) return UsageError{"message number '" + args[0] + "' is not 0..4294967295"};
    m.number = static_cast<std::uint32_t>(*number);
    if (args.size() > 1) {
        const auto w = WholeNumber(args[1], kLowest, kHighest);
        if (!w) return UsageError{"WPARAM '" + args[1] + "' is not a 32-bit whole number"};
        m.wParam = static_cast<std::uint32_t>(static_cast<unsigned long long>(*w) & 0xFFFFFFFFu);
    }
    if (args.size() > 2) {
        const auto l = WholeNumber(args[2], kLowest, kHighest);
        if (!l) return UsageError{"LPARAM '" + args[2] + "' is not a 32-bit whole number"};
        m.lParam = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(static_cast<unsigned long long>(*l) & 0xFFFFFFFFu));
    }
    return m;
}

}  // namespace remote
