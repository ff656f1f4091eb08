// The locked pulse train: flashes at the sine's own phase plus the delta's, sample-exact,
// through glides, every sweep law and the passes of a looping sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/signal_engine.h"
#include "support/signal_parameters.h"

namespace {

using namespace engine;

// The constant tone with its pulses locked to the sine's phase plus the delta's.
SignalParameters Locked(double fs, double f0, double delta = 0) {
    SignalParameters p = testing_support::ConstantTone(fs, f0, delta);
    p.DeltaStep = TwoPi * (delta / fs);
    p.FlashLock = true;
    return p;
}

// A sweep from f0 to f1 over passes of `seconds`.
SignalParameters LockedSweep(double fs, double f0, double f1, double seconds, bool logarithmic) {
    SignalParameters p = Locked(fs, f0);
    p.FinalStepLeft = f1 / fs;
    p.TotalSamples = SamplesForDuration(seconds, p.SampleRate);
    ApplySweep(p, logarithmic);
    return p;
}

struct Mode {
    bool constant = true, loop = true, bidirectional = false;
};

// What the run produced: each frame's pulse sample, and at each flash start its frame, the
// sine's phase there (unwrapped, radians) and the sine's step around it.
struct Trace {
    std::vector<int> right;
    std::vector<std::int64_t> starts;
    std::vector<double> phase, step;
};

// Runs the frames as the buffer fill does: sine, pulse, counter, end of pass.
Trace Play(SignalParameters& p, SignalState& s, Mode m, std::int64_t frames,
           const std::function<void(std::int64_t)>& before = {}) {
    Trace t;
    s.RestartsAtPassEnd = m.loop && !m.constant && !m.bidirectional;
    double unwrapped = 0, last = s.PhaseLeft;
    for (std::int64_t n = 0; n < frames; ++n) {
        if (before) before(n);
        SineSample(p, s, m.constant);
        double rise = s.PhaseLeft - last;
        if (rise < 0) rise += TwoPi;
        unwrapped += rise;
        last = s.PhaseLeft;
        const int r = PulseSample(p, s);
        if (r != 0 && (t.right.empty() || t.right.back() == 0)) {
            t.starts.push_back(n);
            t.phase.push_back(unwrapped);
            t.step.push_back(std::max(rise, s.StepLeft));
        }
        t.right.push_back(r);
        if (s.SampleCounter < MaxTotalSamples) ++s.SampleCounter;
        if (m.loop && s.SampleCounter >= p.TotalSamples)
            EndOfPass(p, s, m.constant, m.bidirectional);
    }
    return t;
}

// The flash rate from a least-squares line through the flash start times.
double FittedRate(const std::vector<std::int64_t>& starts, double fs) {
    const double n = static_cast<double>(starts.size());
    double mk = (n - 1) / 2, ms = 0;
    for (std::int64_t v : starts) ms += static_cast<double>(v);
    ms /= n;
    double sxy = 0, sxx = 0;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const double dk = static_cast<double>(k) - mk;
        sxy += dk * (static_cast<double>(starts[k]) - ms);
        sxx += dk * dk;
    }
    return fs / (sxy / sxx);
}

TEST(FlashLock, TheFlashRateIsTheSpeakerFrequencyPlusTheDeltaAtEveryRate) {
    const double rates[] = {8000, 11025, 44100, 48000, 96000};
    const double freqs[] = {100, 250, 440, 1000, 2000, 5000};
    const double deltas[] = {0, 0.5, -2};
    int cases = 0;
    for (double fs : rates)
        for (double f : freqs)
            for (double delta : deltas) {
                // Where the period is longer than the pulse (11 samples high).
                if (!(f < fs / 4) || fs / (f + delta) <= 11) continue;
                SCOPED_TRACE(testing::Message() << fs << " Hz, " << f << " Hz, delta " << delta);
                ++cases;
                SignalParameters p = Locked(fs, f, delta);
                SignalState s;
                ResetForStart(p, s);
                const Trace t = Play(p, s, {}, static_cast<std::int64_t>(10 * fs));
                ASSERT_GT(t.starts.size(), 900u);
                EXPECT_NEAR(FittedRate(t.starts, fs), f + delta, 0.001);
                // Each flash on the frame nearest to its exact time k fs / (f + delta).
                const double period = fs / (f + delta);
                for (std::size_t k = 0; k < t.starts.size(); ++k)
                    ASSERT_LE(std::fabs(static_cast<double>(t.starts[k]) -
                                        static_cast<double>(k) * period),
                              0.5 + 1e-6)
                        << "flash " << k;
            }
    EXPECT_GT(cases, 60);
}

