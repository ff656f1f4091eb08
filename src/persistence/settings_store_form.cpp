// The main window's settings: loaded once at start-up, written once at close.
#include <algorithm>
#include <vector>

#include "persistence/settings_store.h"
#include "shell/frequency_display.h"
#include "shell/generator_form.h"

namespace vpg {

using persistence::ReadFlag;
using persistence::ReadInteger;
using persistence::ReadText;

void TfrmGenerator::RestoreSettings() {
    persistence::IRegistry& reg = platform.registry;
    const persistence::RegKey key = reg.OpenKey(ProgramKey());
    // A first start, or a key that holds only a notice's flag: the defaults.
    if (!key || !reg.QueryValue(key, "WaveDevice")) {
        rESETTOdEFAULT1Click(this);
        // The defaults are constant mode, and a first start looks like every later one: the
        // fine-step buttons are laid out even where the reset, already in constant mode,
        // changes no mode.
        chkConstantLeftClick(this);
    } else {
        restoreEachValue(key);
    }
    if (key) reg.CloseKey(key);
    // Stored places from another screen set-up (or edited by hand) are brought onto the screens.
    Application.KeepOnScreen(*this);
    if (frmFrequencyDisplay) Application.KeepOnScreen(*frmFrequencyDisplay);
    // The sampling rate loaded before the settings may be lower than the one they were set at.
    SliderEndBelowHalfRate();
    fConstLeftChange(this);
    SeedPresets();
    TellSettingsNotRead();
}

void TfrmGenerator::restoreEachValue(persistence::RegKey key) {
    persistence::IRegistry& reg = platform.registry;
    // Each value on its own: one that cannot be read, or a handler run for it that fails,
    // costs that value alone, which takes its default. A missing value is no fault (an older
    // file, a value never written); a value of another kind is, and the user hears of it.
    const auto step = [&](const char* name, const auto& apply, const auto& fallback) {
        try {
            apply();
        } catch (const std::exception&) {
            if (reg.QueryValue(key, name)) SettingsNotRead.push_back(name);
            try {
                fallback();
            } catch (const std::exception&) {
            }
        }
    };
    const auto keep = [] {};
    step(
        "WaveDevice", [&] { WaveDevice.setItemIndex(ReadInteger(reg, key, "WaveDevice")); },
        [&] { WaveDevice.setItemIndex(0); });
    step(
        "Duration", [&] { Duration.setText(ReadText(reg, key, "Duration")); },
        [&] { Duration.setText("10"); });
    // Every restored value goes through its field's rule, as a typed one does.
    step(
        "Duration", [&] { DurationRule(); }, keep);
    step(
        "Loop", [&] { Loop.setChecked(ReadFlag(reg, key, "Loop")); },
        [&] { Loop.setChecked(true); });
    step(
        "BidirectionalLeft",
        [&] { BidirectionalLeft.setChecked(ReadFlag(reg, key, "BidirectionalLeft")); },
        [&] { BidirectionalLeft.setChecked(false); });
    step(
        "LogarithmicLeft",
        [&] { LogarithmicLeft.setChecked(ReadFlag(reg, key, "LogarithmicLeft")); },
        [&] { LogarithmicLeft.setChecked(true); });
    step(
        "AmplitudeLeft", [&] { AmplitudeLeft.setText(ReadText(reg, key, "AmplitudeLeft")); },
        [&] { AmplitudeLeft.setText("0"); });
    step(
        "AmplitudeLeft", [&] { AmplitudeLeftExit(this); }, keep);
    step(
        "txtPulseLength", [&] { txtPulseLength.setText(ReadText(reg, key, "txtPulseLength")); },
        [&] {
            txtPulseLength.setText("10");
            txtPulseLengthExit(this);
        });
    step(
        "txtPulseLength", [&] { txtPulseLengthExit(this); }, keep);
    step(
        "AmplitudeRight", [&] { AmplitudeRight.setText(ReadText(reg, key, "AmplitudeRight")); },
        [&] { AmplitudeRight.setText("0"); });
    step(
        "AmplitudeRight", [&] { AmplitudeRightExit(this); }, keep);
    step(
        "PhaseEdit", [&] { PhaseEdit.setText(ReadText(reg, key, "PhaseEdit")); }, keep);
    step(
        "PhaseEdit", [&] { PhaseEditExit(this); }, keep);
    step(
        "FreqSliderRight",
        [&] { FreqSliderRight.setPosition(ReadInteger(reg, key, "FreqSliderRight")); }, keep);
    step(
        "FreqSliderRight", [&] { FreqSliderRightChange(this); }, keep);
    step(
        "WaveDevice",
        [&] {
            const std::int32_t device = ReadInteger(reg, key, "WaveDevice");
            WaveDevice.setItemIndex(device);
            if (WaveDevice.ItemIndex() != device || device < 0) {
                // The device it was set to is gone: the system default plays instead, and the
                // user learns why the list changed.
                WaveDevice.setItemIndex(0);
                platform.dialogs.ShowMessage(
                    "The output device used last time is no longer available; the system "
                    "default is used instead.");
            }
        },
        [&] { WaveDevice.setItemIndex(0); });
    step(
        "WaveDevice", [&] { WaveDeviceChange(this); }, keep);
    step(
        "PresetAutoStart",
        [&] { PresetRecallAutostart1.setChecked(ReadFlag(reg, key, "PresetAutoStart")); }, keep);
    step(
        "frmFrequencyDisplay",
        [&] {
            if (ReadFlag(reg, key, "frmFrequencyDisplay")) FrequencyDisplay1Click(this);
        },
        keep);
    step(
        "FormX", [&] { setLeft(ReadInteger(reg, key, "FormX")); }, keep);
    step(
        "FormY", [&] { setTop(ReadInteger(reg, key, "FormY")); }, keep);
    if (frmFrequencyDisplay) {
        TfrmFrequencyDisplay& display = *frmFrequencyDisplay;
        step(
            "DisplayX", [&] { display.setLeft(ReadInteger(reg, key, "DisplayX")); }, keep);
        step(
            "DisplayY", [&] { display.setTop(ReadInteger(reg, key, "DisplayY")); }, keep);
        step(
            "DisplayW", [&] { display.setWidth(ReadInteger(reg, key, "DisplayW")); }, keep);
    }
    // Each stored end is judged against the other stored end, not a designed one.
    step(
        "MinFreqEdit", [&] { MinFreqEdit.setText(ReadText(reg, key, "MinFreqEdit")); },
        [&] { MinFreqEdit.setText("20"); });
    step(
        "MaxFreqEdit", [&] { MaxFreqEdit.setText(ReadText(reg, key, "MaxFreqEdit")); },
        [&] { MaxFreqEdit.setText("500"); });
    step(
        "MaxFreqEdit", [&] { SliderEndsExit(); }, keep);
    step(
        "txtRound", [&] { txtRound.setText(ReadText(reg, key, "txtRound")); }, keep);
    step(
        "txtRound", [&] { txtRoundExit(this); }, keep);
    step(
        "chkConstantLeft", [&] { chkConstantLeftClick(this); }, keep);
    step(
        "fInitLeft", [&] { fInitLeft.setText(ReadText(reg, key, "fInitLeft")); },
        [&] { fInitLeft.setText("100"); });
    step(
        "fInitLeft", [&] { fInitLeftExit(this); }, keep);
    step(
        "fFinalLeft", [&] { fFinalLeft.setText(ReadText(reg, key, "fFinalLeft")); },
        [&] { fFinalLeft.setText("1000"); });
    step(
        "fFinalLeft", [&] { fFinalLeftExit(this); }, keep);
    // Settings of an earlier version have no FlashLock: missing, it is off, silently.
    step(
        "FlashLock", [&] { chkFlashLock.setChecked(ReadFlag(reg, key, "FlashLock")); },
        [&] { chkFlashLock.setChecked(false); });
}

void TfrmGenerator::TellSettingsNotRead() {
    // Once, whatever the store and the windows' loads could not use.
    std::string text = platform.registry.TakeReadNotice();
    std::vector<std::string> names;
    for (const std::string& name : SettingsNotRead)
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    SettingsNotRead.clear();
    if (!names.empty()) {
        std::string list;
        for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
        if (!text.empty()) text += "\n\n";
        text +=
            "These stored settings could not be used and are back at their defaults: " + list + ".";
    }
    if (!text.empty()) platform.dialogs.ShowMessage(text);
}

bool TfrmGenerator::SaveSettings() {
    const std::string failure = storeSettings();
    if (failure.empty()) return true;
    platform.dialogs.ShowMessage(failure);
    return false;
}

std::string TfrmGenerator::storeSettings() {
    persistence::IRegistry& reg = platform.registry;
    const persistence::RegKey key = reg.CreateKey(ProgramKey());
    using namespace persistence;
    // One save is one replace of what is stored: all the values or none of them.
    if (key) reg.BeginBatch(key);
    try {
        WriteText(reg, key, "fInitLeft", fInitLeft.Text());
        WriteText(reg, key, "fFinalLeft", fFinalLeft.Text());
        WriteText(reg, key, "AmplitudeLeft", AmplitudeLeft.Text());
        WriteFlag(reg, key, "chkConstantLeft", chkConstantLeft.Checked());
        WriteFlag(reg, key, "LogarithmicLeft", LogarithmicLeft.Checked());
        WriteFlag(reg, key, "BidirectionalLeft", BidirectionalLeft.Checked());
        WriteText(reg, key, "AmplitudeRight", AmplitudeRight.Text());
        WriteText(reg, key, "PhaseEdit", PhaseEdit.Text());
        WriteInteger(reg, key, "FreqSliderRight", FreqSliderRight.Position());
        WriteText(reg, key, "txtPulseLength", txtPulseLength.Text());
        WriteText(reg, key, "Duration", Duration.Text());
        WriteFlag(reg, key, "Loop", Loop.Checked());
        WriteInteger(reg, key, "WaveDevice", WaveDevice.ItemIndex());
        WriteFlag(reg, key, "PresetAutoStart", PresetRecallAutostart1.Checked());
        WriteFlag(reg, key, "frmFrequencyDisplay",
                  frmFrequencyDisplay && frmFrequencyDisplay->Visible());
        WriteInteger(reg, key, "FormX", Left);
        WriteInteger(reg, key, "FormY", Top);
        WriteInteger(reg, key, "DisplayX", frmFrequencyDisplay ? frmFrequencyDisplay->Left : 0);
        WriteInteger(reg, key, "DisplayY", frmFrequencyDisplay ? frmFrequencyDisplay->Top : 0);
        WriteInteger(reg, key, "DisplayW", frmFrequencyDisplay ? frmFrequencyDisplay->Width : 0);
        WriteText(reg, key, "MinFreqEdit", MinFreqEdit.Text());
        WriteText(reg, key, "MaxFreqEdit", MaxFreqEdit.Text());
        WriteText(reg, key, "txtRound", txtRound.Text());
        WriteFlag(reg, key, "FlashLock", chkFlashLock.Checked());
        if (!reg.CommitBatch(key)) throw ESettingsWriteError("fInitLeft");
    } catch (const ESettingsWriteError& e) {
        if (key) reg.CloseKey(key);
        return e.what();
    }
    reg.CloseKey(key);
    return {};
}

void TfrmGenerator::rESETTOdEFAULT1Click(ui::Object*) {
    chkConstantLeft.setChecked(true);
    LogarithmicLeft.setChecked(true);
    BidirectionalLeft.setChecked(false);
    barAmplitudeLeft.setPosition(0);
    barAmplitudeRight.setPosition(0);
    Duration.setText("10");
    Loop.setChecked(true);
    WaveDevice.setItemIndex(0);
    // The output follows the list, so the device shown is the device used.
    WaveDeviceChange(this);
    // Each default end is judged against the other default, not the range it replaces.
    MinFreqEdit.setText("20");
    MaxFreqEdit.setText("500");
    SliderEndsExit();
    fInitLeft.setText("100");
    fInitLeftExit(this);
    fFinalLeft.setText("1000");
    fFinalLeftExit(this);
    fInitLeftExit(this);
    fConstLeftChange(this);
    txtPulseLength.setText("10");
    txtPulseLengthExit(this);
    chkFlashLock.setChecked(false);
}

}  // namespace vpg
