#include "engine/signal_engine.h"

#include <cmath>
#include <limits>

#include "controls/numeric_entry.h"

namespace engine {

SweepCoefficients ComputeSweep(double initStep, double finalStep, std::int32_t totalSamples,
                               bool logarithmic) {
    // N - 1 steps; N <= 1 (a duration typed as 0 through a message or the registry) would
    // divide by zero or run backwards, so such a sweep stays at its start frequency.
    if (totalSamples <= 1) return {};
    const double steps = static_cast<double>(totalSamples) - 1.0;
    if (logarithmic) return {std::exp((std::log(finalStep) - std::log(initStep)) / steps), 0.0};
    return {1.0, (finalStep - initStep) * TwoPi / steps};
}

void ApplySweep(SignalParameters& p, bool logarithmic) {
    const SweepCoefficients c =
        ComputeSweep(p.InitStepLeft, p.FinalStepLeft, p.TotalSamples, logarithmic);
    p.SweepMultiplier = c.multiplier;
    p.SweepAdder = c.adder;
}

void SweepRestart(SignalParameters& p, SignalState& s, bool logarithmic) {
    s.SampleCounter = 0;
    p.TargetLeft = TwoPi * p.InitStepLeft;
    s.StepLeft = p.TargetLeft;
    ApplySweep(p, logarithmic);
}

void ResetForStart(const SignalParameters& p, SignalState& s) {
    s.SampleCounter = 0;
    s.StepLeft = TwoPi * p.InitStepLeft;
    s.StepRight = TwoPi * p.InitStepRight;
    s.PhaseLeft = 0;
}

std::int32_t SamplesForDuration(double seconds, std::int32_t sampleRate) {
    return controls::RoundToInt32(seconds * static_cast<double>(sampleRate));
}

std::int32_t ToSample(double v) {
    // Valid inputs stay within +-32767; anything else must not become undefined behaviour.
    if (!(v >= -32768.0)) return v != v ? 0 : -32768;
    if (v > 32767.0) return 32767;
    return static_cast<std::int32_t>(std::nearbyint(v));
}

std::int32_t SineSample(const SignalParameters& p, SignalState& s, bool constantMode) {
    s.PhaseLeft += s.StepLeft;
    if (constantMode) {
        if (s.StepLeft != p.TargetLeft) s.StepLeft = 0.995 * s.StepLeft + 0.005 * p.TargetLeft;
    } else {
        s.StepLeft = s.StepLeft * p.SweepMultiplier + p.SweepAdder;
    }
    if (s.PhaseLeft > TwoPi) s.PhaseLeft -= TwoPi;
    return ToSample(std::sin(s.PhaseLeft - p.PhaseOffset) *
                    (FullScale * static_cast<double>(p.GainLeft)));
}

std::int32_t PulseSample(const SignalParameters& p, SignalState& s) {
    if (s.StepRight != p.TargetRight) s.StepRight = 0.995 * s.StepRight + 0.005 * p.TargetRight;
    const double period = 1.0 / (s.StepRight / TwoPi);
    // A pulse rate of zero has no period: the pulse channel is silent. So is a period that
    // rounds to zero or does not fit 64 bits, which valid frequencies never produce.
    if (!(std::fabs(period) < 9.2e18)) return 0;
    const auto P = static_cast<std::int64_t>(std::nearbyint(period));
    if (P == 0) return 0;
    const std::int64_t r = static_cast<std::int64_t>(s.SampleCounter) % P;
    if (static_cast<double>(r) > p.PulseLength) return 0;
    return ToSample(FullScale * static_cast<double>(p.GainRight));
}

}  // namespace engine