TEST(FlashLock, TheFirstFlashIsAtCounterZeroAndAsWideAsThePulseLength) {
    for (double length : {1.0, 10.0, 50.0}) {
        SCOPED_TRACE(length);
        SignalParameters p = Locked(44100, 100);
        p.PulseLength = length;
        SignalState s;
        ResetForStart(p, s);
        const Trace t = Play(p, s, {}, 441 * 3);
        ASSERT_EQ(t.starts.size(), 3u);
        EXPECT_EQ(t.starts[0], 0);
        // 100 Hz at 44100 Hz is an exact period: the same train as the unlocked one.
        for (std::size_t n = 0; n < t.right.size(); ++n)
            ASSERT_EQ(t.right[n], static_cast<double>(n % 441) <= length ? 32767 : 0) << n;
    }
}

// Every flash of a run with delta 0 falls at the phase of the first one, to within half the
// sine's step (the nearer frame), and each flash is one cycle after the one before.
void ExpectSamePhase(const Trace& t) {
    ASSERT_GT(t.starts.size(), 10u);
    for (std::size_t k = 1; k < t.starts.size(); ++k) {
        const double cycles = (t.phase[k] - t.phase[0]) / TwoPi;
        const double off = (cycles - std::round(cycles)) * TwoPi;
        ASSERT_LE(std::fabs(off), 0.5 * t.step[k] * 1.001 + 1e-9)
            << "flash " << k << " at frame " << t.starts[k];
        const double spacing = (t.phase[k] - t.phase[k - 1]) / TwoPi;
        ASSERT_NEAR(spacing, 1.0, 0.5) << "flash " << k << " at frame " << t.starts[k];
    }
}

