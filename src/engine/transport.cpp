// ON, Pause and OFF from the buttons, the menu keys, the system-wide hot key and other
// programs' window messages.
#include "controls/numeric_entry.h"
#include "shell/generator_form.h"

namespace vpg {

void TfrmGenerator::wireTransport() {
    btnON.Hint = "Generator ON Switch";
    btnPause.Hint = "Pause Switch";
    btnOFF.Hint = "Generator OFF Switch";
    LED.Hint = "Generator Status  on/off";
    btnON.setDefault(true);
    btnON.OnClick = Off1.OnClick = [this](ui::Object* s) { btnONClick(s); };
    btnOFF.OnClick = OnOff1.OnClick = [this](ui::Object* s) { btnOFFClick(s); };
    btnPause.OnClick = Pause1.OnClick = [this](ui::Object* s) { btnPauseClick(s); };
    ONOFF2.OnClick = [this](ui::Object* s) { ONOFF2Click(s); };
}

void TfrmGenerator::btnONClick(ui::Object*) {
    startsignal();
}

void TfrmGenerator::btnOFFClick(ui::Object*) {
    AudioOut1->StopAtOnce();
    if (btnON.Enabled()) btnON.SetFocus();
}

void TfrmGenerator::togglePause() {
    AudioOut1->setPaused(!AudioOut1->Paused());
    btnPause.setBold(AudioOut1->Paused());
}

void TfrmGenerator::btnPauseClick(ui::Object*) {
    togglePause();
}

void TfrmGenerator::ONOFF2Click(ui::Object* Sender) {
    if (OutputOpen())
        btnOFFClick(Sender);
    else
        btnONClick(Sender);
}

void TfrmGenerator::handleMessage(const ui::Message& message) {
    WndProc(message.msg, static_cast<std::uint32_t>(message.wParam), message.lParam);
}

void TfrmGenerator::WndProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam) {
    switch (message) {
        case 1024:
            startsignal();
            break;
        case 1025:
            AudioOut1->StopAtOnce();
            break;
        case 1026:
            togglePause();
            break;
        case 1031:
        case 1032:
            fInitLeft.setText(FloatToStr(wParam / 100.0));
            break;
        case 1033:
            fFinalLeft.setText(FloatToStr(wParam / 100.0));
            break;
        case 1034:
            Duration.setText(FloatToStr(wParam / 10.0));
            break;
        case 1035:
            Loop.setChecked(wParam != 0);
            break;
        case 1036:
            LogarithmicLeft.setChecked(wParam != 0);
            break;
        case 1037:
            BidirectionalLeft.setChecked(wParam != 0);
            break;
        case 1047:
            // Unsigned: 0xFFFFFFFF (-1) selects "Windows Default". The device in use changes
            // only through the selector's own change.
            WaveDevice.setItemIndex(static_cast<int>(static_cast<std::uint32_t>(wParam + 1)));
            break;
        case 1048:
            // Only the slots 1 to 4 exist; anything else is ignored.
            if (lParam >= 1 && lParam <= 4) {
                if (wParam == 0) MemRecall(static_cast<int>(lParam));
                if (wParam == 1) MemStore(static_cast<int>(lParam));
            }
            break;
        case 1049:
            // 0 or 1; anything else is ignored.
            if (wParam <= 1) chkFlashLock.setChecked(wParam == 1);
            break;
        case 1100:
            State.FillAcknowledged = true;
            break;
        case ui::WM_HOTKEY:
            if (wParam == 1) ONOFF2Click(this);
            break;
        default:
            break;
    }
}

}  // namespace vpg
