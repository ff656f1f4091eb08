#pragma once

#include <string>
#include <variant>
#include <vector>

#include "shell/remote_message.h"

namespace sender {

// Exit statuses of vpg-send.
enum ExitStatus : int {
    kDelivered = 0,     // the program took the message and answered
    kNoAnswer = 1,      // sent, but no answer in time: the program may still act on it
    kNotDelivered = 2,  // bad command line, no program running, or the message refused
};

struct ShowHelp {};
struct UsageError {
    std::string message;  // one line, without the program name
};

using ParseResult = std::variant<vpg::RemoteMessage, ShowHelp, UsageError>;

// MESSAGE [WPARAM [LPARAM]] or --help; the numbers follow vpg::ParseRemoteWords.
ParseResult Parse(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace sender
