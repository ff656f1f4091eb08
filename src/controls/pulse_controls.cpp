// The delta, phase, pulse length and level controls: each value is shown as a slider and as a
// number, each side updates the other, and the value goes straight into the engine's inputs.
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
    PhaseEdit.setText(std::to_string(trkPhase.Position()));
    PhaseEditExit(Sender);
}

void TfrmGenerator::PhaseEditExit(ui::Object*) {
    const auto degrees = TryIntlStrToFloat(PhaseEdit.Text());
    if (!degrees) {
        PhaseEdit.setText("0");
        Parameters.PhaseOffset = 0;
        trkPhase.setPosition(0);
        return;
    }
    Parameters.PhaseOffset = *degrees * engine::Pi / 180.0;
    const double hundredths =
        controls::RoundHalfEven(Parameters.PhaseOffset * 18000.0 / engine::Pi);
    const double shown = hundredths / 100.0;
    PhaseEdit.setText(FloatToStr(shown));
    // The trackbar holds whole degrees: it takes the nearest one. When that moves it, its
    // change writes the whole degree back into the field, as it does for a clamped value.
    trkPhase.setPosition(controls::RoundToInt32(shown));
}

void TfrmGenerator::trkPulseLengthChange(ui::Object* Sender) {
    txtPulseLength.setText(std::to_string(trkPulseLength.Position()));
    txtPulseLengthExit(Sender);
}

void TfrmGenerator::txtPulseLengthExit(ui::Object*) {
    const auto samples = TryIntlStrToFloat(txtPulseLength.Text());
    std::optional<std::int32_t> whole;
    if (samples) {
        Parameters.PulseLength = *samples;
        txtPulseLength.setText(FloatToStr(*samples));
        whole = controls::ReadWholeNumber(txtPulseLength.Text());
    }
    if (!whole) {
        txtPulseLength.setText("10");
        Parameters.PulseLength = 10;
        trkPulseLength.setPosition(10);
        return;
    }
    trkPulseLength.setPosition(*whole);
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
