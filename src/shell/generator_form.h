#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_io.h"
#include "engine/signal_engine.h"
#include "persistence/memory_presets.h"
#include "shell/platform.h"
#include "shell/remote_message.h"
#include "ui/application.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/combo_box.h"
#include "ui/edit.h"
#include "ui/form.h"
#include "ui/label.h"
#include "ui/menu.h"
#include "ui/trackbar.h"

namespace vpg {

class TfrmSettings;
class TfrmFrequencyDisplay;
class TfrmAbout;

inline constexpr const char* kProductName = "Vimbrel Pulse Generator";
inline constexpr const char* kMakerName = "Halvane";
inline constexpr const char* kVersion = "1.2";
inline constexpr const char* kHelpFileName = "vpg.chm";
inline constexpr const char* kHomepage = "https://www.halvane.example/audio";

// The settings key: "\Software\" + maker + "\" + product.
std::string ProgramKey();
// The speaker frequency slider's mapping: 2 Hz at position 0, 1000 positions per decade.
double SliderFrequency(int position);
int SliderPosition(double frequency);

// The main window. Its controls are the settings; its handlers couple them and drive the
// engine. They live with their subsystem: in the *_form.cpp files of engine/, audio/,
// controls/ and persistence/ (the only files there that may include shell/), and in shell/.
// The sections below name the file that defines each group.
class TfrmGenerator : public ui::Form, public ui::MessageTarget {
public:
    TfrmGenerator(ui::Application& application, Platform& platform);
    ~TfrmGenerator() override;

    // The other windows, created after this one.
    TfrmSettings* frmSettings = nullptr;
    TfrmFrequencyDisplay* frmFrequencyDisplay = nullptr;
    TfrmAbout* frmAbout = nullptr;

    // The engine's inputs and running state.
    engine::SignalParameters Parameters;
    engine::SignalState State;
    // The wave output, held through a variable as its callback windows expect.
    audio::TAudioOut* AudioOut1 = nullptr;

    // --- Speaker frequency (controls/frequency_controls_form.cpp) ---
    ui::TrackBar FreqSliderLeft{"FreqSliderLeft", 100, 4000, 1000};
    ui::Edit MinFreqEdit{"MinFreqEdit", "2"};
    ui::Edit MaxFreqEdit{"MaxFreqEdit", "500"};
    ui::Edit txtRound{"txtRound", "1"};
    ui::Edit fInitLeft{"fInitLeft", "100"};
    ui::Edit fFinalLeft{"fFinalLeft", "1000"};
    ui::Label lblFreqFromLeft{"lblFreqFromLeft", "From"};
    ui::Label lblFromFreqLeft{"lblFromFreqLeft", "Hz"};
    ui::Label lblFreqToLeft{"lblFreqToLeft", "to"};
    ui::Label lblHzToLeft{"lblHzToLeft", "Hz"};
    ui::RadioButton chkConstantLeft{"chkConstantLeft", "Constant", true};
    ui::RadioButton chkSweepLeft{"chkSweepLeft", "Sweep", false};
    ui::CheckBox LogarithmicLeft{"LogarithmicLeft", "Logarithmic"};
    ui::CheckBox BidirectionalLeft{"BidirectionalLeft", "Bi-directional"};
    ui::Button fInitLeftPlus{"fInitLeftPlus", "+"};
    ui::Button fInitLeftMinus{"fInitLeftMinus", "-"};
    ui::Button SemiUpLeft{"SemiUpLeft", "#"};
    ui::Button SemiDownLeft{"SemiDownLeft", "b"};

    // --- Pulse channel and levels (controls/pulse_controls_form.cpp) ---
    ui::TrackBar FreqSliderRight{"FreqSliderRight", -100, 100, 0};
    ui::Label lblFdelta{"lblFdelta", "0"};
    ui::CheckBox chkFlashLock{"chkFlashLock", "Lock flashes to the sine"};
    ui::TrackBar trkPhase{"trkPhase", 0, 360, 0};
    ui::Edit PhaseEdit{"PhaseEdit", "0"};
    ui::TrackBar trkPulseLength{"trkPulseLength", 1, 50, 10};
    ui::Edit txtPulseLength{"txtPulseLength", "10"};
    ui::TrackBar barAmplitudeLeft{"barAmplitudeLeft", 0, 100, 0, ui::Orientation::Vertical};
    ui::Edit AmplitudeLeft{"AmplitudeLeft", "0"};
    ui::TrackBar barAmplitudeRight{"barAmplitudeRight", 0, 100, 0, ui::Orientation::Vertical};
    ui::Edit AmplitudeRight{"AmplitudeRight", "0"};

