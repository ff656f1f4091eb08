// The command line of vpg-send, the same on every platform.
#include "apps/vpg-send/send_options.h"

#include <string_view>

namespace sender {

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
    return R"(Usage: vpg-send MESSAGE [WPARAM [LPARAM]]
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
  1024              start the output (as the ON button)
  1025              stop the output at once
  1026              pause or resume (as the Pause button)
  1031 F            speaker frequency := F / 100 Hz (vpg-send 1031 44100: 441 Hz);
                    F from 10 (0.1 Hz) to below half the sampling rate (2205000 at
                    44100 Hz, so at most 2204999; 4799999 at 96000 Hz)
  1032 F            the same as 1031
  1033 F            final frequency of the sweep := F / 100 Hz, the same range
  1034 D            duration := D / 10 seconds; D from 1 (0.1 s) to the longest signal,
                    2147483647 samples (486957 at 44100 Hz, 2684354 at 8000 Hz)
  1035 B            Loop on (B not 0) or off (B = 0)
  1036 B            logarithmic sweep on or off
  1037 B            bi-directional sweep on or off
  1047 N            select output device N in the list (0 = the first device, -1 = the
                    system default; a device the list does not have is refused); the
                    output keeps its device until the next start-up or until the user
                    changes the selector
  1048 0 S          recall memory preset S (1 to 4); it stops a playing output first
  1048 1 S          store the current settings as memory preset S (1 to 4)
  1049 B            lock the flashes to the sine (B = 1) or not (B = 0)
Other numbers are not sent. A value outside its range is refused, and the field keeps
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
