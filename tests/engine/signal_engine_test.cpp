// The sample routines and sweep coefficients on their own, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/signal_engine.h"

namespace {

using namespace engine;

SignalParameters Constant(double fs, double f0, double delta = 0) {
    SignalParameters p;
    p.SampleRate = static_cast<std::int32_t>(fs);
    p.InitStepLeft = p.FinalStepLeft = f0 / fs;
    p.InitStepRight = (f0 + delta) / fs;
    p.TargetLeft = TwoPi * p.InitStepLeft;
    p.TargetRight = TwoPi * p.InitStepRight;
    p.TotalSamples = MaxTotalSamples;
    p.PulseLength = 10;
    return p;
}

std::vector<int> Pulses(const SignalParameters& p, SignalState& s, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
        SineSample(p, s, true);
        out.push_back(PulseSample(p, s));
        ++s.SampleCounter;
    }
    return out;
}

TEST(SweepCoefficients, CarryTheStepFromStartToFinalInNMinusOneSamples) {
    const double fs = 44100, N = 60 * fs;
    const auto lin = ComputeSweep(100 / fs, 1000 / fs, static_cast<std::int32_t>(N), false);
    EXPECT_EQ(lin.multiplier, 1.0);
    EXPECT_NEAR(lin.adder, 4.846e-8, 0.0005e-8);
    const auto log = ComputeSweep(100 / fs, 1000 / fs, static_cast<std::int32_t>(N), true);
    EXPECT_NEAR(log.multiplier, 1.00000087021, 1e-11);
    EXPECT_EQ(log.adder, 0.0);

    // Applied N - 1 times, both laws land on the final step.
    for (bool logarithmic : {false, true}) {
        const auto c = ComputeSweep(100 / fs, 1000 / fs, 44100, logarithmic);
        double step = TwoPi * 100 / fs;
        for (int i = 0; i < 44099; ++i) step = step * c.multiplier + c.adder;
        EXPECT_NEAR(step, TwoPi * 1000 / fs, 1e-9) << logarithmic;
    }
}

TEST(SweepCoefficients, ASweepOfFewerThanTwoSamplesStaysPut) {
    for (std::int32_t n : {1, 0, -5}) {
        const auto c = ComputeSweep(0.01, 0.02, n, false);
        EXPECT_EQ(c.multiplier, 1.0) << n;
        EXPECT_EQ(c.adder, 0.0) << n;
        EXPECT_TRUE(std::isfinite(ComputeSweep(0.01, 0.02, n, true).multiplier));
    }
}

TEST(PulseSample, ARateOfExactlyZeroIsSilent) {
    // 2 Hz with a delta of -2 Hz.
    SignalParameters p = Constant(44100, 2, -2);
    SignalState s;
    ResetForStart(p, s);
    for (int v : Pulses(p, s, 1000)) ASSERT_EQ(v, 0);
}

TEST(PulseSample, ANegativeRateRunsAtItsMagnitude) {
    // 1 Hz with a delta of -2 Hz: a pulse step of -1 Hz, so a period of 8000 samples at 8 kHz.
    SignalParameters p = Constant(8000, 1, -2);
    SignalState s;
    ResetForStart(p, s);
    const auto v = Pulses(p, s, 16011);
    EXPECT_EQ(v[0], 32767);
    EXPECT_EQ(v[10], 32767);
    EXPECT_EQ(v[11], 0);
    EXPECT_EQ(v[8000], 32767);
    EXPECT_EQ(v[16000], 32767);
}

TEST(SineSample, TheGlideClosesHalfAPercentOfTheGapPerSample) {
    SignalParameters p = Constant(44100, 100);
    SignalState s;
    ResetForStart(p, s);
    const double from = s.StepLeft;
    p.TargetLeft = TwoPi * 200 / 44100;
    SineSample(p, s, true);
    EXPECT_DOUBLE_EQ(s.StepLeft, 0.995 * from + 0.005 * p.TargetLeft);
    for (int i = 1; i < 460; ++i) SineSample(p, s, true);
    const double covered = (s.StepLeft - from) / (p.TargetLeft - from);
    EXPECT_GT(covered, 0.89);
    EXPECT_LT(covered, 0.91);
}

TEST(SineSample, PhaseStaysBelowTwoPiAndSamplesStayInRange) {
    SignalParameters p = Constant(8000, 4000);  // fs/2: the largest step
    SignalState s;
    ResetForStart(p, s);
    for (int i = 0; i < 10000; ++i) {
        const int v = SineSample(p, s, true);
        ASSERT_LE(s.PhaseLeft, TwoPi + 1e-12);
        ASSERT_LE(std::abs(v), 32767);
    }
}

TEST(Samples, NonFiniteGainsNeverBecomeUndefinedIntegers) {
    SignalParameters p = Constant(44100, 100);
    p.GainLeft = std::numeric_limits<float>::infinity();
    p.GainRight = std::numeric_limits<float>::infinity();
    SignalState s;
    ResetForStart(p, s);
    SineSample(p, s, true);  // sin(step) * inf
    EXPECT_EQ(SineSample(p, s, true), 32767);
    EXPECT_EQ(PulseSample(p, s), 32767);
}

TEST(Duration, SampleCountsAreRoundedAndClamped) {
    EXPECT_EQ(SamplesForDuration(60, 44100), 60 * 44100);
    EXPECT_EQ(SamplesForDuration(0.1f, 44100), 4410);
    EXPECT_EQ(SamplesForDuration(1e9, 44100), MaxTotalSamples);
}

}  // namespace
