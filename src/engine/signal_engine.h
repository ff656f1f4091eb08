#pragma once

#include <cmath>
#include <cstdint>

#include "engine/sine.h"

namespace engine {

inline constexpr double Pi = 3.14159265358979323846264338327950;
inline constexpr double TwoPi = 6.283185307179586476925286766559;
inline constexpr std::int32_t MaxTotalSamples = 2147483647;
inline constexpr std::int32_t FullScale = 32767;

// The engine's inputs, recomputed from the controls.
struct SignalParameters {
    std::int32_t SampleRate = 0;  // fs in Hz, written by the output settings
    double InitStepLeft = 0;      // start frequency / fs, cycles per sample
    double FinalStepLeft = 0;     // final frequency / fs (= InitStepLeft in constant mode)
    double InitStepRight = 0;     // (start frequency + delta) / fs
    double TargetLeft = 0;        // radians per sample the sine glides to
    double TargetRight = 0;       // radians per sample the pulse rate glides to
    double SweepMultiplier = 1.0;
    double SweepAdder = 0.0;
    std::int32_t TotalSamples = 0;
    double PhaseOffset = 0;  // radians
    double PulseLength = 0;  // samples
    float GainLeft = 1.0f;
    float GainRight = 1.0f;
    // The flashes follow the sine's own phase (plus the delta's) instead of a whole-sample
    // period; DeltaStep is the phase the delta adds, 2 pi delta / fs radians per sample.
    bool FlashLock = false;
    double DeltaStep = 0;
};

// The running state of one signal.
struct SignalState {
    std::int32_t SampleCounter = 0;  // samples of the current pass
    double PhaseLeft = 0;
    double StepLeft = 0;
    double StepRight = 0;
    bool FillAcknowledged = false;
    bool FillBusy = false;

    // The pulse train counts its samples from the start, across the passes: the samples of
    // the passes before the current one. 64 bits never overflow at any play time.
    std::int64_t PulseBase = 0;
    // A bi-directional sweep on its way back from the final frequency, with the law's
    // coefficients inverted at the turn. Every one-way pass runs forward.
    bool SweepReturning = false;
    double ReturnMultiplier = 1.0;
    double ReturnAdder = 0.0;

    // What the pulse routine last derived, so that a steady pulse rate costs neither the
    // division nor the 64-bit remainder: the period belongs to `periodStep`, the remainder to
    // `remainderCount`. The samples are the same as computing both anew.
    double periodStep = 0;
    std::int64_t period = 0;  // 0: no period (a silent pulse channel)
    std::int64_t remainderCount = -2;
    std::int64_t remainder = 0;

