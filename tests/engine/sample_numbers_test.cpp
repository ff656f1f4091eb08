// The numbers of the synthesis, read from the samples the main window's run hands to the device.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/signal_engine.h"
#include "support/headless_program.h"

namespace {

using persistence::RegistryValue;
using testing_support::At44100;
using testing_support::Frame;
using testing_support::MeasuredHz;

constexpr double kFs = 44100;

void selectSweep(vpg::TfrmGenerator& g, bool logarithmic) {
    g.chkSweepLeft.setChecked(true);
    g.LogarithmicLeft.setChecked(logarithmic);
}

TEST(PlaybackSamples, PulsesRepeatElevenHighThenFourHundredThirtyLow) {
    At44100 p;
    const auto f = p.render(441 * 5);
    ASSERT_EQ(f.size(), 441u * 5);
    for (std::size_t k = 0; k < f.size(); ++k)
        ASSERT_EQ(f[k].right, k % 441 <= 10 ? 32767 : 0) << "frame " << k;
}

TEST(PlaybackSamples, FirstSineSampleFollowsThePhaseOffset) {
    const struct {
        int degrees;
        int first;
    } cases[] = {{0, 467}, {90, -32764}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        At44100 p;
        p.gen().trkPhase.userMoved(c.degrees);
        const auto f = p.render(4);
        ASSERT_EQ(f.size(), 4u);
        EXPECT_EQ(f[0].left, c.first);
        // Only the sine moves: the first pulse still starts at the first frame.
        EXPECT_EQ(f[0].right, 32767);
    }
}

TEST(PlaybackSamples, PulsePeriodWidthAndLevelFollowTheirControls) {
    const struct {
        int deltaPosition;
        const char* pulseLength;
        const char* levelRight;
        int period, high, level;
    } cases[] = {
        {0, "10", "0", 441, 11, 32767},  {10, "10", "0", 440, 11, 32767},
        {0, "1", "0", 441, 2, 32767},    {0, "50", "0", 441, 51, 32767},
        {0, "10", "-6", 441, 11, 16422},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.deltaPosition << " " << c.pulseLength << " " << c.levelRight);
        At44100 p;
        p.gen().FreqSliderRight.userMoved(c.deltaPosition);
        p.gen().txtPulseLength.setText(c.pulseLength);
        p.gen().AmplitudeRight.setText(c.levelRight);
        const auto f = p.render(static_cast<std::size_t>(c.period) * 3 + 1);
        for (std::size_t k = 0; k < f.size(); ++k)
            ASSERT_EQ(f[k].right, static_cast<int>(k % c.period) < c.high ? c.level : 0)
                << "frame " << k;
    }
}

TEST(PlaybackSamples, SweepCoefficientsOfSixtySeconds) {
    const struct {
        bool logarithmic;
        double multiplier, adder;
    } cases[] = {{false, 1.0, 4.846e-8}, {true, 1.00000087021, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logarithmic);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        selectSweep(g, c.logarithmic);
        g.Loop.setChecked(false);
        g.Duration.setText("60");
        EXPECT_EQ(g.Parameters.TotalSamples, 60 * 44100);
        EXPECT_NEAR(g.Parameters.SweepMultiplier, c.multiplier, 1e-11);
        EXPECT_NEAR(g.Parameters.SweepAdder, c.adder, 0.0005e-8);

        // Every generated sample applies the law once to the sine step.
        p.render(4096);
        const double s0 = engine::TwoPi * 100 / kFs;
        const int n = g.State.SampleCounter;
        ASSERT_GT(n, 0);
        const double expected = c.logarithmic ? s0 * std::pow(g.Parameters.SweepMultiplier, n)
                                              : s0 + n * g.Parameters.SweepAdder;
        EXPECT_NEAR(g.State.StepLeft, expected, 1e-12);
    }
}

TEST(PlaybackSamples, ASweepOfOneSecondCoversTheCyclesOfItsLaw) {
    // 100 -> 1000 Hz in one second: linear 550 cycles, logarithmic 900 / ln 10 = 390.9.
    const struct {
        bool logarithmic;
        double cycles, endHz;
    } cases[] = {{false, 550.0, 1000.0}, {true, 900.0 / std::log(10.0), 1000.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logarithmic);
        At44100 p;
        selectSweep(p.gen(), c.logarithmic);
        p.gen().Loop.setChecked(false);
        p.gen().Duration.setText("1");
        const auto f = p.render(44100);
        ASSERT_EQ(f.size(), 44100u);
        int crossings = 0;
        for (std::size_t i = 1; i < f.size(); ++i) crossings += f[i - 1].left < 0 && f[i].left >= 0;
        EXPECT_NEAR(crossings, c.cycles, 1.5);
        EXPECT_NEAR(MeasuredHz(f, 0, 2205, 44100), c.logarithmic ? 106 : 122.5, 6);
        EXPECT_NEAR(MeasuredHz(f, 44100 - 441, 441, 44100), c.endHz, 15);
    }
}

