#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace render {

// The command line of vpg-render. Field values stay texts where the window reads a text, so
// that they go through the same entry rules as typing.
struct Options {
    std::string freq = "100";
    std::string finalFreq = "1000";
    bool sweep = false;
    bool logarithmic = false;
    bool bidirectional = false;
    bool loop = false;
    bool lock = false;  // flashes locked to the sine
    std::string duration = "10";
    std::optional<std::string> delta;  // Hz
    std::optional<int> deltaPosition;  // -100..100
    std::string phase = "0";
    std::string pulseLength = "10";
    std::string leftDb = "0";
    std::string rightDb = "0";
    int fs = 44100;
    int bufferSize = 16384;
    int buffers = 4;
    std::optional<double> seconds;
    std::string output;
};

struct ShowHelp {};
struct UsageError {
    std::string message;  // one line, without the program name
};

using ParseResult = std::variant<Options, ShowHelp, UsageError>;

ParseResult Parse(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace render
