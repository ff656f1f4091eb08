// One run of the output: the start, the buffer fill, the end of the duration and the loop,
// and what the main window shows while the output is open.
#include <cmath>
#include <cstring>
#include <limits>

#include "audio/output_settings.h"
#include "controls/numeric_entry.h"
#include "shell/frequency_display.h"
#include "shell/generator_form.h"
#include "shell/help_topics.h"

namespace vpg {

namespace {
constexpr const char* kNoFilledBuffer = "There must be at least one filled buffer";
constexpr const char* kPerformance = "There is an issue with performance. See help for details";
constexpr std::uint32_t kFillAcknowledge = 1100;
}  // namespace

void TfrmGenerator::wirePlayback() {
    Loop.OnClick = [this](ui::Object* s) { LoopClick(s); };
    Duration.OnChange = [this](ui::Object* s) { fConstLeftChange(s); };
    Duration.OnExit = [this](ui::Object* s) { DurationExit(s); };
    WaveDevice.OnChange = [this](ui::Object* s) { WaveDeviceChange(s); };
    WaveDevice.OnExit = [this](ui::Object* s) { fConstLeftChange(s); };
    WaveDevice.Hint = "Output Device (Sound Card)  Selector";
    AudioOut1->setOnFillBuffer([this](std::uint8_t* Buffer, std::int32_t& Size) {
        return AudioOut1FillBuffer(Buffer, Size);
    });
    AudioOut1->setOnStart([this](ui::Object* s) { AudioOut1Start(s); });
    AudioOut1->setOnStop([this](ui::Object* s) { AudioOut1Stop(s); });
}

bool TfrmGenerator::OutputOpen() const {
    // Not `Active`: that turns false as soon as the last buffer with signal has played.
    return AudioOut1->IsWaveDeviceOpen();
}

bool TfrmGenerator::startsignal() {
    if (OutputOpen()) return true;
    // Before the output settings have set a sampling rate there is nothing to play at.
    if (Parameters.SampleRate <= 0) return false;
    // A field typed into and not yet left (Enter presses ON) plays as it will be shown.
    ApplyEntryRules();
    fConstLeftChange(this);
    txtPulseLengthExit(this);
    State.FillBusy = false;
    engine::ResetForStart(Parameters, State);
    State.FillAcknowledged = true;
    AmplitudeLeftExit(this);
    AmplitudeRightExit(this);
    AudioOut1->setStereo(true);
    AudioOut1->setFrameRate(Parameters.SampleRate);
    AudioOut1->setNumBuffers(frmSettings ? frmSettings->SelectedBufferCount() : 4);
    AudioOut1->setBufferSize(frmSettings ? frmSettings->SelectedBufferSize() : 16384);
    const bool started = AudioOut1->Start(AudioOut1);
    if (!started) {
        if (AudioOut1->ErrorMessage == kNoFilledBuffer)
            platform.dialogs.ShowMessage(
                "For very short signals please decrease the buffer number and size in the " +
                Compatibilitysettings1.MenuPlace());
        else
            platform.dialogs.ShowMessage("Sound Device Error: \r" + AudioOut1->ErrorMessage);
    }
    btnOFF.SetFocus();
    return started;
}

float TfrmGenerator::LongestDuration() const {
    const double exact = static_cast<double>(engine::MaxTotalSamples) / Parameters.SampleRate;
    // The float just below, never above: a longer text would play shorter than it says.
    auto longest = static_cast<float>(exact);
    if (static_cast<double>(longest) > exact) longest = std::nextafter(longest, 0.0f);
    return longest;
}

void TfrmGenerator::DurationRule() {
    Duration.setText(Cleanup(Duration.Text(), 0.1f, LongestDuration(), 4, 1));
}

void TfrmGenerator::ApplyEntryRules() {
    fInitLeft.setText(PlayableFrequency(fInitLeft.Text()));
    fFinalLeft.setText(PlayableFrequency(fFinalLeft.Text()));
    DurationRule();
    PhaseEditExit(this);
    txtPulseLengthExit(this);
    AmplitudeLeftExit(this);
    AmplitudeRightExit(this);
}

bool TfrmGenerator::AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size) {
    if (!State.FillAcknowledged) {
        AudioOut1->StopAtOnce();
        // "See help for details": F1 in the notice opens that page.
        ShowNotice(kPerformance, "Information", ui::mbOK, "MBPerformance", shell::kHelpPerformance);
        State.FillBusy = false;
        return false;
    }
    State.FillAcknowledged = false;
    WndProc(kFillAcknowledge, 0, 0);  // the main window answers before the fill goes on

    const bool constantMode = chkConstantLeft.Checked();
    const bool bidirectional = BidirectionalLeft.Checked();
    const bool loop = Loop.Checked();

    if (State.FillBusy) {
        AudioOut1->StopAtOnce();
        platform.dialogs.ShowMessage(kPerformance);
        State.FillBusy = false;
        return false;
    }
    State.FillBusy = true;

    if (frmFrequencyDisplay && frmFrequencyDisplay->Visible()) {
        frmFrequencyDisplay->lblDisplay.setCaption(
            FrequencyDisplayText(Parameters.SampleRate, State.StepLeft));
        frmFrequencyDisplay->lblFlashRate.setCaption(
            FlashRateText(Parameters, State, platform.decimalSeparator));
    }

    engine::SignalParameters& p = Parameters;
    engine::SignalState& s = State;
    s.RestartsAtPassEnd = loop && !constantMode && !bidirectional;
    // The buffer in which the signal ends still holds its last samples: it is played, and
    // only the fills after it report the end.
    const bool holdsSignal = s.SampleCounter < p.TotalSamples;
    const std::int32_t frames = Size / 4;
    std::uint8_t* out = Buffer;
    for (std::int32_t i = 0; i < frames; ++i) {
        std::int32_t left = 0, right = 0;
        if (loop || s.SampleCounter < p.TotalSamples) {
            left = GenerateSample(0);
            right = GenerateSample(1);
        }
        // After the end the counter keeps counting (saturating: it must not overflow).
        if (s.SampleCounter < engine::MaxTotalSamples) ++s.SampleCounter;
        // At the end, or past it when Loop came on after the end: a loop must wrap, or its
        // sweep would never turn again. A pass of fewer than one sample wraps at every sample.
        if (loop && s.SampleCounter >= p.TotalSamples)
            engine::EndOfPass(p, s, constantMode, bidirectional);
        const auto l = static_cast<std::uint16_t>(static_cast<std::int16_t>(left));
        const auto r = static_cast<std::uint16_t>(static_cast<std::int16_t>(right));
        out[0] = static_cast<std::uint8_t>(l);
        out[1] = static_cast<std::uint8_t>(l >> 8);
        out[2] = static_cast<std::uint8_t>(r);
        out[3] = static_cast<std::uint8_t>(r >> 8);
        out += 4;
    }
    const bool result = holdsSignal || Loop.Checked();
    State.FillBusy = false;
    return result;
}

