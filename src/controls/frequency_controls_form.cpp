// The speaker frequency: the logarithmic slider with its ends and rounding step, the start and
// final frequency fields, the fine-step buttons, the sweep law and the mode layout.
#include <cmath>
#include <string>

#include "audio/output_settings.h"
#include "controls/notices.h"
#include "controls/numeric_entry.h"
#include "shell/generator_form.h"

namespace vpg {

namespace {
constexpr double kSemitone = 1.0594630943592953;  // 2^(1/12)
}

double SliderFrequency(int position) {
    return 2.0 * std::pow(10.0, position / 1000.0);
}

int SliderPosition(double frequency) {
    return controls::RoundToInt32(1000.0 * std::log10(frequency / 2.0));
}

void TfrmGenerator::wireFrequencyControls() {
    FreqSliderLeft.Frequency = 0;
    chkConstantLeft.setPartner(chkSweepLeft);
    chkConstantLeft.Hint = "Signal with constant frequency";
    chkSweepLeft.Hint = "Signal frequency sweeps from Initial to Final during play";
    LogarithmicLeft.Hint = "Logarithmic change in frequency";
    BidirectionalLeft.Hint = "Sweep is in both directions, up and down";
    fInitLeftPlus.Hint = "+ 1 Hz";
    fInitLeftMinus.Hint = "- 1 Hz";
    SemiUpLeft.Hint = "Increase the Frequency by 1 musical semi tone";
    SemiDownLeft.Hint = "Decrease the Frequency by 1 musical semi tone";
    // The designed look: only the start frequency and its unit are shown.
    for (ui::Control* c : constantModeControls()) c->setVisible(false);
    for (ui::Control* c : sweepModeControls()) c->setVisible(false);
    chkConstantLeft.setVisible(false);
    chkSweepLeft.setVisible(false);

    FreqSliderLeft.OnChange = [this](ui::Object* s) { FreqSliderLeftChange(s); };
    MinFreqEdit.OnExit = [this](ui::Object* s) { MinFreqEditExit(s); };
    MaxFreqEdit.OnExit = [this](ui::Object* s) { MaxFreqEditExit(s); };
    MaxFreqEdit.OnKeyPress = [this](ui::Object* s, char& k) { MaxFreqEditKeyPress(s, k); };
    txtRound.OnExit = [this](ui::Object* s) { txtRoundExit(s); };
    fInitLeft.OnChange = fFinalLeft.OnChange = [this](ui::Object* s) { fConstLeftChange(s); };
    fInitLeft.OnExit = [this](ui::Object* s) { fInitLeftExit(s); };
    fFinalLeft.OnExit = [this](ui::Object* s) { fFinalLeftExit(s); };
    fInitLeftPlus.OnMouseDown = [this](ui::Object* s, ui::MouseButton b, ui::ShiftState k) {
        fInitLeftPlusMouseDown(s, b, k);
    };
    fInitLeftMinus.OnMouseDown = [this](ui::Object* s, ui::MouseButton b, ui::ShiftState k) {
        fInitLeftMinusMouseDown(s, b, k);
    };
    SemiUpLeft.OnClick = SemiDownLeft.OnClick = [this](ui::Object* s) { SemiUpLeftClick(s); };
    chkConstantLeft.OnClick =
        chkSweepLeft.OnClick = [this](ui::Object* s) { chkConstantLeftClick(s); };
    LogarithmicLeft.OnClick = [this](ui::Object* s) { LogarithmicLeftClick(s); };
}

void TfrmGenerator::FreqSliderLeftChange(ui::Object*) {
    // Only the user's movement writes the start frequency. Positions set by the program (the
    // recomputation, new ends, restored settings) write nothing back, also while the slider
    // has the focus: a rounded, range-clamped slider value must not replace a value that
    // another road has set.
    if (!FreqSliderLeft.UserMoving()) return;
    // The ends give the ends' own values, which their positions only approximate.
    const int position = FreqSliderLeft.Position();
    const ui::Edit* end = position == FreqSliderLeft.Max()   ? &MaxFreqEdit
                          : position == FreqSliderLeft.Min() ? &MinFreqEdit
                                                             : nullptr;
    if (end) {
        if (const auto v = controls::ReadPeriodDecimal(end->Text())) {
            fInitLeft.setText(PlayableFrequency(SingleToStr(*v)));
            return;
        }
    }
    const auto f = static_cast<float>(SliderFrequency(position));
    const auto step = TryIntlStrToFloat(txtRound.Text());
    float v = f;
    // A step of 0 (or one that cannot be read) leaves the frequency unrounded.
    if (step && *step != 0) {
        const double n = controls::RoundHalfEven(static_cast<double>(f) / *step);
        v = static_cast<float>(n * static_cast<double>(*step));
        // A step larger than twice the frequency rounds it to nothing: its first multiple.
        if (!(v > 0)) v = std::fabs(*step);
    }
    // Written as played: a multiple beyond the range is brought into it.
    fInitLeft.setText(PlayableFrequency(SingleToStr(v)));
}

float TfrmGenerator::HighestFrequency() const {
    return static_cast<float>((Parameters.SampleRate - 1) / 2);
}

std::string TfrmGenerator::PlayableFrequency(const std::string& text) const {
    const auto v = TryIntlStrToFloatOrInfinity(text);
    const double half = Parameters.SampleRate / 2.0;
    // Nothing at half the rate or above: the sine would be all zeros there.
    if (v && *v >= half) return FloatToStr(HighestFrequency());
    return Cleanup(text, 0.1f, static_cast<float>(half), 5, 1000);
}

void TfrmGenerator::FreqSliderLeftMouseDown(ui::Object*, ui::MouseButton, ui::ShiftState) {
    chkConstantLeft.setChecked(true);
    fInitLeft.setColor(ui::clYellow);
}

void TfrmGenerator::FreqSliderLeftMouseUp(ui::Object*, ui::MouseButton, ui::ShiftState) {
    fInitLeft.setColor(ui::clWindow);
}

// An end field's text restored from the slider: its frequency as a whole number.
std::string TfrmGenerator::sliderEndText(int position) const {
    return std::to_string(
        static_cast<long long>(controls::RoundHalfEven(SliderFrequency(position))));
}

float TfrmGenerator::otherEnd(const ui::Edit& field, int sliderEnd) const {
    // An end field left empty cannot be compared with: the slider's own end stands in.
    return TryIntlStrToFloat(field.Text()).value_or(static_cast<float>(SliderFrequency(sliderEnd)));
}

void TfrmGenerator::MinFreqEditExit(ui::Object*) {
    if (MinFreqEdit.Text().empty()) return;
    const auto v = controls::ReadPeriodDecimal(MinFreqEdit.Text());
    if (v && *v > 0 && *v < otherEnd(MaxFreqEdit, FreqSliderLeft.Max())) {
        FreqSliderLeft.setMin(SliderPosition(*v));
        const auto start = TryIntlStrToFloat(fInitLeft.Text());
        if (start && *start < *v) fInitLeft.setText(FloatToStr(*v));
        return;
    }
    MinFreqEdit.setText(sliderEndText(FreqSliderLeft.Min()));
}

void TfrmGenerator::MaxFreqEditExit(ui::Object*) {
    if (MaxFreqEdit.Text().empty()) return;
    const auto v = controls::ReadPeriodDecimal(MaxFreqEdit.Text());
    const double half = Parameters.SampleRate / 2.0;
    if (v && *v < half && otherEnd(MinFreqEdit, FreqSliderLeft.Min()) < *v) {
        FreqSliderLeft.setMax(SliderPosition(*v));
        const auto start = TryIntlStrToFloat(fInitLeft.Text());
        if (start && *start > *v) fInitLeft.setText(FloatToStr(*v));
        return;
    }
    MaxFreqEdit.setText(sliderEndText(FreqSliderLeft.Max()));
}

void TfrmGenerator::SliderEndsExit() {
    // The slider ignores a Min above its Max: a lower end above the slider's present upper end
    // goes in after the upper end has made room for it.
    const auto lower = controls::ReadPeriodDecimal(MinFreqEdit.Text());
    if (lower && *lower > 0 && SliderPosition(*lower) > FreqSliderLeft.Max()) {
        MaxFreqEditExit(this);
        MinFreqEditExit(this);
        return;
    }
    MinFreqEditExit(this);
    MaxFreqEditExit(this);
}

void TfrmGenerator::SliderEndBelowHalfRate() {
    const double half = Parameters.SampleRate / 2.0;
    const auto upper = controls::ReadPeriodDecimal(MaxFreqEdit.Text());
    if (SliderFrequency(FreqSliderLeft.Max()) < half && !(upper && *upper >= half)) return;
    // The highest position whose frequency, and the whole number the end field shows for it,
    // are both below fs/2.
    int top = SliderPosition(half);
    while (SliderFrequency(top) >= half || controls::RoundHalfEven(SliderFrequency(top)) >= half)
        --top;
    // A lower end that would not stay below the new upper end comes down to the default one.
    const auto lower = controls::ReadPeriodDecimal(MinFreqEdit.Text());
    if (FreqSliderLeft.Min() >= top || (lower && *lower >= SliderFrequency(top))) {
        MinFreqEdit.setText("20");
        FreqSliderLeft.setMin(SliderPosition(20));
    }
    FreqSliderLeft.setMax(top);
    // Written as the field's own rule writes an end; a field left empty stays empty.
    if (!MaxFreqEdit.Text().empty()) MaxFreqEdit.setText(sliderEndText(top));
}

void TfrmGenerator::MaxFreqEditKeyPress(ui::Object*, char& Key) {
    if (Key != 13) return;
    // Enter moves to the slider, which runs this field's exit rule; it does not also press
    // the default button.
    FreqSliderLeft.SetFocus();
    Key = 0;
}

void TfrmGenerator::txtRoundExit(ui::Object*) {
    const auto step = TryIntlStrToFloat(txtRound.Text());
    txtRound.setText(step ? SingleToStr(*step) : "1");
}

void TfrmGenerator::frequencyExit(ui::Edit& field) {
    const auto v = TryIntlStrToFloatOrInfinity(field.Text());
    if (v && *v >= Parameters.SampleRate / 2.0) {
        const int answer = ShowNotice(
            "The output frequency can never be higher than half the sampling rate. If you "
            "would like to generate a higher frequency signal, please adjust the sampling rate "
            "in the " +
                Compatibilitysettings1.MenuPlace() + ".",
            "Information", ui::mbYes | ui::mbNo, "AboveNyquistLimit");
        if (answer == ui::mrYes) Compatibilitysettings1Click(&field);
    }
    field.setText(PlayableFrequency(field.Text()));
}

void TfrmGenerator::fInitLeftExit(ui::Object*) {
    frequencyExit(fInitLeft);
}

void TfrmGenerator::fFinalLeftExit(ui::Object*) {
    frequencyExit(fFinalLeft);
}

void TfrmGenerator::fineStep(std::optional<float> to) {
    // A step that would leave the playable range does nothing; one within it is written as
    // the field's rule writes it.
    if (to && *to >= 0.1f && *to < Parameters.SampleRate / 2.0)
        fInitLeft.setText(PlayableFrequency(SingleToStr(*to)));
}

void TfrmGenerator::fInitLeftPlusMouseDown(ui::Object*, ui::MouseButton, ui::ShiftState) {
    if (const auto v = TryIntlStrToFloat(fInitLeft.Text())) fineStep(*v + 1.0f);
}

void TfrmGenerator::fInitLeftMinusMouseDown(ui::Object*, ui::MouseButton, ui::ShiftState) {
    if (const auto v = TryIntlStrToFloat(fInitLeft.Text())) fineStep(*v - 1.0f);
}

void TfrmGenerator::SemiUpLeftClick(ui::Object* Sender) {
    const auto v = TryIntlStrToFloat(fInitLeft.Text());
    if (!v) return;
    fineStep(static_cast<float>(Sender == &SemiUpLeft ? *v * kSemitone : *v / kSemitone));
}

std::array<ui::Control*, 4> TfrmGenerator::constantModeControls() {
    return {&fInitLeftPlus, &fInitLeftMinus, &SemiUpLeft, &SemiDownLeft};
}

std::array<ui::Control*, 6> TfrmGenerator::sweepModeControls() {
    return {&lblFreqFromLeft, &lblFreqToLeft,   &lblHzToLeft,
            &fFinalLeft,      &LogarithmicLeft, &BidirectionalLeft};
}

void TfrmGenerator::chkConstantLeftClick(ui::Object* Sender) {
    const bool constant = chkConstantLeft.Checked();
    for (ui::Control* c : constantModeControls()) c->setVisible(constant);
    for (ui::Control* c : sweepModeControls()) c->setVisible(!constant);
    LoopClick(Sender);
}

void TfrmGenerator::LogarithmicLeftClick(ui::Object*) {
    // A constant tone has no sweep to restart: its duration and pulse timing run on.
    if (!chkConstantLeft.Checked()) SweepRestart();
}

}  // namespace vpg
