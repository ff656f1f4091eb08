// The output settings window and the main window's device list.
#include "audio/output_settings.h"

#include <string>
#include <vector>

#include "controls/numeric_entry.h"
#include "persistence/settings_store.h"
#include "shell/generator_form.h"
#include "shell/help_topics.h"
#include "shell/layouts.h"

namespace vpg {

namespace {
constexpr int kFsCreated = 1, kBuffersCreated = 2, kBufferSizeCreated = 2;

// A stored position outside its list, or of another kind, leaves the list at its creation
// position; the value's name goes into `notRead` so that the user hears of it.
void selectStored(ui::ComboBox& list, persistence::IRegistry& registry, persistence::RegKey key,
                  const char* name, int fallback, std::vector<std::string>& notRead) {
    int index = fallback;
    try {
        index = persistence::ReadInteger(registry, key, name);
    } catch (const persistence::ESettingsReadError&) {
        if (registry.QueryValue(key, name)) notRead.push_back(name);
        index = fallback;
    }
    if (index < 0 || index >= static_cast<int>(list.Items().size())) {
        notRead.push_back(name);
        index = fallback;
    }
    list.setItemIndex(index);
}

int toInt(const std::string& text, int fallback) {
    return controls::ReadWholeNumber(text).value_or(fallback);
}
}  // namespace

TfrmSettings::TfrmSettings(TfrmGenerator& generator)
    : ui::Form("frmSettings", "Output Settings"), frmGenerator(generator) {
    HelpContext = shell::kHelpOutputSettings;
    HelpApplication = &generator.Application;
    LayOut(*this, generator.Application);
    for (ui::Control* c :
         std::initializer_list<ui::Control*>{&lblFsList, &FsList, &lblBufferSize, &BufferSize,
                                             &lblBuffers, &Buffers, &HelpButton, &Button1})
        add(*c);
    OnCreate = [this](ui::Object* s) { FormCreate(s); };
    OnClose = [this](ui::Object* s, ui::CloseAction& a) { FormClose(s, a); };
    FsList.OnChange = [this](ui::Object* s) { FsListChange(s); };
    BufferSize.OnChange = [this](ui::Object* s) { BufferSizeChange(s); };
    Buffers.OnChange = [this](ui::Object* s) { BuffersChange(s); };
    HelpButton.OnClick = [this](ui::Object* s) { HelpButtonClick(s); };
    Button1.OnClick = [this](ui::Object* s) { Button1Click(s); };
    // Enter and Escape close the window, as its Close button does.
    Button1.setDefault(true);
    Button1.setCancel(true);
}

void TfrmSettings::FormCreate(ui::Object*) {
    FsList.setItemIndex(kFsCreated);
    Buffers.setItemIndex(kBuffersCreated);
    BufferSize.setItemIndex(kBufferSizeCreated);
    persistence::IRegistry& registry = frmGenerator.platform.registry;
    if (const persistence::RegKey key = registry.OpenKey(ProgramKey())) {
        if (registry.QueryValue(key, "Fs")) {
            std::vector<std::string>& notRead = frmGenerator.SettingsNotRead;
            selectStored(FsList, registry, key, "Fs", kFsCreated, notRead);
            selectStored(Buffers, registry, key, "Buffers", kBuffersCreated, notRead);
            selectStored(BufferSize, registry, key, "BufferSize", kBufferSizeCreated, notRead);
        }
        registry.CloseKey(key);
    }
    frmGenerator.Parameters.SampleRate = toInt(FsList.Text(), 11025);
    frmGenerator.fConstLeftChange(this);
}

void TfrmSettings::FsListChange(ui::Object* Sender) {
    frmGenerator.btnOFFClick(Sender);
    const int fs = toInt(FsList.Text(), 11025);
    frmGenerator.Parameters.SampleRate = fs;
    frmGenerator.SliderEndBelowHalfRate();
    // The highest frequency at the new rate: strictly below its half (3999 Hz at 8000 Hz).
    const float limit = frmGenerator.HighestFrequency();
    // Each field is brought under the new limit on its own; one that cannot be read is left
    // for its exit rule.
    for (ui::Edit* field : {&frmGenerator.fInitLeft, &frmGenerator.fFinalLeft}) {
        const auto v = frmGenerator.TryIntlStrToFloat(field->Text());
        if (v && !(*v <= limit)) field->setText(frmGenerator.FloatToStr(limit));
    }
}

void TfrmSettings::BufferSizeChange(ui::Object* Sender) {
    frmGenerator.btnOFFClick(Sender);
}

void TfrmSettings::BuffersChange(ui::Object* Sender) {
    frmGenerator.btnOFFClick(Sender);
}

void TfrmSettings::HelpButtonClick(ui::Object*) {
    frmGenerator.Application.HelpContext(shell::kHelpOutputSettings);
}

void TfrmSettings::Button1Click(ui::Object*) {
    Close();
}

void TfrmSettings::FormClose(ui::Object*, ui::CloseAction& Action) {
    persistence::IRegistry& registry = frmGenerator.platform.registry;
    const persistence::RegKey key = registry.CreateKey(ProgramKey());
    try {
        persistence::WriteInteger(registry, key, "Fs", FsList.ItemIndex());
        persistence::WriteInteger(registry, key, "Buffers", Buffers.ItemIndex());
        persistence::WriteInteger(registry, key, "BufferSize", BufferSize.ItemIndex());
    } catch (const persistence::ESettingsWriteError& e) {
        if (key) registry.CloseKey(key);
        frmGenerator.platform.dialogs.ShowMessage(e.what());
        Action = ui::CloseAction::None;
        return;
    }
    registry.CloseKey(key);
    frmGenerator.setEnabled(true);
    frmGenerator.fConstLeftChange(this);
}

int TfrmSettings::SelectedBufferCount() const {
    return toInt(Buffers.Text(), 4);
}

int TfrmSettings::SelectedBufferSize() const {
    return toInt(BufferSize.Text(), 16384);
}

// --- The main window's side: the device list, the window's commands ---

void TfrmGenerator::FillDeviceList() {
    std::vector<std::string> items{platform.defaultDeviceName};
    const std::uint32_t count = platform.waveOut.GetNumDevs();
    for (std::uint32_t id = 0; id < count; ++id) {
        // A failing query still gives whatever name the structure holds, as the platform does.
        audio::WAVEOUTCAPS caps;
        platform.waveOut.GetDevCaps(id, &caps);
        caps.szPname[sizeof caps.szPname - 1] = 0;
        items.emplace_back(caps.szPname);
    }
    WaveDevice.setItems(std::move(items));
    WaveDevice.setItemIndex(0);
    AudioOut1->setWaveDevice(static_cast<std::uint32_t>(WaveDevice.ItemIndex() - 1));
    if (count == 0) {
        platform.dialogs.ShowMessage("No Soundcard driver found. No sound output possible.");
        btnON.setEnabled(false);
    }
}

void TfrmGenerator::Compatibilitysettings1Click(ui::Object*) {
    AudioOut1->StopAtOnce();
    if (frmSettings) frmSettings->Show();
}

void TfrmGenerator::lblFSClick(ui::Object* Sender) {
    Compatibilitysettings1Click(Sender);
}

std::string TfrmGenerator::SampleRateText() const {
    return "fs=" + FloatToStr(Parameters.SampleRate / 1000.0) + "kHz";
}

}  // namespace vpg
