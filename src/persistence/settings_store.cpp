#include "persistence/settings_store.h"

namespace persistence {

std::string ReadText(IRegistry& registry, RegKey key, const std::string& name) {
    if (!key) return {};
    const auto value = registry.QueryValue(key, name);
    if (!value) return {};
    if (value->kind != ValueKind::Text) throw ESettingsReadError(name);
    return value->text;
}

std::int32_t ReadInteger(IRegistry& registry, RegKey key, const std::string& name) {
    if (!key) throw ESettingsReadError(name);
    const auto value = registry.QueryValue(key, name);
    if (!value || value->kind != ValueKind::Integer) throw ESettingsReadError(name);
    return value->integer;
}

bool ReadFlag(IRegistry& registry, RegKey key, const std::string& name) {
    return ReadInteger(registry, key, name) != 0;
}

bool ReadAddedFlag(IRegistry& registry, RegKey key, const std::string& name) {
    if (key && !registry.QueryValue(key, name)) return false;
    return ReadFlag(registry, key, name);
}

void WriteText(IRegistry& registry, RegKey key, const std::string& name, const std::string& text) {
    if (!key || !registry.SetValue(key, name, RegistryValue::Text(text)))
        throw ESettingsWriteError(name);
}

void WriteInteger(IRegistry& registry, RegKey key, const std::string& name, std::int32_t value) {
    if (!key || !registry.SetValue(key, name, RegistryValue::Integer(value)))
        throw ESettingsWriteError(name);
}

void WriteFlag(IRegistry& registry, RegKey key, const std::string& name, bool value) {
    WriteInteger(registry, key, name, value ? 1 : 0);
}

}  // namespace persistence

// --- The main window's settings: loaded once at start-up, written once at close ---

#include "shell/frequency_display.h"
#include "shell/generator_form.h"

namespace vpg {

using persistence::ReadAddedFlag;
using persistence::ReadFlag;
using persistence::ReadInteger;
using persistence::ReadText;

void TfrmGenerator::RestoreSettings() {
    persistence::IRegistry& reg = platform.registry;
    const persistence::RegKey key = reg.OpenKey(ProgramKey());
    // One guarded block: the first value that cannot be read, or any failure of a handler it
    // runs, ends it silently and the defaults are put in instead.
    try {
        WaveDevice.setItemIndex(ReadInteger(reg, key, "WaveDevice"));
        Duration.setText(ReadText(reg, key, "Duration"));
        Loop.setChecked(ReadFlag(reg, key, "Loop"));
        BidirectionalLeft.setChecked(ReadFlag(reg, key, "BidirectionalLeft"));
        LogarithmicLeft.setChecked(ReadFlag(reg, key, "LogarithmicLeft"));
        AmplitudeLeft.setText(ReadText(reg, key, "AmplitudeLeft"));
        txtPulseLength.setText(ReadText(reg, key, "txtPulseLength"));
        AmplitudeRight.setText(ReadText(reg, key, "AmplitudeRight"));
        PhaseEdit.setText(ReadText(reg, key, "PhaseEdit"));
        PhaseEditExit(this);
        FreqSliderRight.setPosition(ReadInteger(reg, key, "FreqSliderRight"));
        FreqSliderRightChange(this);
        WaveDevice.setItemIndex(ReadInteger(reg, key, "WaveDevice"));
        WaveDeviceChange(this);
        PresetRecallAutostart1.setChecked(ReadFlag(reg, key, "PresetAutoStart"));
        if (ReadFlag(reg, key, "frmFrequencyDisplay")) FrequencyDisplay1Click(this);
        setLeft(ReadInteger(reg, key, "FormX"));
        setTop(ReadInteger(reg, key, "FormY"));
        // Each coordinate goes in as it is read: a later one that fails leaves the earlier ones.
        if (frmFrequencyDisplay) {
            frmFrequencyDisplay->setLeft(ReadInteger(reg, key, "DisplayX"));
            frmFrequencyDisplay->setTop(ReadInteger(reg, key, "DisplayY"));
            frmFrequencyDisplay->setWidth(ReadInteger(reg, key, "DisplayW"));
        } else {
            for (const char* name : {"DisplayX", "DisplayY", "DisplayW"})
                ReadInteger(reg, key, name);
        }
        // Each stored end is judged against the other stored end, not a designed one.
        MinFreqEdit.setText(ReadText(reg, key, "MinFreqEdit"));
        MaxFreqEdit.setText(ReadText(reg, key, "MaxFreqEdit"));
        SliderEndsExit();
        txtRound.setText(ReadText(reg, key, "txtRound"));
        chkConstantLeftClick(this);
        fInitLeft.setText(ReadText(reg, key, "fInitLeft"));
        fInitLeftExit(this);
        fFinalLeft.setText(ReadText(reg, key, "fFinalLeft"));
        fFinalLeftExit(this);
        chkFlashLock.setChecked(ReadAddedFlag(reg, key, "FlashLock"));
    } catch (const std::exception&) {
        rESETTOdEFAULT1Click(this);
    }
    if (key) reg.CloseKey(key);
    // The sampling rate loaded before the settings may be lower than the one they were set at.
    SliderEndBelowHalfRate();
    fConstLeftChange(this);
    SeedPresets();
}

bool TfrmGenerator::SaveSettings() {
    persistence::IRegistry& reg = platform.registry;
    const persistence::RegKey key = reg.CreateKey(ProgramKey());
    using namespace persistence;
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
    } catch (const ESettingsWriteError& e) {
        if (key) reg.CloseKey(key);
        platform.dialogs.ShowMessage(e.what());
        return false;
    }
    reg.CloseKey(key);
    return true;
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
