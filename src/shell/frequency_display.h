#pragma once

#include <cstdint>
#include <string>

#include "ui/form.h"
#include "ui/label.h"

namespace vpg {

class TfrmGenerator;

// The momentary frequency for a given sampling rate and sine step (radians per sample),
// rounded with ties to even: "440 Hz".
std::string FrequencyDisplayText(std::int32_t sampleRate, double step);

// The small window that shows the momentary frequency in large green digits on black.
class TfrmFrequencyDisplay : public ui::Form {
public:
    explicit TfrmFrequencyDisplay(TfrmGenerator& generator);

    ui::Label lblDisplay{"lblDisplay", ""};

    void FormCreate(ui::Object* Sender);
    void FormClose(ui::Object* Sender, ui::CloseAction& Action);

private:
    TfrmGenerator& frmGenerator;
};

}  // namespace vpg
