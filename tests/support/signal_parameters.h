#pragma once

#include <cstdint>

#include "engine/signal_engine.h"

namespace testing_support {

// A constant tone of f0 Hz at fs on the left, f0 + delta on the right, pulses of 10 samples,
// running for as long as a signal may.
inline engine::SignalParameters ConstantTone(double fs, double f0, double delta = 0) {
    engine::SignalParameters p;
    p.SampleRate = static_cast<std::int32_t>(fs);
    p.InitStepLeft = p.FinalStepLeft = f0 / fs;
    p.InitStepRight = (f0 + delta) / fs;
    p.TargetLeft = engine::TwoPi * p.InitStepLeft;
    p.TargetRight = engine::TwoPi * p.InitStepRight;
    p.TotalSamples = engine::MaxTotalSamples;
    p.PulseLength = 10;
    return p;
}

}  // namespace testing_support
