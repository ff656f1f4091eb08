// The recomputation of the engine's inputs from the controls, and the per-sample entry.
#include <cmath>

#include "controls/numeric_entry.h"
#include "shell/generator_form.h"

namespace vpg {

void TfrmGenerator::stopOutputAtOnce() {
    if (AudioOut1) AudioOut1->StopAtOnce();
}

void TfrmGenerator::fConstLeftChange(ui::Object*) {
    float f0 = 0, f1 = 0;
    try {
        f0 = IntlStrToFloat(fInitLeft.Text());
        f1 = IntlStrToFloat(fFinalLeft.Text());
    } catch (const controls::EConvertError&) {
        stopOutputAtOnce();
        return;
    }
    const double fs = Parameters.SampleRate;
    const double half = fs / 2.0;
    // Strictly below half the rate: at fs/2 the sine would be all zeros.
    const auto valid = [half](float f) { return f > 0 && f < half; };
    if (!valid(f0) || !valid(f1)) {
        stopOutputAtOnce();
        State.FillBusy = false;
        return;
    }

    // A program move: it never writes the slider's value back into the start frequency.
    FreqSliderLeft.setPosition(controls::RoundToInt32(1000.0 * std::log10(f0 / 2.0)));

    const bool constantMode = chkConstantLeft.Checked();
    std::int32_t total = engine::MaxTotalSamples;
    // A looping sweep still takes the set duration per pass; only a constant tone loops over
    // the whole counter range, which restarts the pulse timing as rarely as possible.
    if (!Loop.Checked() || !constantMode) {
        float seconds = 0;
        try {
            seconds = IntlStrToFloat(Duration.Text());
        } catch (const controls::EConvertError&) {
            stopOutputAtOnce();
            return;
        }
        total = engine::SamplesForDuration(seconds, Parameters.SampleRate);
    }

    engine::SignalParameters& p = Parameters;
    const double delta = FreqSliderRight.Position() / 50.0;
    p.TotalSamples = total;
    p.InitStepLeft = f0 / fs;
    p.InitStepRight = (f0 + delta) / fs;
    p.TargetLeft = engine::TwoPi * p.InitStepLeft;
    p.TargetRight = engine::TwoPi * p.InitStepRight;
    p.DeltaStep = engine::TwoPi * (delta / fs);
    if (constantMode) {
        // The running steps are left alone, so a playing tone glides to the new targets.
        p.FinalStepLeft = p.InitStepLeft;
        p.SweepAdder = 0;
        p.SweepMultiplier = 1;
    } else {
        p.FinalStepLeft = f1 / fs;
        State.StepLeft = p.TargetLeft;
        State.StepRight = p.TargetRight;
        State.SweepReturning = false;
        // A looping sweep that starts over starts its pass over: with the old count it would
        // turn or restart mid-pass and run outside its range (below the start, or without end).
        if (Loop.Checked()) engine::StartNewPass(State);
        engine::ApplySweep(p, LogarithmicLeft.Checked());
    }
    State.FillBusy = false;
    ShowPulseLengthLimit();
}

void TfrmGenerator::SweepRestart() {
    engine::SweepRestart(Parameters, State, LogarithmicLeft.Checked());
}

}  // namespace vpg
