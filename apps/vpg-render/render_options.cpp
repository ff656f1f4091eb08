#include "apps/vpg-render/render_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace render {

namespace {

const std::vector<int> kRates{8000, 11025, 22050, 44100, 48000, 96000};
const std::vector<int> kBufferSizes{4096, 8192, 16384, 32768, 64536};

std::string joined(const std::vector<int>& values) {
    std::string s;
    for (int v : values) s += (s.empty() ? "" : ", ") + std::to_string(v);
    return s;
}

std::optional<long> wholeNumber(const std::string& text) {
    long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end) return std::nullopt;
    return v;
}

std::optional<double> decimal(const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

ParseResult Parse(const std::vector<std::string>& args) {
    Options o;
    using Setter = std::function<std::optional<std::string>(const std::string&)>;
    const auto text = [](std::string& field) -> Setter {
        return [&field](const std::string& v) -> std::optional<std::string> {
            field = v;
            return std::nullopt;
        };
    };
    const auto oneOf = [](int& field, const std::vector<int>& allowed, const char* what) -> Setter {
        return [&field, &allowed, what](const std::string& v) -> std::optional<std::string> {
            const auto n = wholeNumber(v);
            if (!n || std::find(allowed.begin(), allowed.end(), *n) == allowed.end())
                return std::string(what) + " must be one of " + joined(allowed) + ", not '" + v +
                       "'";
            field = static_cast<int>(*n);
            return std::nullopt;
        };
    };
    const std::vector<int> bufferCounts{2, 3, 4};
    std::map<std::string, Setter> valued{
        {"--freq", text(o.freq)},
        {"--final-freq", text(o.finalFreq)},
        {"--duration", text(o.duration)},
        {"--phase", text(o.phase)},
        {"--pulse-length", text(o.pulseLength)},
        {"--left-db", text(o.leftDb)},
        {"--right-db", text(o.rightDb)},
        {"--delta",
         [&o](const std::string& v) -> std::optional<std::string> {
             o.delta = v;
             return std::nullopt;
         }},
        {"--delta-position",
         [&o](const std::string& v) -> std::optional<std::string> {
             const auto n = wholeNumber(v);
             if (!n || *n < -100 || *n > 100)
                 return "--delta-position must be a whole number from -100 to 100, not '" + v + "'";
             o.deltaPosition = static_cast<int>(*n);
             return std::nullopt;
         }},
        {"--fs", oneOf(o.fs, kRates, "--fs")},
        {"--buffer-size", oneOf(o.bufferSize, kBufferSizes, "--buffer-size")},
        {"--buffers", oneOf(o.buffers, bufferCounts, "--buffers")},
        {"--seconds",
         [&o](const std::string& v) -> std::optional<std::string> {
             const auto s = decimal(v);
             if (!s || *s <= 0)
                 return "--seconds must be a positive number of seconds, not '" + v + "'";
             o.seconds = *s;
             return std::nullopt;
         }},
        {"--output", text(o.output)},
    };
    const std::map<std::string, bool*> flags{{"--sweep", &o.sweep},
                                             {"--log", &o.logarithmic},
                                             {"--bidirectional", &o.bidirectional},
                                             {"--loop", &o.loop},
                                             {"--lock", &o.lock}};

    // What follows an option that takes a value is that value, unless it is an option itself
    // ("--freq --sweep" lacks the frequency). A value that starts with "--" can still be given
    // as --name=VALUE, and a file name that does after "--".
    const auto isOption = [](const std::string& a) {
        return a.rfind("--", 0) == 0 || a == "-o" || a == "-h";
    };
    bool optionsEnded = false;
    bool outputOperand = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (optionsEnded) {
            // After "--" the one argument left is the output file.
            if (outputOperand || !o.output.empty())
                return UsageError{"unexpected argument '" + args[i] + "'"};
            o.output = args[i];
            outputOperand = true;
            continue;
        }
        std::string name = args[i];
        std::optional<std::string> value;
        if (name == "--") {
            optionsEnded = true;
            continue;
        }
        if (name == "--help" || name == "-h") return ShowHelp{};
        if (name == "-o") name = "--output";
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (const auto f = flags.find(name); f != flags.end()) {
            if (value) return UsageError{"option '" + name + "' takes no value"};
            *f->second = true;
            continue;
        }
        const auto s = valued.find(name);
        if (s == valued.end()) return UsageError{"unknown option '" + args[i] + "' (try --help)"};
        if (!value) {
            if (i + 1 >= args.size() || isOption(args[i + 1]))
                return UsageError{"option '" + name + "' needs a value"};
            value = args[++i];
        }
        if (auto error = s->second(*value)) return UsageError{*error};
    }
    if (o.output.empty()) return UsageError{"no output file: give -o FILE.wav"};
    if (o.delta && o.deltaPosition)
        return UsageError{"give either --delta or --delta-position, not both"};
    if (o.loop && !o.seconds)
        return UsageError{"a looping signal never ends: --loop needs --seconds to cap the file"};
    return o;
}