    // The locked pulse train. `LockPhase` is the pulse phase since the last flash in radians;
    // the decision whether the next frame begins a flash is taken one frame ahead, so that the
    // frame before a flash can be kept low. False `LockRunning`: the next sample starts the
    // train with a flash.
    bool LockRunning = false;
    bool LockFlashNext = false;
    double LockPhase = 0;
    double LockSinePhase = 0;  // PhaseLeft at the previous frame
    std::int64_t LockAge = 0;  // samples since the current flash began
    // Set by the fill for each buffer: a looping sweep that starts over at the end of its
    // pass, so that the sine's next step is then the start step.
    bool RestartsAtPassEnd = false;
};

struct SweepCoefficients {
    double multiplier = 1.0;
    double adder = 0.0;
};

// The per-sample factor or increment that carries the sine step from the start to the final
// frequency in N - 1 samples. A sweep of fewer than two samples has nothing to span.
SweepCoefficients ComputeSweep(double initStep, double finalStep, std::int32_t totalSamples,
                               bool logarithmic);
void ApplySweep(SignalParameters& p, bool logarithmic);

// The sweep restart: the sweep begins again from the start frequency with fresh coefficients.
void SweepRestart(SignalParameters& p, SignalState& s, bool logarithmic);

// The counter starts a new pass; the pulse train runs on at its own rate.
inline void StartNewPass(SignalState& s) {
    s.PulseBase += s.SampleCounter;
    s.SampleCounter = 0;
}

// A looping signal has reached the end of its pass. A sweep turns round (bi-directional) or
// starts over from the start frequency with the law's own coefficients; a constant tone only
// wraps the counter. The sine's phase goes on.
inline void EndOfPass(SignalParameters& p, SignalState& s, bool constantMode, bool bidirectional) {
    StartNewPass(s);
    if (constantMode) return;
    if (bidirectional) {
        s.SweepReturning = !s.SweepReturning;
        s.ReturnMultiplier = 1.0 / p.SweepMultiplier;
        s.ReturnAdder = -p.SweepAdder;
        return;
    }
    s.SweepReturning = false;
    p.TargetLeft = s.StepLeft = TwoPi * p.InitStepLeft;
    p.TargetRight = s.StepRight = TwoPi * p.InitStepRight;
}

// What a start does to the running state: the signal begins at its frequencies, no glide.
void ResetForStart(const SignalParameters& p, SignalState& s);

// Round(seconds * fs), clamped to the counter's range.
std::int32_t SamplesForDuration(double seconds, std::int32_t sampleRate);

// Converts a computed sample to the 16-bit range; NaN (never produced by valid inputs) is 0.
inline std::int32_t ToSample(double v) {
    // Valid inputs stay within +-32767; anything else must not become undefined behaviour.
    if (!(v >= -32768.0)) return v != v ? 0 : -32768;
    if (v > 32767.0) return 32767;
    return static_cast<std::int32_t>(RoundEven(v));
}

// Channel 0: the sine. Advances the phase and the step (glide or sweep).
inline std::int32_t SineSample(const SignalParameters& p, SignalState& s, bool constantMode) {
    s.PhaseLeft += s.StepLeft;
    if (constantMode) {
        if (s.StepLeft != p.TargetLeft) s.StepLeft = 0.995 * s.StepLeft + 0.005 * p.TargetLeft;
    } else if (!s.SweepReturning) {
        s.StepLeft = s.StepLeft * p.SweepMultiplier + p.SweepAdder;
    } else {
        s.StepLeft = s.StepLeft * s.ReturnMultiplier + s.ReturnAdder;
    }
    if (s.PhaseLeft > TwoPi) s.PhaseLeft -= TwoPi;
    return ToSample(Sine(s.PhaseLeft - p.PhaseOffset) *
                    (FullScale * static_cast<double>(p.GainLeft)));
}

// The pulse period in samples for a pulse step: Round(2 pi / step), 0 when there is none.
std::int64_t PulsePeriod(double stepRight);

// The last remainder of a period at which the pulse is high: the pulse length, but never so
// long that the period has no low sample left, or the lamp would see a steady level. A period
// of one sample has no room for both, so it stays low.
inline double HighSpan(double pulseLength, std::int64_t period) {
    const double longest = static_cast<double>((period < 0 ? -period : period) - 2);
    return pulseLength < longest ? pulseLength : longest;
}

// The step that the next sine sample adds: the sine's own, or the start step where a sweep
// starts over after this frame.
inline double NextSineStep(const SignalParameters& p, const SignalState& s) {
    if (s.RestartsAtPassEnd && std::int64_t{s.SampleCounter} + 1 >= p.TotalSamples)
        return TwoPi * p.InitStepLeft;
    return s.StepLeft;
}

// The locked pulse train: a flash begins on the frame nearest to the moment where the pulse
// phase (the sine's phase plus the delta's) crosses a whole cycle, so the mean flash rate is
// the momentary sine frequency plus the delta, glides and sweeps included. Runs after the
// frame's sine sample. The frame before a flash is always low: a flash never reaches the next.
inline std::int32_t LockedPulseSample(const SignalParameters& p, SignalState& s) {
    bool flash;
    if (!s.LockRunning) {
        s.LockRunning = true;
        s.LockPhase = 0;
        // Long past any flash: 2^62 samples do not end in any play time.
        s.LockAge = std::int64_t{1} << 62;
        flash = p.TargetRight != 0;  // a pulse rate of zero has no flashes
    } else {
        double rise = s.PhaseLeft - s.LockSinePhase;
        if (rise < 0) rise += TwoPi;  // the sine's phase came back below 2 pi
        s.LockPhase += rise + p.DeltaStep;
        flash = s.LockFlashNext;
    }
    s.LockSinePhase = s.PhaseLeft;
    s.LockAge = flash ? 0 : s.LockAge + 1;
    // The next frame flashes when the crossing lies nearer to it than to its neighbours: the
    // phase half-way to the frame after it has passed the cycle. The step changes too little
    // from one sample to the next to matter there.
    const double step = NextSineStep(p, s) + p.DeltaStep;
    const double ahead = s.LockPhase + 1.5 * step;
    s.LockFlashNext = ahead >= TwoPi || ahead <= -TwoPi;
    if (ahead >= TwoPi) s.LockPhase -= TwoPi;
    if (ahead <= -TwoPi) s.LockPhase += TwoPi;  // a negative pulse rate runs backwards
    if (s.LockFlashNext || static_cast<double>(s.LockAge) > p.PulseLength) return 0;
    return ToSample(FullScale * static_cast<double>(p.GainRight));
}

// Channel 1: the pulse train, high while (its sample count) mod period <= the high
// span; or the locked train.
inline std::int32_t PulseSample(const SignalParameters& p, SignalState& s) {
    if (s.StepRight != p.TargetRight) s.StepRight = 0.995 * s.StepRight + 0.005 * p.TargetRight;
    if (p.FlashLock) return LockedPulseSample(p, s);
    if (s.StepRight != s.periodStep) {
        s.periodStep = s.StepRight;
        s.period = PulsePeriod(s.StepRight);
        s.remainderCount = -2;
    }
    if (s.period == 0) return 0;
    const std::int64_t count = s.PulseBase + s.SampleCounter;
    // The remainder of truncating division: it takes the count's sign, never negative here.
    std::int64_t r;
    if (count == s.remainderCount + 1 && count > 0) {
        r = s.remainder + 1;
        if (r == (s.period < 0 ? -s.period : s.period)) r = 0;
    } else {
        r = count % s.period;
    }
    s.remainderCount = count;
    s.remainder = r;
    if (static_cast<double>(r) > HighSpan(p.PulseLength, s.period)) return 0;
    return ToSample(FullScale * static_cast<double>(p.GainRight));
}

}  // namespace engine
