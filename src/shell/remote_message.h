#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vpg {

// What became of a message: acted on, refused (a value the program does not take), or not run
// because the program is busy (a message box or modal window is open, or start-up has not
// finished); the sender may try again.
enum class RemoteOutcome { Acted, Refused, Busy };

// The same as the result of a Windows window message. 0 is what a generator answers that
// does not report.
constexpr std::intptr_t kRemoteActed = 1, kRemoteRefused = 2, kRemoteBusy = 3;

// One message for the main window's window procedure, as another program sends it: the
// message number and its two parameters.
struct RemoteMessage {
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const RemoteMessage&, const RemoteMessage&) = default;
};

// Reads the words MESSAGE [WPARAM [LPARAM]], each a decimal integer; the missing ones are 0.
// MESSAGE: 0..4294967295. WPARAM: an unsigned 32-bit number; a negative 32-bit number stands
// for its unsigned value (-1 is 4294967295), as a window message carries it. LPARAM: a signed
// 32-bit number, so that every platform's window procedure sees the same value. On failure
// returns nothing and puts a one-line reason into `error` (which never repeats the input).
std::optional<RemoteMessage> ParseRemoteWords(std::span<const std::string_view> words,
                                              std::string* error);

// The same from one line of words separated by blanks or tabs.
std::optional<RemoteMessage> ParseRemoteLine(std::string_view line, std::string* error);

// The line that ParseRemoteLine reads back as `message`, without the newline: "1031 44100 0".
std::string FormatRemoteLine(const RemoteMessage& message);

}  // namespace vpg
