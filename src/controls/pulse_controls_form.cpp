// The delta, phase, pulse length and level controls: each value is shown as a slider and as a
// number, each side updates the other, and the value goes straight into the engine's inputs.
#include <algorithm>
#include <cmath>
#include <string>

#include "controls/numeric_entry.h"
#include "shell/generator_form.h"

namespace vpg {

void TfrmGenerator::wirePulseControls() {
    FreqSliderRight.Frequency = 10;
    trkPhase.Frequency = 90;
    trkPulseLength.Frequency = 10;
    barAmplitudeLeft.Frequency = barAmplitudeRight.Frequency = 10;
    barAmplitudeLeft.Hint = AmplitudeLeft.Hint = "Signal Amplitude of the left/mono Channel";
    barAmplitudeRight.Hint = AmplitudeRight.Hint = "Signal Amplitude of the right stereo Channel";

    FreqSliderRight.OnChange = [this](ui::Object* s) { FreqSliderRightChange(s); };
    chkFlashLock.OnClick = [this](ui::Object* s) { chkFlashLockClick(s); };
    chkFlashLock.Hint = "Flashes at the sine's own phase: the cone stands still at any frequency";
    trkPhase.OnChange = [this](ui::Object* s) { trkPhaseChange(s); };
    PhaseEdit.OnExit = [this](ui::Object* s) { PhaseEditExit(s); };
    trkPulseLength.OnChange = [this](ui::Object* s) { trkPulseLengthChange(s); };
    txtPulseLength.OnExit = [this](ui::Object* s) { txtPulseLengthExit(s); };
    AmplitudeLeft.OnChange = [this](ui::Object* s) { AmplitudeLeftChange(s); };
    AmplitudeRight.OnChange = [this](ui::Object* s) { AmplitudeRightChange(s); };
    AmplitudeLeft.OnExit = [this](ui::Object* s) { AmplitudeLeftExit(s); };
    AmplitudeRight.OnExit = [this](ui::Object* s) { AmplitudeRightExit(s); };
    barAmplitudeLeft.OnChange = [this](ui::Object* s) { barAmplitudeLeftChange(s); };
    barAmplitudeRight.OnChange = [this](ui::Object* s) { barAmplitudeRightChange(s); };
}

void TfrmGenerator::FreqSliderRightChange(ui::Object* Sender) {
    lblFdelta.setCaption(FloatToStr(FreqSliderRight.Position() / 50.0));
    fConstLeftChange(Sender);
}

void TfrmGenerator::chkFlashLockClick(ui::Object*) {
    Parameters.FlashLock = chkFlashLock.Checked();
    // Ticked while playing, the locked train begins with a flash at the next sample.
    State.LockRunning = false;
}

void TfrmGenerator::FreqSliderRightMouseDown(ui::Object*, ui::MouseButton, ui::ShiftState) {}
void TfrmGenerator::FreqSliderRightMouseUp(ui::Object*, ui::MouseButton, ui::ShiftState) {}

void TfrmGenerator::trkPhaseChange(ui::Object* Sender) {
    // Only the user's move writes the whole degree into the field; a position the field's
    // own rule set (the nearest whole degree of 45.5) must not replace the field's value.
    if (!trkPhase.UserMoving()) return;
    PhaseEdit.setText(std::to_string(trkPhase.Position()));
    PhaseEditExit(Sender);
}

void TfrmGenerator::PhaseEditExit(ui::Object*) {
    const auto degrees = TryIntlStrToFloatOrInfinity(PhaseEdit.Text());
    if (!degrees) {
        PhaseEdit.setText("0");
        Parameters.PhaseOffset = 0;
        trkPhase.setPosition(0);
        return;
    }
    // The trackbar's range, to hundredths of a degree, on every road; the offset in use is
    // the value shown.
    const double bounded =
        std::clamp(static_cast<double>(*degrees), static_cast<double>(trkPhase.Min()),
                   static_cast<double>(trkPhase.Max()));
    const double shown = controls::RoundHalfEven(bounded * 100.0) / 100.0;
    PhaseEdit.setText(FloatToStr(shown));
    Parameters.PhaseOffset = shown * engine::Pi / 180.0;
    trkPhase.setPosition(controls::RoundToInt32(shown));
}

void TfrmGenerator::trkPulseLengthChange(ui::Object* Sender) {
    txtPulseLength.setText(std::to_string(trkPulseLength.Position()));
    txtPulseLengthExit(Sender);
}

void TfrmGenerator::txtPulseLengthExit(ui::Object*) {
    const auto samples = TryIntlStrToFloatOrInfinity(txtPulseLength.Text());
    // Whole samples within the trackbar's range, on every road; anything else is the default.
    int whole = 10;
    if (samples && std::floor(*samples) == *samples)
        whole = static_cast<int>(std::clamp(static_cast<double>(*samples),
                                            static_cast<double>(trkPulseLength.Min()),
                                            static_cast<double>(trkPulseLength.Max())));
    txtPulseLength.setText(std::to_string(whole));
    Parameters.PulseLength = whole;
    trkPulseLength.setPosition(whole);
    ShowPulseLengthLimit();
}

void TfrmGenerator::ShowPulseLengthLimit() {
    const std::int64_t period = engine::PulsePeriod(engine::TwoPi * Parameters.InitStepRight);
    const double span = engine::HighSpan(Parameters.PulseLength, period);
    std::string hint = "Pulse length in samples";
    if (period != 0 && span < Parameters.PulseLength)
        hint += ": limited to " + std::to_string(static_cast<long long>(span) + 1) +
                " samples, since every period of " +
                std::to_string(static_cast<long long>(period < 0 ? -period : period)) +
                " samples keeps at least one without a pulse";
    txtPulseLength.setHint(hint);
    trkPulseLength.setHint(hint);
}

namespace {
// A level typed as a whole number of dBFS becomes the gain at once, without bounds.
void applyLevel(const std::string& text, float& gain) {
    if (const auto dB = controls::ReadWholeNumber(text))
        gain = static_cast<float>(std::pow(10.0, *dB / 20.0));
}
}  // namespace

void TfrmGenerator::AmplitudeLeftChange(ui::Object*) {
    applyLevel(AmplitudeLeft.Text(), Parameters.GainLeft);
}

void TfrmGenerator::AmplitudeRightChange(ui::Object*) {
    applyLevel(AmplitudeRight.Text(), Parameters.GainRight);
}

void TfrmGenerator::levelExit(ui::Edit& field, ui::TrackBar& bar) {
    field.setText(Cleanup(field.Text(), -100, 0, 0, 0));
    bar.setPosition(-controls::ReadWholeNumber(field.Text()).value_or(0));
}

void TfrmGenerator::AmplitudeLeftExit(ui::Object*) {
    levelExit(AmplitudeLeft, barAmplitudeLeft);
}

void TfrmGenerator::AmplitudeRightExit(ui::Object*) {
    levelExit(AmplitudeRight, barAmplitudeRight);
}

void TfrmGenerator::barAmplitudeLeftChange(ui::Object*) {
    AmplitudeLeft.setText(std::to_string(-barAmplitudeLeft.Position()));
}

void TfrmGenerator::barAmplitudeRightChange(ui::Object*) {
    AmplitudeRight.setText(std::to_string(-barAmplitudeRight.Position()));
}

}  // namespace vpg
