#pragma once

#include <cstdint>

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
};

// The running state of one signal.
struct SignalState {
    std::int32_t SampleCounter = 0;
    double PhaseLeft = 0;
    double StepLeft = 0;
    double StepRight = 0;
    bool FillAcknowledged = false;
    bool FillBusy = false;
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

// What a start does to the running state: the signal begins at its frequencies, no glide.
void ResetForStart(const SignalParameters& p, SignalState& s);

// Round(seconds * fs), clamped to the counter's range.
std::int32_t SamplesForDuration(double seconds, std::int32_t sampleRate);

// Converts a computed sample to the 16-bit range; NaN (never produced by valid inputs) is 0.
std::int32_t ToSample(double v);

// Channel 0: the sine. Advances the phase and the step (glide or sweep).
std::int32_t SineSample(const SignalParameters& p, SignalState& s, bool constantMode);
// Channel 1: the pulse train, high while SampleCounter mod period <= PulseLength.
std::int32_t PulseSample(const SignalParameters& p, SignalState& s);

}  // namespace engine
