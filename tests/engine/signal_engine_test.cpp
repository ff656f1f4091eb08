// The sample routines and sweep coefficients on their own, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/signal_engine.h"
#include "support/signal_parameters.h"

namespace {

using namespace engine;
using testing_support::ConstantTone;

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
    SignalParameters p = ConstantTone(44100, 2, -2);
    SignalState s;
    ResetForStart(p, s);
    for (int v : Pulses(p, s, 1000)) ASSERT_EQ(v, 0);
}

TEST(PulseSample, ANegativeRateRunsAtItsMagnitude) {
    // 1 Hz with a delta of -2 Hz: a pulse step of -1 Hz, so a period of 8000 samples at 8 kHz.
    SignalParameters p = ConstantTone(8000, 1, -2);
    SignalState s;
    ResetForStart(p, s);
    const auto v = Pulses(p, s, 16011);
    EXPECT_EQ(v[0], 32767);
    EXPECT_EQ(v[10], 32767);
    EXPECT_EQ(v[11], 0);
    EXPECT_EQ(v[8000], 32767);
    EXPECT_EQ(v[16000], 32767);
}

TEST(PulseSample, EveryPeriodKeepsASampleWithoutAPulse) {
    // The lamp never sees a steady level: where the pulse length fills the period, the pulse
    // is cut one sample short of it. Where it fits, it stays as long as it is.
    struct Case {
        double fs, f, delta;
        double pulseLength;
        std::int64_t period;  // Round(fs / (f + delta))
        int high;             // samples at the pulse level in each period
    };
    const Case cases[] = {
        {44100, 100, 0, 10, 441, 11},    // fits: length + 1
        {44100, 2205, 0, 20, 20, 19},    // the period is the pulse length
        {44100, 2100, 0, 20, 21, 20},    // the period is the pulse length plus one
        {44100, 2004.5, 0, 20, 22, 21},  // the first period with room: unchanged
        {44100, 1000, 0, 50, 44, 43},    // longer than the period
        {48000, 900, 0, 50, 53, 51},     // fits
        {48000, 1000, 0, 50, 48, 47},
        {44100, 22049, 2, 10, 2, 1},  // near fs/2: every other sample
        {8000, 3999, 0, 1, 2, 1},
        {44100, 1, -2, 10, -44100, 11},  // a negative rate keeps its pulses
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.f << " Hz at " << c.fs << ", length " << c.pulseLength);
        SignalParameters p = ConstantTone(c.fs, c.f, c.delta);
        p.PulseLength = c.pulseLength;
        SignalState s;
        ResetForStart(p, s);
        ASSERT_EQ(PulsePeriod(TwoPi * p.InitStepRight), c.period);
        const std::int64_t period = c.period < 0 ? -c.period : c.period;
        const auto v = Pulses(p, s, static_cast<int>(3 * period));
        for (std::int64_t k = 0; k < 3; ++k) {
            int high = 0, low = 0;
            for (std::int64_t i = k * period; i < (k + 1) * period; ++i)
                (v[static_cast<std::size_t>(i)] != 0 ? high : low)++;
            EXPECT_EQ(high, c.high) << "period " << k;
            EXPECT_GE(low, 1) << "period " << k;
            EXPECT_NE(v[static_cast<std::size_t>(k * period)], 0);  // each period starts high
        }
    }
}

TEST(PulseSample, TheHighSpanIsThePulseLengthWhereItFits) {
    EXPECT_EQ(HighSpan(10, 441), 10);
    EXPECT_EQ(HighSpan(10, 12), 10);
    EXPECT_EQ(HighSpan(10, 11), 9);
    EXPECT_EQ(HighSpan(10, -11), 9);
    EXPECT_EQ(HighSpan(50, 2), 0);
    EXPECT_LT(HighSpan(1, 1), 0);  // a one-sample period has no room: no pulse at all
}

TEST(SineSample, TheGlideClosesHalfAPercentOfTheGapPerSample) {
    SignalParameters p = ConstantTone(44100, 100);
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
    SignalParameters p = ConstantTone(8000, 4000);  // fs/2: the largest step
    SignalState s;
    ResetForStart(p, s);
    for (int i = 0; i < 10000; ++i) {
        const int v = SineSample(p, s, true);
        ASSERT_LE(s.PhaseLeft, TwoPi + 1e-12);
        ASSERT_LE(std::abs(v), 32767);
    }
}

TEST(Samples, NonFiniteGainsNeverBecomeUndefinedIntegers) {
    SignalParameters p = ConstantTone(44100, 100);
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
