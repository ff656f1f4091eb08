// Start-up and shut-down: the splash, the order in which the windows are created (each loads
// part of the state), the main window's set-up and activation, and its close.
#include "shell/startup.h"

#include "audio/output_settings.h"
#include "controls/numeric_entry.h"
#include "shell/frequency_display.h"
#include "shell/generator_form.h"
#include "shell/help_about.h"
#include "shell/help_topics.h"
#include "shell/layouts.h"

namespace vpg {

TfrmStartSplash::TfrmStartSplash(const ui::Application& app) : ui::Form("frmStartSplash") {
    add(imgSplash);
    LayOut(*this, app);
    imgSplash.OnClick = [this](ui::Object* s) { imgSplashClick(s); };
}

Platform Program::withDialogs(const Platform& platform, ui::IDialogs& dialogs) {
    Platform own{platform.loop,         dialogs,        platform.waveOut, platform.waveMemory,
                 platform.registry,     platform.shell, platform.hotKey,  platform.decimalSeparator,
                 platform.programFolder};
    own.defaultDeviceName = platform.defaultDeviceName;
    own.volumeControlCaption = platform.volumeControlCaption;
    own.volumeControlPrograms = platform.volumeControlPrograms;
    own.volumeControlMissing = platform.volumeControlMissing;
    return own;
}

Program::Program(Platform& platform, ISplashTiming& timing)
    : dialogs_(platform.dialogs), platform_(withDialogs(platform, dialogs_)), timing_(timing) {
    Application.helpViewer = [this](const std::string& file, int context) {
        platform_.shell.ShowHelp(file, context);
    };
}

Program::~Program() {
    // The main window's controls are read by the other windows' handlers: it goes last.
    destroy(splash);
    destroy(frmFrequencyDisplay);
    destroy(frmSettings);
    destroy(frmAbout);
    destroy(frmGenerator);
}

void Program::fade(int from, int step) {
    for (int i = 1; i <= 15; ++i) {
        timing_.SetOpacity(*splash, from + step * i);
        timing_.Sleep(20);
        timing_.ProcessMessages();
    }
}

void Program::Startup() {
    Application.setTitle(kProductName);
    splash = std::make_unique<TfrmStartSplash>(Application);
    created(*splash);
    splash->Show();
    fade(0, 16);
    timing_.Repaint(*splash);
    splash->Tag = 0;  // a click during the fade-in does not count
    int pass = 0;
    do {
        ++pass;
        timing_.Sleep(50);
        timing_.ProcessMessages();
    } while (splash->Tag != 1 && pass < 8);

    frmGenerator = std::make_unique<TfrmGenerator>(Application, platform_);
    Application.MainForm = frmGenerator.get();
    created(*frmGenerator);
    frmGenerator->Create();
    frmAbout = std::make_unique<TfrmAbout>(*frmGenerator);
    frmGenerator->frmAbout = frmAbout.get();
    created(*frmAbout);
    frmAbout->Create();
    frmSettings = std::make_unique<TfrmSettings>(*frmGenerator);
    frmGenerator->frmSettings = frmSettings.get();
    created(*frmSettings);
    frmSettings->Create();
    frmFrequencyDisplay = std::make_unique<TfrmFrequencyDisplay>(*frmGenerator);
    frmGenerator->frmFrequencyDisplay = frmFrequencyDisplay.get();
    created(*frmFrequencyDisplay);
    frmFrequencyDisplay->Create();

    fade(256, -16);
    splash->Hide();
    destroy(splash);
}

void Program::ShowMainWindow() {
    frmGenerator->Show();
    frmGenerator->Activate();
    startedUp_ = true;
}

RemoteOutcome Program::DeliverRemoteMessage(std::uint32_t message, std::uint32_t wParam,
                                            std::intptr_t lParam, std::string* reason) {
    if (!startedUp_ || !frmGenerator || dialogs_.open() > 0 || Application.Terminated)
        return RemoteOutcome::Busy;
    return frmGenerator->WndProc(message, wParam, lParam, reason);
}

void Program::TellRemoteControlOff(const std::string& reason) {
    platform_.dialogs.ShowMessage("Other programs cannot control this generator (vpg-send): " +
                                  reason);
}

bool Program::EndSession() {
    if (!startedUp_ || !frmGenerator || Application.Terminated) return true;
    const bool saved = frmGenerator->EndSession();
    Application.Terminated = true;
    return saved;
}

// --- The main window's own set-up, activation and close ---

void TfrmGenerator::wireShell() {
    OnCreate = [this](ui::Object* s) { FormCreate(s); };
    OnActivate = [this](ui::Object* s) { FormActivate(s); };
    OnClose = [this](ui::Object* s, ui::CloseAction& a) { FormClose(s, a); };
    rESETTOdEFAULT1.OnClick = [this](ui::Object* s) { rESETTOdEFAULT1Click(s); };
    Exit1.OnClick = [this](ui::Object* s) { Exit1Click(s); };
    FrequencyDisplay1.OnClick = [this](ui::Object* s) { FrequencyDisplay1Click(s); };
    WindowsVolumeControl1.OnClick = [this](ui::Object* s) { WindowsVolumeControl1Click(s); };
    Compatibilitysettings1.OnClick = [this](ui::Object* s) { Compatibilitysettings1Click(s); };
    lblFS.OnClick = [this](ui::Object* s) { lblFSClick(s); };
    Help1.OnClick = [this](ui::Object* s) { Help1Click(s); };
    MoreSoftware1.OnClick = [this](ui::Object* s) { MoreSoftware1Click(s); };
    About2.OnClick = [this](ui::Object* s) { About2Click(s); };
}

void TfrmGenerator::FormCreate(ui::Object*) {
    const auto mouse =
        [this](void (TfrmGenerator::*handler)(ui::Object*, ui::MouseButton, ui::ShiftState)) {
            return [this, handler](ui::Object* s, ui::MouseButton b, ui::ShiftState k) {
                (this->*handler)(s, b, k);
            };
        };
    FreqSliderLeft.OnMouseDown = mouse(&TfrmGenerator::FreqSliderLeftMouseDown);
    FreqSliderLeft.OnMouseUp = mouse(&TfrmGenerator::FreqSliderLeftMouseUp);
    FreqSliderRight.OnMouseDown = mouse(&TfrmGenerator::FreqSliderRightMouseDown);
    FreqSliderRight.OnMouseUp = mouse(&TfrmGenerator::FreqSliderRightMouseUp);

    // The window's size is fixed to its content: its height exactly, its width from below.
    const int contentHeight = Application.Scale(lblFS.Top + 2 * lblFS.Height);
    const int contentWidth = Application.Scale(static_cast<int>(
        controls::RoundHalfEven(lblBottomRight.Left + 1.2 * lblBottomRight.Width)));
    setFrame(Application.FrameOf(*this));
    Constraints.MinHeight = Constraints.MaxHeight = contentHeight + Frame.vertical;
    Constraints.MinWidth = contentWidth + Frame.horizontal;
    setClientSize(contentWidth, contentHeight);

    registerHotKey();
    LED.Top = btnON.Top - 3;
    LED.Height = btnON.Height + 6;
    HelpFilePath = platform.programFolder + kHelpFileName;
    Application.HelpFile = HelpFilePath;
    FillDeviceList();
    Application.BringToFront();
    if (ShowNotice("Welcome to Vimbrel Pulse Generator! Would you like to see the introduction "
                   "to this program?",
                   "Welcome", ui::mbYes | ui::mbNo, "Welcome") == ui::mrYes)
        Application.HelpContext(shell::kHelpIntroduction);
}

void TfrmGenerator::registerHotKey() {
    platform.hotKey.RegisterHotKey(this, 1, ui::ShiftState{false, true, false}, ui::VK_INSERT);
}

void TfrmGenerator::FormActivate(ui::Object*) {
    lblFS.setCaption(SampleRateText());
    setCaption(std::string(kProductName) + " " + kVersion);
}

void TfrmGenerator::FormResize(ui::Object*) {}

void TfrmGenerator::Exit1Click(ui::Object*) {
    if (OutputOpen()) AudioOut1->StopAtOnce();
    Close();
}

bool TfrmGenerator::EndSession() {
    // The close's steps, without a question nobody is there to answer.
    platform.hotKey.UnregisterHotKey(this, 1);
    AudioOut1->StopAtOnce();
    return storeSettings().empty();
}

void TfrmGenerator::FormClose(ui::Object*, ui::CloseAction& Action) {
    platform.hotKey.UnregisterHotKey(this, 1);
    AudioOut1->StopAtOnce();
    if (!SaveSettings() &&
        platform.dialogs.MessageDlg(
            "The settings could not be saved. Close the program without saving them?",
            ui::MsgDlgType::Confirmation, ui::mbYes | ui::mbNo) != ui::mrYes) {
        Action = ui::CloseAction::None;
        // The window stays open, and with it the system-wide ON/OFF toggle.
        registerHotKey();
        return;
    }
    Action = ui::CloseAction::Free;
    Application.Terminated = true;
}

}  // namespace vpg
