#include "shell/frequency_display.h"

#include <cmath>

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

TfrmFrequencyDisplay::TfrmFrequencyDisplay(TfrmGenerator& generator)
    : ui::Form("frmFrequencyDisplay", "Frequency"), frmGenerator(generator) {
    HelpContext = shell::kHelpFrequencyDisplay;
    HelpApplication = &generator.Application;
    add(lblDisplay);
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
