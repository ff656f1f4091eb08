// The command line of vpg-send, the same on every platform.
#include "apps/vpg-send/send_options.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "shell/remote_catalogue.h"

namespace sender {

namespace {

// One form of a message: "  1031 F" padded to the meaning's column, whose further lines
// stand under its first.
void AppendForm(std::string& text, std::uint32_t number, std::string_view usage,
                std::string_view meaning) {
    constexpr std::size_t kMeaningColumn = 20;
    std::string head = "  " + std::to_string(number);
    if (!usage.empty()) head += " " + std::string(usage);
    head.resize(std::max(kMeaningColumn, head.size() + 1), ' ');
    text += head;
    for (std::size_t start = 0;;) {
        const std::size_t end = meaning.find('\n', start);
        text += meaning.substr(start, end - start);
        text += '\n';
        if (end == std::string_view::npos) break;
        text += std::string(kMeaningColumn, ' ');
        start = end + 1;
    }
}

std::string MessageLines() {
    std::string text;
    for (const vpg::RemoteMessageInfo& m : vpg::kRemoteMessages) {
        AppendForm(text, m.number, m.usage, m.meaning);
        if (!m.usage2.empty()) AppendForm(text, m.number, m.usage2, m.meaning2);
    }
    return text;
}

}  // namespace

ParseResult Parse(const std::vector<std::string>& args) {
    std::vector<std::string_view> words;
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") return ShowHelp{};
        // "-1" is a number; any other leading dash is an option we do not have.
        const bool number = arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
        if (!arg.empty() && arg[0] == '-' && !number)
            return UsageError{"unknown option '" + arg + "' (try --help)"};
        words.push_back(arg);
    }
    if (words.empty()) return UsageError{"no message number given (try --help)"};
    std::string error;
    const auto message = vpg::ParseRemoteWords(words, &error);
    if (!message) return UsageError{error + " (try --help)"};
    // Only the generator's own messages go out, with values it could take.
    if (std::string problem = vpg::RemoteMessageProblem(*message); !problem.empty())
        return UsageError{problem};
    return *message;
}

std::string HelpText() {
    return std::string(R"(Usage: vpg-send MESSAGE [WPARAM [LPARAM]]
       vpg-send --help

Sends one message to the running Vimbrel Pulse Generator of this user, as if another program
sent a window message to its main window, and waits until the generator has acted on it.
WPARAM and LPARAM default to 0.

Arguments (decimal whole numbers):
  MESSAGE   the message number, 0 to 4294967295 (see below)
  WPARAM    0 to 4294967295; a negative number -2147483648 to -1 stands for its unsigned
            32-bit value (-1 is 4294967295)
  LPARAM    -2147483648 to 2147483647

Messages of the main window:
)") + MessageLines() +
           R"(Other numbers are not sent. A value outside its range is refused, and the field keeps
its value.

Exit status:
  0   the generator acted on the message
  1   the generator is busy: it answered "busy" (one of its message boxes or modal windows
      is open, or it is still starting up) and did not act on the message, which may be
      sent again later; or no answer came within 5 seconds (it may still act on it)
  2   malformed command line, an unknown message or a value out of range (the reason is
      printed), no generator running, or the generator refused the message
)";
}

}  // namespace sender
