// vpg-render end to end: the WAV file holds exactly what the window plays, the sweep laws hold
// in the rendered sine, and failures leave nothing behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "apps/vpg-render/render_options.h"
#include "apps/vpg-render/renderer.h"

namespace {

namespace fs = std::filesystem;

struct Wav {
    int channels = 0, rate = 0, bits = 0;
    std::vector<std::int16_t> left, right;
};

Wav readWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    Wav w;
    if (b.size() < 44) return w;
    auto u16 = [&](std::size_t o) { return b[o] | (b[o + 1] << 8); };
    auto u32 = [&](std::size_t o) {
        return static_cast<std::uint32_t>(u16(o)) | (static_cast<std::uint32_t>(u16(o + 2)) << 16);
    };
    w.channels = u16(22);
    w.rate = static_cast<int>(u32(24));
    w.bits = u16(34);
    const std::uint32_t data = u32(40);
    for (std::size_t o = 44; o + 3 < 44 + data && o + 3 < b.size(); o += 4) {
        w.left.push_back(static_cast<std::int16_t>(u16(o)));
        w.right.push_back(static_cast<std::int16_t>(u16(o + 2)));
    }
    return w;
}

struct Rendered {
    int status;
    std::string messages;
    Wav wav;
    bool exists;
};

Rendered run(std::vector<std::string> args) {
    const std::string path =
        (fs::temp_directory_path() /
         ("vpg-render-" +
          std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".wav"))
            .string();
    fs::remove(path);
    args.push_back("-o");
    args.push_back(path);
    const auto parsed = render::Parse(args);
    EXPECT_TRUE(std::holds_alternative<render::Options>(parsed));
    std::ostringstream messages;
    Rendered r{render::Render(std::get<render::Options>(parsed), messages),
               messages.str(),
               {},
               fs::exists(path)};
    if (r.exists) r.wav = readWav(path);
    fs::remove(path);
    EXPECT_FALSE(fs::exists(path + ".part"));
    return r;
}

TEST(Render, TheDefaultSignalHasTheEngineNumbers) {
    const Rendered r = run({"--duration", "1"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.channels, 2);
    EXPECT_EQ(r.wav.rate, 44100);
    EXPECT_EQ(r.wav.bits, 16);
    // The whole second is signal; the last buffer is padded with silence.
    ASSERT_GE(r.wav.left.size(), 44100u);
    EXPECT_EQ(r.wav.left.size() % 4096, 0u);
    EXPECT_EQ(r.wav.left[0], 467);
    for (std::size_t i = 0; i < 882; ++i)
        ASSERT_EQ(r.wav.right[i], (i % 441) <= 10 ? 32767 : 0) << i;
    EXPECT_NEAR(r.wav.left[44098], -467, 1);  // the signal runs to its last sample
    for (std::size_t i = 44100; i < r.wav.left.size(); ++i) ASSERT_EQ(r.wav.left[i], 0) << i;
    EXPECT_TRUE(r.messages.empty()) << r.messages;
}

TEST(Render, PhaseDeltaPulseLengthAndLevelsArriveInTheSamples) {
    const Rendered r = run({"--duration", "0.5", "--phase", "90", "--delta-position", "10",
                            "--pulse-length", "1", "--right-db", "-6"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.left[0], -32764);
    for (std::size_t i = 0; i < 1320; ++i)
        ASSERT_EQ(r.wav.right[i], (i % 440) <= 1 ? 16422 : 0) << i;
}

// The momentary frequency from the rising zero crossings of the left channel, at the middle of
// each period.
std::vector<std::pair<double, double>> crossings(const Wav& w, std::size_t frames) {
    std::vector<std::pair<double, double>> out;
    double last = -1;
    for (std::size_t i = 1; i < frames; ++i) {
        if (w.left[i - 1] < 0 && w.left[i] >= 0) {
            const double t =
                (i - 1) + static_cast<double>(-w.left[i - 1]) / (w.left[i] - w.left[i - 1]);
            if (last >= 0) out.emplace_back((t + last) / 2 / w.rate, w.rate / (t - last));
            last = t;
        }
    }
    return out;
}

TEST(Render, SweepsFollowTheirLawFromStartToFinal) {
    struct Case {
        bool logarithmic;
        const char* name;
    } cases[] = {{false, "linear"}, {true, "logarithmic"}};
    for (const Case& c : cases) {
        std::vector<std::string> args{"--sweep",    "--freq", "100",  "--final-freq", "1000",
                                      "--duration", "4",      "--fs", "48000"};
        if (c.logarithmic) args.push_back("--log");
        const Rendered r = run(args);
        ASSERT_EQ(r.status, 0) << r.messages;
        const auto points = crossings(r.wav, 4 * 48000);
        ASSERT_GT(points.size(), 1000u);
        for (const auto& [t, f] : points) {
            const double expected = c.logarithmic ? 100 * std::pow(10.0, t / 4) : 100 + 900 * t / 4;
            ASSERT_NEAR(f, expected, expected * 0.003) << c.name << " at " << t << " s";
        }
        // The law holds over the whole duration, from the first period to the last.
        EXPECT_LT(points.front().first, 0.03) << c.name;
        EXPECT_GT(points.back().first, 3.99) << c.name;
    }
}

TEST(Render, ALoopIsCappedBySecondsAndABidirectionalSweepComesBack) {
    const Rendered r =
        run({"--sweep", "--loop", "--bidirectional", "--freq", "200", "--final-freq", "400",
             "--duration", "1", "--seconds", "2.5", "--fs", "8000", "--buffer-size", "4096"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_EQ(r.wav.left.size(), 20000u);  // exactly 2.5 s
    const auto points = crossings(r.wav, r.wav.left.size());
    for (const auto& [t, f] : points) {
        const double phase = std::fmod(t, 2.0);
        const double expected = phase < 1 ? 200 + 200 * phase : 400 - 200 * (phase - 1);
        ASSERT_NEAR(f, expected, 6) << t;
    }
}

TEST(Render, ValuesGoThroughTheEntryRulesAndSayWhatTheyBecame) {
    const Rendered r = run({"--freq", "abc", "--left-db", "12,5", "--duration", "0.2"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_NE(r.messages.find("--freq 'abc' became 1000"), std::string::npos) << r.messages;
    EXPECT_NE(r.messages.find("--left-db '12,5' became 0"), std::string::npos) << r.messages;
    // 1000 Hz at full level: a period of 44.1 samples.
    int high = 0;
    for (std::size_t i = 0; i < 4410; ++i) high = std::max<int>(high, r.wav.left[i]);
    EXPECT_GE(high, 32760);
}

TEST(Render, AFrequencyAboveHalfTheRateBecomesTheLimitWithTheNotice) {
    const Rendered r = run({"--freq", "30000", "--duration", "0.2"});
    ASSERT_EQ(r.status, 0) << r.messages;
    EXPECT_NE(r.messages.find("half the sampling rate"), std::string::npos);
    EXPECT_NE(r.messages.find("became 22050"), std::string::npos);
}

TEST(Render, AnUnwritableOutputPathFailsAtOnceAndLeavesNothing) {
    render::Options o;
    o.output = "/nonexistent-dir/x.wav";
    std::ostringstream messages;
    EXPECT_EQ(render::Render(o, messages), 2);
    EXPECT_NE(messages.str().find("cannot write '/nonexistent-dir/x.wav'"), std::string::npos);
    EXPECT_FALSE(fs::exists("/nonexistent-dir/x.wav.part"));
}

}  // namespace