    // --- Run (engine/playback_form.cpp, engine/transport_form.cpp) ---
    ui::Edit Duration{"Duration", "10"};
    ui::CheckBox Loop{"Loop", "Loop"};
    ui::ComboBox WaveDevice{"WaveDevice"};
    ui::Button btnON{"btnON", "ON"};
    ui::Button btnPause{"btnPause", "Pause"};
    ui::Button btnOFF{"btnOFF", "OFF"};
    ui::Shape LED{"LED", ui::clMaroon};
    ui::Label lblFS{"lblFS", "fs="};
    ui::Label lblBottomRight{"lblBottomRight", "www.halvane.example"};

    // --- What the window shows around the controls: group boxes and static texts
    //     (shell/layouts.cpp places every control) ---
    ui::Label lblSpeakerFrequency{"lblSpeakerFrequency", "Speaker Frequency"};
    ui::Label lblRound{"lblRound", "Round to nearest multiple of"};
    ui::Label lblRoundHertz{"lblRoundHertz", "Hertz"};
    ui::GroupBox grpFrequency{"grpFrequency", " Frequency "};
    ui::GroupBox grpAmplitudeLeft{"grpAmplitudeLeft", " Amplitude "};
    ui::Label lblAmplitudeLeftChannel{"lblAmplitudeLeftChannel", "Sine (left)"};
    ui::Label lblAmplitudeLeftUnit{"lblAmplitudeLeftUnit", "dBFS"};
    ui::GroupBox grpPulseSettings{"grpPulseSettings", " Vimbrel Pulse Signal Settings "};
    ui::GroupBox grpDelta{"grpDelta", " Frequency Delta "};
    ui::Label lblDeltaMinus{"lblDeltaMinus", "-2 Hz"};
    ui::Label lblDeltaZero{"lblDeltaZero", "0"};
    ui::Label lblDeltaPlus{"lblDeltaPlus", "+2 Hz "};
    ui::Label lblFdeltaHz{"lblFdeltaHz", "Hz "};
    ui::GroupBox grpPhase{"grpPhase", " Phase "};
    ui::Label lblPhaseUnit{"lblPhaseUnit", "deg"};
    ui::GroupBox grpPulseLength{"grpPulseLength", " Pulse Length "};
    ui::Label lblPulseLengthUnit{"lblPulseLengthUnit", "samples"};
    ui::GroupBox grpAmplitudeRight{"grpAmplitudeRight", "Amplitude "};
    ui::Label lblAmplitudeRightChannel{"lblAmplitudeRightChannel", "Pulses (right)"};
    ui::Label lblAmplitudeRightUnit{"lblAmplitudeRightUnit", "dBFS"};
    ui::GroupBox grpOutputDevice{"grpOutputDevice", " Output Device "};
    ui::GroupBox grpMemory{"grpMemory", "Memory Presets"};
    ui::Label lblDuration{"lblDuration", "Duration"};
    ui::Label lblDurationUnit{"lblDurationUnit", "s"};

    // --- Memory presets (persistence/memory_presets_form.cpp) ---
    std::array<MemoryPreset, 4> Presets{};
    ui::Button Memory1{"Memory1", "Memory 1"};
    ui::Button Memory2{"Memory2", "Memory 2"};
    ui::Button Memory3{"Memory3", "Memory 3"};
    ui::Button Memory4{"Memory4", "Memory 4"};
    ui::Edit Mem1Edit{"Mem1Edit"};
    ui::Edit Mem2Edit{"Mem2Edit"};
    ui::Edit Mem3Edit{"Mem3Edit"};
    ui::Edit Mem4Edit{"Mem4Edit"};
    ui::MenuItem PopupMenu1{"PopupMenu1"}, Store{"Store", "Store"}, Rename{"Rename", "Rename"};
    ui::MenuItem PopupMenu2{"PopupMenu2"}, Store2{"Store2", "Store"}, Rename1{"Rename1", "Rename"};
    ui::MenuItem PopupMenu3{"PopupMenu3"}, Store3{"Store3", "Store"}, Rename2{"Rename2", "Rename"};
    ui::MenuItem PopupMenu4{"PopupMenu4"}, Store4{"Store4", "Store"}, Rename3{"Rename3", "Rename"};

