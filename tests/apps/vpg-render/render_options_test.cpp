// vpg-render's command line: defaults, every option, and one clear error for each misuse.
#include <gtest/gtest.h>

#include <variant>

#include "apps/vpg-render/render_options.h"

namespace {

using render::Options;
using render::Parse;
using render::UsageError;

Options parsed(std::vector<std::string> args) {
    const auto r = Parse(args);
    EXPECT_TRUE(std::holds_alternative<Options>(r));
    return std::holds_alternative<Options>(r) ? std::get<Options>(r) : Options{};
}

TEST(RenderOptions, DefaultsAreAPlainHundredHertzToneForTenSeconds) {
    const Options o = parsed({"-o", "x.wav"});
    EXPECT_EQ(o.freq, "100");
    EXPECT_EQ(o.finalFreq, "1000");
    EXPECT_EQ(o.duration, "10");
    EXPECT_EQ(o.phase, "0");
    EXPECT_EQ(o.pulseLength, "10");
    EXPECT_EQ(o.leftDb, "0");
    EXPECT_EQ(o.rightDb, "0");
    EXPECT_EQ(o.fs, 44100);
    EXPECT_EQ(o.bufferSize, 16384);
    EXPECT_EQ(o.buffers, 4);
    EXPECT_FALSE(o.sweep || o.logarithmic || o.bidirectional || o.loop || o.lock);
    EXPECT_FALSE(o.delta || o.deltaPosition || o.seconds);
    EXPECT_EQ(o.output, "x.wav");
}

TEST(RenderOptions, EveryOptionReachesItsField) {
    const Options o = parsed({"--freq",
                              "440",
                              "--final-freq=880",
                              "--sweep",
                              "--log",
                              "--bidirectional",
                              "--loop",
                              "--lock",
                              "--duration",
                              "2.5",
                              "--delta",
                              "0.5",
                              "--phase",
                              "90",
                              "--pulse-length",
                              "20",
                              "--left-db",
                              "-6",
                              "--right-db=-12",
                              "--fs",
                              "96000",
                              "--buffer-size",
                              "64536",
                              "--buffers",
                              "2",
                              "--seconds",
                              "3",
                              "--output",
                              "y.wav"});
    EXPECT_EQ(o.freq, "440");
    EXPECT_EQ(o.finalFreq, "880");
    EXPECT_TRUE(o.sweep && o.logarithmic && o.bidirectional && o.loop && o.lock);
    EXPECT_EQ(o.duration, "2.5");
    EXPECT_EQ(o.delta, "0.5");
    EXPECT_EQ(o.phase, "90");
    EXPECT_EQ(o.pulseLength, "20");
    EXPECT_EQ(o.leftDb, "-6");
    EXPECT_EQ(o.rightDb, "-12");
    EXPECT_EQ(o.fs, 96000);
    EXPECT_EQ(o.bufferSize, 64536);
    EXPECT_EQ(o.buffers, 2);
    EXPECT_EQ(o.seconds, 3.0);
    EXPECT_EQ(o.output, "y.wav");
    EXPECT_EQ(parsed({"--delta-position", "-100", "-o", "z"}).deltaPosition, -100);
}

TEST(RenderOptions, FieldTextsAreKeptAsTypedForTheEntryRules) {
    // The window decides what "abc" becomes; the command line does not refuse it.
    EXPECT_EQ(parsed({"--freq", "abc", "-o", "x"}).freq, "abc");
    EXPECT_EQ(parsed({"--left-db", "12,5", "-o", "x"}).leftDb, "12,5");
}

TEST(RenderOptions, MisuseGivesOneClearLine) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--bogus", "-o", "x"}, "unknown option '--bogus'"},
        {{"-o"}, "option '--output' needs a value"},
        {{"--freq"}, "option '--freq' needs a value"},
        {{"--freq", "100"}, "no output file"},
        {{"--fs", "12345", "-o", "x"},
         "--fs must be one of 8000, 11025, 22050, 44100, 48000, 96000"},
        {{"--buffer-size", "65536", "-o", "x"}, "--buffer-size must be one of"},
        {{"--buffers", "5", "-o", "x"}, "--buffers must be one of 2, 3, 4"},
        {{"--delta-position", "101", "-o", "x"}, "-100 to 100"},
        {{"--delta-position", "1.5", "-o", "x"}, "whole number"},
        {{"--seconds", "0", "-o", "x"}, "--seconds must be a positive number"},
        {{"--seconds", "abc", "-o", "x"}, "--seconds must be a positive number"},
        {{"--loop", "-o", "x"}, "--loop needs --seconds"},
        {{"--sweep=yes", "-o", "x"}, "takes no value"},
        {{"--delta", "1", "--delta-position", "3", "-o", "x"},
         "either --delta or --delta-position"},
        // A value that is missing is not taken from the next option.
        {{"--freq", "--sweep", "-o", "x"}, "option '--freq' needs a value"},
        {{"--freq", "-o", "x"}, "option '--freq' needs a value"},
        {{"-o", "--freq", "100"}, "option '--output' needs a value"},
        {{"-o", "-h"}, "option '--output' needs a value"},
        {{"--duration", "--", "x"}, "option '--duration' needs a value"},
        // After "--" there is one output file.
        {{"-o", "x", "--", "y"}, "unexpected argument 'y'"},
        {{"--", "x", "y"}, "unexpected argument 'y'"},
        {{"--freq", "100", "--"}, "no output file"},
    };
    for (const auto& c : cases) {
        const auto r = Parse(c.args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(r)) << c.says;
        const std::string& message = std::get<UsageError>(r).message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(RenderOptions, DoubleDashEndsTheOptionsAndValuesMayBeNegative) {
    const struct {
        std::vector<std::string> args;
        const char* output;
        const char* freq;
        const char* leftDb;
    } cases[] = {
        {{"--", "-weird.wav"}, "-weird.wav", "100", "0"},
        {{"--freq", "5", "--", "--freq"}, "--freq", "5", "0"},
        {{"--", "--help"}, "--help", "100", "0"},
        {{"--", "-o"}, "-o", "100", "0"},
        {{"--output=--x.wav"}, "--x.wav", "100", "0"},
        {{"--freq=--5", "-o", "x"}, "x", "--5", "0"},
        {{"--left-db", "-6", "-o", "x"}, "x", "100", "-6"},
        {{"--left-db", "-", "-o", "x"}, "x", "100", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const Options o = parsed(c.args);
        EXPECT_EQ(o.output, c.output);
        EXPECT_EQ(o.freq, c.freq);
        EXPECT_EQ(o.leftDb, c.leftDb);
    }
    EXPECT_EQ(parsed({"--delta", "-0.5", "-o", "x"}).delta, "-0.5");
    EXPECT_EQ(parsed({"--delta-position", "-100", "--", "x"}).deltaPosition, -100);
}

TEST(RenderOptions, HelpListsEveryOptionWithItsUnitAndDefault) {
    EXPECT_TRUE(std::holds_alternative<render::ShowHelp>(Parse({"--freq", "1", "--help"})));
    const std::string help = render::HelpText();
    for (const char* option : {"--freq HZ",
                               "--final-freq HZ",
                               "--sweep",
                               "--log",
                               "--bidirectional",
                               "--loop",
                               "--duration S",
                               "--delta HZ",
                               "--delta-position N",
                               "--phase DEG",
                               "--pulse-length N",
                               "--lock",
                               "--left-db DB",
                               "--right-db DB",
                               "--fs HZ",
                               "--buffer-size BYTES",
                               "--buffers N",
                               "--seconds S",
                               "-o, --output FILE",
                               "--help",
                               "--   "})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    for (const char* fallback : {"(default 100)", "(default 1000)", "(default 10)",
                                 "(default 44100)", "(default 16384)", "(default 4)"})
        EXPECT_NE(help.find(fallback), std::string::npos) << fallback;
}

}  // namespace
