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

std::intptr_t TfrmGenerator::answerMessage(const ui::Message& message) {
    switch (WndProc(message.msg, static_cast<std::uint32_t>(message.wParam), message.lParam)) {
        case RemoteOutcome::Acted:
            return kRemoteActed;
        case RemoteOutcome::Refused:
            return kRemoteRefused;
        case RemoteOutcome::Busy:
            return kRemoteBusy;
    }
    return 0;
}

RemoteOutcome TfrmGenerator::WndProc(std::uint32_t message, std::uint32_t wParam,
                                     std::intptr_t lParam, std::string* reason) {
    const auto refuse = [reason](std::string why) {
        if (reason) *reason = std::move(why);
        return RemoteOutcome::Refused;
    };
    // The program's own messages first: they are no other program's to send.
    if (message == 1100) {
        State.FillAcknowledged = true;
        return RemoteOutcome::Acted;
    }
    if (message == ui::WM_HOTKEY) {
        if (wParam == 1) ONOFF2Click(this);
        return RemoteOutcome::Acted;
    }
    // A value is taken only when it is playable, and goes in through its field's rule, so the
    // field shows what plays; anything else leaves the field as it was.
    if (std::string problem = RemoteMessageProblem({message, wParam, lParam}); !problem.empty())
        return refuse(std::move(problem));
    const double half = Parameters.SampleRate / 2.0;
    switch (message) {
        case 1024:
            if (!startsignal())
                return refuse("the output did not start: " + AudioOut1->ErrorMessage);
            break;
        case 1025:
            AudioOut1->StopAtOnce();
            break;
        case 1026:
            togglePause();
            break;
        case 1031:
        case 1032:
        case 1033: {
            const double hz = wParam / 100.0;
            if (hz >= half)
                return refuse("the frequency must be below " + FloatToStr(half) +
                              " Hz (half the sampling rate)");
            ui::Edit& field = message == 1033 ? fFinalLeft : fInitLeft;
            field.setText(PlayableFrequency(FloatToStr(hz)));
            break;
        }
        case 1034: {
            const double seconds = wParam / 10.0;
            if (seconds > LongestDuration())
                return refuse("the duration must be at most " + FloatToStr(LongestDuration()) +
                              " s at this sampling rate");
            Duration.setText(Cleanup(FloatToStr(seconds), 0.1f, LongestDuration(), 4, 1));
            break;
        }
        case 1035:
            Loop.setChecked(wParam != 0);
            break;
        case 1036:
            LogarithmicLeft.setChecked(wParam != 0);
            break;
        case 1037:
            BidirectionalLeft.setChecked(wParam != 0);
            break;
        case 1047: {
            // Unsigned: 0xFFFFFFFF (-1) selects the system default. The device in use changes
            // only through the selector's own change.
            const auto index = static_cast<std::int64_t>(wParam) + 1 > 0xFFFFFFFFLL
                                   ? 0
                                   : static_cast<std::int64_t>(wParam) + 1;
            const auto items = static_cast<std::int64_t>(WaveDevice.Items().size());
            if (index >= items)
                return refuse("there is no output device " + std::to_string(wParam) + " (" +
                              (items > 1
                                   ? "the devices are 0 to " + std::to_string(items - 2) + ", "
                                   : std::string()) +
                              "-1 is the system default)");
            WaveDevice.setItemIndex(static_cast<int>(index));
            break;
        }
        case 1048:
            if (wParam == 0) MemRecall(static_cast<int>(lParam));
            if (wParam == 1) MemStore(static_cast<int>(lParam));
            break;
        case 1049:
            chkFlashLock.setChecked(wParam == 1);
            break;
        default:
            // In the catalogue but not acted on here: say so rather than pretend.
            return refuse("message " + std::to_string(message) + " is not handled");
    }
    return RemoteOutcome::Acted;
}

}  // namespace vpg