    // --- Menu bar ---
    ui::MenuItem File1{"File1", "&File"};
    ui::MenuItem rESETTOdEFAULT1{"rESETTOdEFAULT1", "&Reset current settings", ui::Ctrl('Z')};
    ui::MenuItem Exit1{"Exit1", "&Exit", ui::Ctrl('X')};
    ui::MenuItem View1{"View1", "&View"};
    ui::MenuItem FrequencyDisplay1{"FrequencyDisplay1", "Frequency &Display", ui::Ctrl('D')};
    ui::MenuItem WindowsVolumeControl1{"WindowsVolumeControl1", "&Windows Volume Control"};
    ui::MenuItem Presets1{"Presets1", "&Presets"};
    ui::MenuItem Memory11{"Memory11", "Recall Preset 1", ui::Key(ui::VK_F5)};
    ui::MenuItem Memory21{"Memory21", "Recall Preset 2", ui::Key(ui::VK_F6)};
    ui::MenuItem Memory31{"Memory31", "Recall Preset 3", ui::Key(ui::VK_F7)};
    ui::MenuItem Memory41{"Memory41", "Recall Preset 4", ui::Key(ui::VK_F8)};
    ui::MenuItem StoreMemory11{"StoreMemory11", "Store Preset 1", ui::Shift(ui::VK_F5)};
    ui::MenuItem StoreMemory2{"StoreMemory2", "Store Preset 2", ui::Shift(ui::VK_F6)};
    ui::MenuItem StoreMemory31{"StoreMemory31", "Store Preset 3", ui::Shift(ui::VK_F7)};
    ui::MenuItem StoreMemory41{"StoreMemory41", "Store Preset 4", ui::Shift(ui::VK_F8)};
    ui::MenuItem PresetRecallAutostart1{"PresetRecallAutostart1", "Autostart Recalled Presets"};
    ui::MenuItem Tools1{"Tools1", "&Tools"};
    ui::MenuItem Compatibilitysettings1{"Compatibilitysettings1", "&Output Settings",
                                        ui::Ctrl('C')};
    ui::MenuItem OnOff1{"OnOff1", "OFF", ui::Key(ui::VK_F9)};
    ui::MenuItem Pause1{"Pause1", "Pause", ui::Key(ui::VK_F10)};
    ui::MenuItem Off1{"Off1", "ON", ui::Key(ui::VK_F11)};
    ui::MenuItem ONOFF2{"ONOFF2", "ON/OFF Toggle", ui::Ctrl(ui::VK_INSERT)};
    ui::MenuItem Help2{"Help2", "&Help"};
    ui::MenuItem Help1{"Help1", "&Help", ui::Key(ui::VK_F1)};
    ui::MenuItem MoreSoftware1{"MoreSoftware1", "&More Audio Software...", ui::Ctrl('M')};
    ui::MenuItem About2{"About2", "&About this program..."};

    // --- Numeric entry (controls/numeric_entry_form.cpp) ---
    float IntlStrToFloat(const std::string& Str) const;
    std::optional<float> TryIntlStrToFloat(const std::string& Str) const;
    std::string Cleanup(const std::string& Input, float Minimum, float Maximum, float decimals,
                        float Standard) const;
    std::string FloatToStr(double value) const;
    // A 32-bit value written back with the fewest digits that read as the same value.
    std::string SingleToStr(float value) const;
    std::optional<float> TryIntlStrToFloatOrInfinity(const std::string& Str) const;

