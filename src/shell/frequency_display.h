#pragma once

#include <cstdint>
#include <string>

#include "engine/signal_engine.h"
#include "ui/form.h"
#include "ui/label.h"

namespace vpg {

class TfrmGenerator;

// The momentary frequency for a given sampling rate and sine step (radians per sample),
// rounded with ties to even: "440 Hz".
std::string FrequencyDisplayText(std::int32_t sampleRate, double step);

// The flash rate the pulse channel produces, to hundredths: "flash 1002.27 Hz". Unlocked it
// is fs / P for the whole-sample period P; locked, the momentary sine frequency plus the delta.
std::string FlashRateText(const engine::SignalParameters& p, const engine::SignalState& s,
                          char decimalSeparator);

// The small window that shows the momentary frequency in large green digits on black.
class TfrmFrequencyDisplay : public ui::Form {
public:
    explicit TfrmFrequencyDisplay(TfrmGenerator& generator);

    ui::Label lblDisplay{"lblDisplay", ""};
    // Under the speaker frequency: the rate at which the lamp really flashes.
    ui::Label lblFlashRate{"lblFlashRate", ""};

    void FormCreate(ui::Object* Sender);
    void FormClose(ui::Object* Sender, ui::CloseAction& Action);

private:
    TfrmGenerator& frmGenerator;
};

}  // namespace vpg