TEST(FlashLock, WithDeltaZeroEveryFlashFallsAtTheSamePhaseOfASweep) {
    const struct {
        const char* name;
        double f0, f1;
        bool logarithmic;
        Mode mode;
        double passes;
    } cases[] = {
        {"linear once", 20, 2000, false, {false, false, false}, 1},
        {"logarithmic once", 20, 2000, true, {false, false, false}, 1},
        {"linear, starting over", 20, 2000, false, {false, true, false}, 3.5},
        {"logarithmic, starting over", 20, 2000, true, {false, true, false}, 3.5},
        {"linear, back and forth", 20, 2000, false, {false, true, true}, 3.5},
        {"logarithmic, back and forth", 20, 2000, true, {false, true, true}, 3.5},
        {"downwards, starting over", 2000, 20, true, {false, true, false}, 3.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SignalParameters p = LockedSweep(44100, c.f0, c.f1, 1, c.logarithmic);
        SignalState s;
        ResetForStart(p, s);
        const Trace t = Play(p, s, c.mode, static_cast<std::int64_t>(c.passes * 44100));
        ExpectSamePhase(t);
        // The flashes followed the sweep: their count is the sine's cycles.
        const double cycles = t.phase.back() / TwoPi;
        EXPECT_NEAR(static_cast<double>(t.starts.size()), cycles, 2.0);
    }
}

TEST(FlashLock, AGlideToANewFrequencyKeepsThePhase) {
    SignalParameters p = Locked(44100, 100);
    SignalState s;
    ResetForStart(p, s);
    const Trace t = Play(p, s, {}, 44100, [&](std::int64_t n) {
        if (n == 10000) p.TargetLeft = TwoPi * (1000 / 44100.0);
        if (n == 30000) p.TargetLeft = TwoPi * (257.3 / 44100.0);
    });
    ExpectSamePhase(t);
    // After the glides the flashes come at the new rate.
    std::vector<std::int64_t> late(
        std::find_if(t.starts.begin(), t.starts.end(), [](std::int64_t v) { return v > 35000; }),
        t.starts.end());
    EXPECT_NEAR(FittedRate(late, 44100), 257.3, 0.01);
}

TEST(FlashLock, ThePhaseOffsetMovesTheSineAgainstTheFlashes) {
    // The flashes stay where the sine's own phase completes a cycle; the sine is shifted by
    // the offset, so at each flash it reads sin(-offset), within one sample's step.
    for (double degrees : {0.0, 90.0, 180.0, 270.0}) {
        SCOPED_TRACE(degrees);
        SignalParameters p = Locked(44100, 1000);
        p.PhaseOffset = degrees * Pi / 180;
        SignalState s;
        ResetForStart(p, s);
        std::vector<int> left;
        s.RestartsAtPassEnd = false;
        std::vector<std::int64_t> starts;
        int previous = 0;
        for (int n = 0; n < 44100; ++n) {
            left.push_back(SineSample(p, s, true));
            const int r = PulseSample(p, s);
            if (r != 0 && previous == 0) starts.push_back(n);
            previous = r;
            ++s.SampleCounter;
        }
        ASSERT_GT(starts.size(), 990u);
        const double step = TwoPi * 1000 / 44100;
        for (std::int64_t n : starts)
            ASSERT_NEAR(left[static_cast<std::size_t>(n)], 32767 * std::sin(-p.PhaseOffset),
                        1.5 * 32767 * step)
                << "flash at " << n;
    }
}

TEST(FlashLock, APulseAsLongAsThePeriodLeavesAZeroBeforeEachFlash) {
    // 2000 Hz at 44100 Hz: 22.05 samples between flashes, a pulse of 51.
    SignalParameters p = Locked(44100, 2000);
    p.PulseLength = 50;
    SignalState s;
    ResetForStart(p, s);
    const Trace t = Play(p, s, {}, 44100);
    ASSERT_GT(t.starts.size(), 1990u);
    EXPECT_NEAR(FittedRate(t.starts, 44100), 2000, 0.001);
    for (std::size_t k = 1; k < t.starts.size(); ++k) {
        const auto start = static_cast<std::size_t>(t.starts[k]);
        ASSERT_EQ(t.right[start - 1], 0) << "flash " << k;
        // High from the previous start up to the sample before the zero.
        for (auto n = static_cast<std::size_t>(t.starts[k - 1]); n + 1 < start; ++n)
            ASSERT_NE(t.right[n], 0) << n;
    }
}

TEST(FlashLock, NegativeAndZeroPulseRates) {
    // 1 Hz with a delta of -2 Hz runs at the magnitude, 1 Hz; 2 Hz with -2 Hz has no flash.
    SignalParameters p = Locked(8000, 1, -2);
    SignalState s;
    ResetForStart(p, s);
    const Trace t = Play(p, s, {}, 8000 * 5);
    ASSERT_EQ(t.starts.size(), 5u);
    for (std::size_t k = 0; k < t.starts.size(); ++k)
        EXPECT_NEAR(static_cast<double>(t.starts[k]), 8000.0 * static_cast<double>(k), 0.5);

    SignalParameters zero = Locked(8000, 2, -2);
    SignalState z;
    ResetForStart(zero, z);
    const Trace none = Play(zero, z, {}, 8000 * 3);
    EXPECT_TRUE(none.starts.empty());
}

TEST(FlashLock, TickedWhilePlayingTheTrainStartsWithAFlashAtTheNextSample) {
    SignalParameters p = Locked(44100, 1000);
    p.FlashLock = false;
    SignalState s;
    ResetForStart(p, s);
    const Trace t = Play(p, s, {}, 12345, [&](std::int64_t n) {
        if (n == 10000) {
            p.FlashLock = true;
            s.LockRunning = false;
        }
    });
    // Unlocked: a whole-sample period of Round(44.1) = 44.
    ASSERT_GE(t.starts.size(), 3u);
    EXPECT_EQ(t.starts[1], 44);
    const auto first = std::find(t.starts.begin(), t.starts.end(), 10000);
    ASSERT_NE(first, t.starts.end());
    ASSERT_NE(first + 1, t.starts.end());
    EXPECT_EQ(*(first + 1), 10044);  // 10000 + 44.1, the nearer frame
}

}  // namespace