void TfrmGenerator::setRunControlsEnabled(bool enabled) {
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             &WaveDevice, &Duration, &Loop, &BidirectionalLeft, &LogarithmicLeft, &fInitLeft,
             &fFinalLeft, &AmplitudeLeft, &AmplitudeRight, &Memory1, &Memory2, &Memory3, &Memory4})
        c->setEnabled(enabled);
    Presets1.setEnabled(enabled);
}

void TfrmGenerator::AudioOut1Start(ui::Object*) {
    Application.setTitle(std::string("ON - ") + kProductName + " " + kVersion);
    btnOFF.setDefault(true);
    btnON.setDefault(false);
    LED.setBrush(ui::clGreen);
    setRunControlsEnabled(false);
}

void TfrmGenerator::AudioOut1Stop(ui::Object*) {
    Application.setTitle(std::string(kProductName) + " " + kVersion);
    btnPause.setBold(false);
    btnON.setDefault(true);
    btnOFF.setDefault(false);
    LED.setBrush(ui::clMaroon);
    setRunControlsEnabled(true);
    // A device that failed while playing ended the run: the user hears the silence and reads why.
    if (!AudioOut1->StreamError.empty()) {
        const std::string reason = AudioOut1->StreamError;
        AudioOut1->StreamError.clear();
        platform.dialogs.ShowMessage("Sound Device Error: \r" + reason);
    }
}

void TfrmGenerator::LoopClick(ui::Object*) {
    BidirectionalLeft.setEnabled(Loop.Checked());
}

void TfrmGenerator::DurationExit(ui::Object* Sender) {
    DurationRule();
    fInitLeftExit(Sender);
}

void TfrmGenerator::WaveDeviceChange(ui::Object*) {
    AudioOut1->setWaveDevice(static_cast<std::uint32_t>(WaveDevice.ItemIndex() - 1));
}

}  // namespace vpg
