#include "shell/frequency_display.h"

#include <cmath>
#include <cstdio>

#include "controls/numeric_entry.h"
#include "engine/signal_engine.h"
#include "shell/generator_form.h"
#include "shell/help_topics.h"
#include "shell/layouts.h"

namespace vpg {

std::string FrequencyDisplayText(std::int32_t sampleRate, double step) {
    return std::to_string(controls::RoundToInt64(static_cast<long double>(sampleRate) * step /
                                                 engine::TwoPi)) +
           " Hz";
}

std::string FlashRateText(const engine::SignalParameters& p, const engine::SignalState& s,
                          char decimalSeparator) {
    double hz = 0;
    if (p.FlashLock) {
        hz = p.SampleRate * (s.StepLeft + p.DeltaStep) / engine::TwoPi;
    } else if (const std::int64_t period = engine::PulsePeriod(s.StepRight); period != 0) {
        hz = p.SampleRate / static_cast<double>(period);
    }
    char text[64];
    std::snprintf(text, sizeof text, "flash %.2f Hz", std::fabs(hz));
    std::string result = text;
    for (char& c : result)
        if (c == '.') c = decimalSeparator;
    return result;
}

TfrmFrequencyDisplay::TfrmFrequencyDisplay(TfrmGenerator& generator)
    : ui::Form("frmFrequencyDisplay", "Frequency"), frmGenerator(generator) {
    HelpContext = shell::kHelpFrequencyDisplay;
    HelpApplication = &generator.Application;
    add(lblDisplay);
    add(lblFlashRate);
    LayOut(*this, generator.Application);
    OnCreate = [this](ui::Object* s) { FormCreate(s); };
    OnClose = [this](ui::Object* s, ui::CloseAction& a) { FormClose(s, a); };
}

void TfrmFrequencyDisplay::FormCreate(ui::Object*) {
    frmGenerator.RestoreSettings();
}

void TfrmFrequencyDisplay::FormClose(ui::Object*, ui::CloseAction& Action) {
    Action = ui::CloseAction::Hide;
    frmGenerator.FrequencyDisplay1.setChecked(false);
}

void TfrmGenerator::FrequencyDisplay1Click(ui::Object*) {
    FrequencyDisplay1.setChecked(!FrequencyDisplay1.Checked());
    if (!frmFrequencyDisplay) return;
    if (FrequencyDisplay1.Checked()) {
        frmFrequencyDisplay->Show();
        Application.BringToFront();
    } else {
        frmFrequencyDisplay->Hide();
    }
}

}  // namespace vpg