TEST(PlaybackSamples, TheSpeakerFrequencyStaysStrictlyBelowHalfTheSamplingRate) {
    // At fs/2 the sine would be all zeros; the recomputation takes the frequencies just below.
    At44100 p;
    p.render(4096);
    vpg::TfrmGenerator& g = p.gen();
    g.fInitLeft.setText("22049.99");
    p.pump();
    EXPECT_TRUE(p.out().Active);
    const double below = static_cast<double>(22049.99f) / 44100;
    EXPECT_EQ(g.Parameters.InitStepLeft, below);

    for (const char* text : {"22050", "22050.01"}) {
        SCOPED_TRACE(text);
        g.fInitLeft.setText(text);
        p.pump();
        EXPECT_FALSE(p.out().Active);
        EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
        EXPECT_EQ(g.Parameters.InitStepLeft, below);
    }
}

TEST(PlaybackSamples, AnInvalidFinalFrequencyIsRefusedInConstantModeToo) {
    for (const char* text : {"0", "-5", "22050.01", "30000", "abc"}) {
        SCOPED_TRACE(text);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        ASSERT_TRUE(g.chkConstantLeft.Checked());
        p.render(4096);
        const engine::SignalParameters before = g.Parameters;
        g.fFinalLeft.setText(text);
        p.pump();
        EXPECT_FALSE(p.out().Active);
        EXPECT_EQ(g.LED.Brush(), ui::clMaroon);
        EXPECT_EQ(g.Parameters.InitStepLeft, before.InitStepLeft);
        EXPECT_EQ(g.Parameters.FinalStepLeft, before.FinalStepLeft);
        EXPECT_EQ(g.Parameters.TargetLeft, before.TargetLeft);
        EXPECT_EQ(g.Parameters.TotalSamples, before.TotalSamples);
    }
}

TEST(PlaybackSamples, SignalLengthFollowsLoopModeAndDuration) {
    const struct {
        bool sweep, loop;
        const char* duration;
        std::int32_t total;
    } cases[] = {
        {false, true, "10", 2147483647}, {false, true, "0.5", 2147483647},
        {true, true, "10", 441000},      {true, true, "2.5", 110250},
        {false, false, "60", 2646000},   {true, false, "60", 2646000},
        {false, false, "0.1", 4410},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sweep << c.loop << " " << c.duration);
        At44100 p;
        vpg::TfrmGenerator& g = p.gen();
        if (c.sweep) selectSweep(g, false);
        g.Loop.setChecked(c.loop);
        g.Duration.setText(c.duration);
        // The start recomputes too, from the same controls.
        g.btnONClick(nullptr);
        EXPECT_EQ(g.Parameters.TotalSamples, c.total);
    }
}

TEST(PlaybackSamples, ANewSpeakerFrequencyGlidesHalfAPercentPerSample) {
    At44100 p;
    vpg::TfrmGenerator& g = p.gen();
    p.gen().btnONClick(nullptr);
    p.pump();
    // The ring has been filled once: 4 x 4096 frames at 100 Hz.
    ASSERT_EQ(g.State.SampleCounter, 16384);
    g.fInitLeft.setText("200");
    const double target = engine::TwoPi * (200 / kFs);
    EXPECT_EQ(g.Parameters.TargetLeft, target);
    // The running step is left alone: the change does not jump.
    EXPECT_EQ(g.State.StepLeft, engine::TwoPi * (100 / kFs));
    double phase = g.State.PhaseLeft, step = g.State.StepLeft;

    p.play(5);
    const auto f = p.played();
    ASSERT_GE(f.size(), 20480u);
    for (std::size_t i = 0; i < 4096; ++i) {
        phase += step;
        step = 0.995 * step + 0.005 * target;
        if (phase > engine::TwoPi) phase -= engine::TwoPi;
        ASSERT_EQ(f[16384 + i].left, std::nearbyint(std::sin(phase) * 32767.0)) << "frame " << i;
    }
    // 90 % of the way after about 460 samples, and there by the end of the buffer.
    EXPECT_NEAR(MeasuredHz(f, 16384 + 2048, 2048, 44100), 200, 1);
    // The pulse period follows, rounded anew each sample: 441 before, 220 or 221 after.
    std::vector<std::size_t> rises;
    for (std::size_t i = 16384 + 1; i < 20480; ++i)
        if (f[i - 1].right == 0 && f[i].right != 0) rises.push_back(i);
    ASSERT_GE(rises.size(), 3u);
    const std::size_t lastPeriod = rises.back() - rises[rises.size() - 2];
    EXPECT_TRUE(lastPeriod == 220 || lastPeriod == 221) << lastPeriod;
}

}  // namespace
