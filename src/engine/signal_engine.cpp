#include "engine/signal_engine.h"

#include <cmath>
#include <limits>

#include "base/rounding.h"

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
    StartNewPass(s);
    s.SweepReturning = false;
    p.TargetLeft = TwoPi * p.InitStepLeft;
    s.StepLeft = p.TargetLeft;
    ApplySweep(p, logarithmic);
}

void ResetForStart(const SignalParameters& p, SignalState& s) {
    s.SampleCounter = 0;
    s.PulseBase = 0;
    s.SweepReturning = false;
    s.StepLeft = TwoPi * p.InitStepLeft;
    s.StepRight = TwoPi * p.InitStepRight;
    s.PhaseLeft = 0;
    s.LockRunning = false;
}

std::int32_t SamplesForDuration(double seconds, std::int32_t sampleRate) {
    return base::RoundToInt32(seconds * static_cast<double>(sampleRate));
}

std::int64_t PulsePeriod(double stepRight) {
    const double period = 1.0 / (stepRight / TwoPi);
    // A pulse rate of zero has no period: the pulse channel is silent. So is a period that
    // rounds to zero or does not fit 64 bits, which valid frequencies never produce.
    if (!(std::fabs(period) < 9.2e18)) return 0;
    return static_cast<std::int64_t>(std::nearbyint(period));
}

}  // namespace engine
