#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace remote {

// One message for a running generator: its number and the two parameters.
struct Message {
    std::uint32_t number = 0;
    std::uint32_t wParam = 0;  // unsigned 32-bit: -1 stands for 4294967295
    std::int32_t lParam = 0;
};
struct ShowHelp {};
struct UsageError {
    std::string text;
};
using ParseResult = std::variant<Message, ShowHelp, UsageError>;

// `vpg-send NUMBER [WPARAM [LPARAM]]` or `--help` (the arguments after the program's name).
// NUMBER is 0..4294967295; WPARAM and LPARAM are whole numbers from -2147483648 to 4294967295,
// taken modulo 2^32 (so -1 is 4294967295, and an LPARAM above 2147483647 is negative).
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// What --help prints.
extern const char* const kUsage;

}  // namespace remote