std::string HelpText() {
    return R"(Usage: vpg-render [options] -o FILE.wav
       vpg-render [options] -- FILE.wav

Renders what Vimbrel Pulse Generator plays into a stereo 16-bit WAV file: the left channel is
the sine at the speaker frequency, the right channel the strobe pulses. Values go through the
same rules as typing them into the window; a value that the window would change is reported.

Signal:
  --freq HZ             speaker frequency, or the start frequency of a sweep (default 100)
  --final-freq HZ       final frequency of a sweep (default 1000)
  --sweep               sweep from --freq to --final-freq (default: constant frequency)
  --log                 logarithmic sweep (default: linear)
  --bidirectional       with --loop, sweep back and forth (default: one way)
  --loop                repeat endlessly; needs --seconds (default: off)
  --duration S          signal duration in seconds, per pass when looping (default 10)
Pulse channel:
  --delta HZ            pulse rate minus speaker frequency, -2 to 2 Hz in 0.02 Hz steps
                        (default 0)
  --delta-position N    the same as a slider position, -100 to 100 (N/50 Hz)
  --phase DEG           phase offset of the sine against the pulses, degrees (default 0)
  --pulse-length N      pulse length in samples, 1 to 50 (default 10)
  --lock                lock the flashes to the sine ("Lock flashes to the sine"): each
                        flash starts where the sine's phase plus the delta's completes a
                        cycle, so the flash rate is exactly the speaker frequency plus the
                        delta, also in a sweep (default: a whole number of samples between
                        flashes, at the start frequency plus the delta)
Levels:
  --left-db DB          sine level in dBFS, -100 to 0 (default 0)
  --right-db DB         pulse level in dBFS, -100 to 0 (default 0)
Output:
  --fs HZ               sampling rate: 8000, 11025, 22050, 44100, 48000 or 96000
                        (default 44100)
  --buffer-size BYTES   buffer size: 4096, 8192, 16384, 32768 or 64536 (default 16384)
  --buffers N           number of buffers, 2 to 4 (default 4)
  --seconds S           cap the file at S seconds (required with --loop)
  -o, --output FILE     the WAV file to write (required); it is written under a temporary
                        name beside it and replaces what was there only once complete.
                        A symbolic link stays and the file it points to is replaced; a
                        directory, device, FIFO or socket is refused
  -h, --help            this text
  --                    ends the options: a FILE after it is the output, whatever its name

A value that starts with "--" is given as --option=VALUE. A WAV file holds at most 4 GiB of
samples: a longer signal is refused before it is rendered, saying how many seconds fit.

Exit status: 0 written; 1 the signal could not be rendered or written (or this text could not
be written); 2 bad command line, output path, or a signal longer than a WAV file holds.
)";
}

}  // namespace render
