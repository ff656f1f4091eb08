#pragma once

#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/form.h"
#include "ui/label.h"

namespace vpg {

class TfrmGenerator;

// The "Output Settings" window: sampling frequency, buffer size and buffer count. The three
// choices are stored as list positions when the window closes.
class TfrmSettings : public ui::Form {
public:
    explicit TfrmSettings(TfrmGenerator& generator);

    ui::Label lblFsList{"lblFsList", "Sampling Frequency (fs) [Hz]"};
    ui::ComboBox FsList{"FsList", {"8000", "11025", "22050", "44100", "48000", "96000"}, 1};
    ui::Label lblBufferSize{"lblBufferSize", "Buffer Size:"};
    ui::ComboBox BufferSize{"BufferSize", {"4096", "8192", "16384", "32768", "64536"}, 2};
    ui::Label lblBuffers{"lblBuffers", "Buffers:"};
    ui::ComboBox Buffers{"Buffers", {"2", "3", "4"}, 2};
    ui::Button HelpButton{"HelpButton", "Help"};
    ui::Button Button1{"Button1", "Close"};

    void FormCreate(ui::Object* Sender);
    void FsListChange(ui::Object* Sender);
    void BufferSizeChange(ui::Object* Sender);
    void BuffersChange(ui::Object* Sender);
    void HelpButtonClick(ui::Object* Sender);
    void Button1Click(ui::Object* Sender);
    void FormClose(ui::Object* Sender, ui::CloseAction& Action);

    // The integer values the signal start hands to the output.
    int SelectedBufferCount() const;
    int SelectedBufferSize() const;

private:
    TfrmGenerator& frmGenerator;
};

}  // namespace vpg
