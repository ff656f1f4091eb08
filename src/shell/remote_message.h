#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vpg {

// One message for the main window's window procedure, as another program sends it: the
// message number and its two parameters.
struct RemoteMessage {
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::intptr_t lParam = 0;
    friend bool operator==(const RemoteMessage&, const RemoteMessage&) = default;
};

// What the generator did with another program's message. Acted: it did what the message asks
// (also when that changed nothing); Refused: an unknown message or a value out of range, with
// the field as it was; Busy: it could not take the message now (a message box or modal window
// is open, or start-up has not finished), and the sender may try again.
enum class RemoteOutcome { Acted, Refused, Busy };

// The outcome as a window procedure returns it on Windows; 0 is what a generator that does
// not report answers.
constexpr std::intptr_t kRemoteActed = 1, kRemoteRefused = 2, kRemoteBusy = 3;

// Why `message` can never be acted on, whatever the generator's state: a number that is not
// one of the main window's messages, or a value outside every range it could take. Empty
// when the message may be sent; the generator then judges it against its own state.
std::string RemoteMessageProblem(const RemoteMessage& message);

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