    // --- The one rule for a value, whatever road it comes by
    //     (controls/frequency_controls_form.cpp, engine/playback_form.cpp) ---
    // The highest start or final frequency: the largest whole hertz below half the rate.
    float HighestFrequency() const;
    // A start or final frequency text made playable: from 0.1 Hz to below fs/2, five
    // decimals; an unreadable text is 1000.
    std::string PlayableFrequency(const std::string& text) const;
    // The longest duration at the current rate: 2147483647 samples.
    float LongestDuration() const;
    // The duration field's rule: 0.1 s to the longest, four decimals; unreadable is 1.
    void DurationRule();
    // Every field whose value the sound uses is brought under its rule, without questions,
    // so that what the fields show is what plays.
    void ApplyEntryRules();

    // --- Recomputation and samples (engine/recomputation_form.cpp) ---
    void fConstLeftChange(ui::Object* Sender);
    // One sample of channel 0 (the sine) or 1 (the pulses); inline, as the fill runs it for
    // every frame.
    std::int32_t GenerateSample(int channel) {
        return channel == 0 ? engine::SineSample(Parameters, State, chkConstantLeft.Checked())
                            : engine::PulseSample(Parameters, State);
    }
    void SweepRestart();

    // --- Speaker frequency handlers (controls/frequency_controls_form.cpp) ---
    void FreqSliderLeftChange(ui::Object* Sender);
    void FreqSliderLeftMouseDown(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void FreqSliderLeftMouseUp(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void MinFreqEditExit(ui::Object* Sender);
    void MaxFreqEditExit(ui::Object* Sender);
    void MaxFreqEditKeyPress(ui::Object* Sender, char& Key);
    void txtRoundExit(ui::Object* Sender);
    void fInitLeftExit(ui::Object* Sender);
    void fFinalLeftExit(ui::Object* Sender);
    void fInitLeftPlusMouseDown(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void fInitLeftMinusMouseDown(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void SemiUpLeftClick(ui::Object* Sender);
    void chkConstantLeftClick(ui::Object* Sender);
    void LogarithmicLeftClick(ui::Object* Sender);
    // Runs both end fields' exit rules on the texts they hold, each end judged against the
    // other's text, in the order the slider's range can take them.
    void SliderEndsExit();
    // Brings the slider's upper end below half the sampling rate, so that no slider position
    // gives a frequency the output refuses.
    void SliderEndBelowHalfRate();

    // --- Pulse channel and level handlers (controls/pulse_controls_form.cpp) ---
    void FreqSliderRightChange(ui::Object* Sender);
    void FreqSliderRightMouseDown(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void FreqSliderRightMouseUp(ui::Object* Sender, ui::MouseButton Button, ui::ShiftState Shift);
    void chkFlashLockClick(ui::Object* Sender);
    void trkPhaseChange(ui::Object* Sender);
    void PhaseEditExit(ui::Object* Sender);
    void trkPulseLengthChange(ui::Object* Sender);
    void txtPulseLengthExit(ui::Object* Sender);
    // The pulse length field's hint says when the pulse rate leaves no room for the whole
    // length (every period keeps a sample without a pulse).
    void ShowPulseLengthLimit();
    void AmplitudeLeftChange(ui::Object* Sender);
    void AmplitudeRightChange(ui::Object* Sender);
    void AmplitudeLeftExit(ui::Object* Sender);
    void AmplitudeRightExit(ui::Object* Sender);
    void barAmplitudeLeftChange(ui::Object* Sender);
    void barAmplitudeRightChange(ui::Object* Sender);

    // --- Suppressible notices (controls/notices_form.cpp) ---
    // `helpContext`: the help topic F1 opens in the notice (0: none).
    int ShowNotice(const std::string& text, const std::string& caption, unsigned buttons,
                   const std::string& flagName, int helpContext = 0);

    // --- Playback (engine/playback_form.cpp) ---
    // Every road (ON, the toggle, the hot key, the messages, a recall, Pause) sees the output
    // open from the device's open to its close, as OnStart and OnStop report them: also while
    // the silent buffers after a short signal's end still play.
    bool OutputOpen() const;
    // False when the output did not start (its message has been shown).
    bool startsignal();
    bool AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size);
    void AudioOut1Start(ui::Object* Sender);
    void AudioOut1Stop(ui::Object* Sender);
    void LoopClick(ui::Object* Sender);
    void DurationExit(ui::Object* Sender);
    void WaveDeviceChange(ui::Object* Sender);

    // --- Transport (engine/transport_form.cpp) ---
    void btnONClick(ui::Object* Sender);
    void btnOFFClick(ui::Object* Sender);
    void btnPauseClick(ui::Object* Sender);
    void ONOFF2Click(ui::Object* Sender);
    // The window procedure: other programs' messages, the hot key, the fill acknowledgement.
    // wParam is an unsigned 32-bit value.
    // Returns what it did with the message; a refusal says why in `reason` (when given).
    RemoteOutcome WndProc(std::uint32_t message, std::uint32_t wParam, std::intptr_t lParam,
                          std::string* reason = nullptr);
    void handleMessage(const ui::Message& message) override;
    std::intptr_t answerMessage(const ui::Message& message) override;

    // --- Output settings and devices (audio/output_settings_form.cpp) ---
    void FillDeviceList();
    void Compatibilitysettings1Click(ui::Object* Sender);
    void lblFSClick(ui::Object* Sender);
    std::string SampleRateText() const;

    // --- Memory presets (persistence/memory_presets_form.cpp) ---
    void SeedPresets();
    void MemStore(int button);
    void MemRecall(int button);
    void openRename(int slot);
    // Ends the rename of `slot`: with the typed name, or (accept false) with the name it had.
    void closeRename(int slot, bool accept = true);
    ui::Button& presetButton(int slot);  // Memory1..Memory4
    ui::Edit& presetEdit(int slot);      // Mem1Edit..Mem4Edit

    // --- Settings store (persistence/settings_store_form.cpp) ---
    void RestoreSettings();
    // Says once what the load could not use (SettingsNotRead and the store's own notice).
    void TellSettingsNotRead();
    // The stored values that could not be used at start-up, by name.
    std::vector<std::string> SettingsNotRead;
    bool SaveSettings();
    // The close's steps for a session that ends without anybody to ask (a signal, a display
    // that went away): hot key released, output stopped, settings saved. False when the save
    // failed. (shell/startup.cpp)
    bool EndSession();
    void rESETTOdEFAULT1Click(ui::Object* Sender);

    // --- Start-up, close, help (shell/) ---
    void FormCreate(ui::Object* Sender);
    void FormActivate(ui::Object* Sender);
    void FormClose(ui::Object* Sender, ui::CloseAction& Action);
    void FormResize(ui::Object* Sender);
    void Exit1Click(ui::Object* Sender);
    void FrequencyDisplay1Click(ui::Object* Sender);
    void Help1Click(ui::Object* Sender);
    void About2Click(ui::Object* Sender);
    void MoreSoftware1Click(ui::Object* Sender);
    void WindowsVolumeControl1Click(ui::Object* Sender);
    std::string HelpFilePath;

    ui::Application& Application;
    Platform& platform;

private:
    void restoreEachValue(persistence::RegKey key);
    // Writes the settings; the failure's message, empty when they were saved.
    std::string storeSettings();
    void stopOutputAtOnce();
    void wireFrequencyControls();
    void wirePulseControls();
    void wirePlayback();
    void wireTransport();
    void wirePresets();
    void wireShell();
    void buildMenus();
    void togglePause();
    void registerHotKey();  // id 1, Ctrl+Insert, for this window
    void setRunControlsEnabled(bool enabled);
    void frequencyExit(ui::Edit& field);
    void fineStep(std::optional<float> to);
    // The controls that only constant mode shows, and those that only sweep mode shows.
    std::array<ui::Control*, 4> constantModeControls();
    std::array<ui::Control*, 6> sweepModeControls();
    std::string sliderEndText(int position) const;
    void levelExit(ui::Edit& field, ui::TrackBar& bar);
    float otherEnd(const ui::Edit& field, int sliderEnd) const;

    std::unique_ptr<audio::TAudioOut> audioOut_;
    std::string renamedFrom_;  // the name of the preset being renamed, for Escape
};

}  // namespace vpg
