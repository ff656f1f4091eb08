// The main window: its controls, its menus, and the wiring of every handler.
#include "shell/generator_form.h"
#include "shell/help_topics.h"

#include "shell/layouts.h"

namespace vpg {

std::string ProgramKey() {
    return std::string("\\Software\\") + kMakerName + "\\" + kProductName;
}

TfrmGenerator::TfrmGenerator(ui::Application& application, Platform& platform_)
    : ui::Form("frmGenerator", kProductName), Application(application), platform(platform_) {
    HelpContext = shell::kHelpMainWindow;
    HelpApplication = &Application;
    audioOut_ = std::make_unique<audio::TAudioOut>(
        audio::AudioPlatform{platform.waveOut, platform.waveMemory, platform.loop}, this);
    AudioOut1 = audioOut_.get();

    // As the window reads, top to bottom, left to right; a later control lies over an earlier.
    for (ui::Control* c : std::initializer_list<ui::Control*>{&lblSpeakerFrequency,
                                                              &FreqSliderLeft,
                                                              &MinFreqEdit,
                                                              &lblRound,
                                                              &txtRound,
                                                              &lblRoundHertz,
                                                              &MaxFreqEdit,
                                                              &grpFrequency,
                                                              &lblFreqFromLeft,
                                                              &fInitLeft,
                                                              &lblFromFreqLeft,
                                                              &fInitLeftMinus,
                                                              &fInitLeftPlus,
                                                              &SemiDownLeft,
                                                              &SemiUpLeft,
                                                              &lblFreqToLeft,
                                                              &fFinalLeft,
                                                              &lblHzToLeft,
                                                              &LogarithmicLeft,
                                                              &BidirectionalLeft,
                                                              &chkConstantLeft,
                                                              &chkSweepLeft,
                                                              &grpAmplitudeLeft,
                                                              &barAmplitudeLeft,
                                                              &lblAmplitudeLeftChannel,
                                                              &AmplitudeLeft,
                                                              &lblAmplitudeLeftUnit,
                                                              &grpPulseSettings,
                                                              &grpDelta,
                                                              &FreqSliderRight,
                                                              &lblDeltaMinus,
                                                              &lblDeltaZero,
                                                              &lblDeltaPlus,
                                                              &lblFdelta,
                                                              &lblFdeltaHz,
                                                              &chkFlashLock,
                                                              &grpPhase,
                                                              &trkPhase,
                                                              &PhaseEdit,
                                                              &lblPhaseUnit,
                                                              &grpPulseLength,
                                                              &trkPulseLength,
                                                              &txtPulseLength,
                                                              &lblPulseLengthUnit,
                                                              &grpAmplitudeRight,
                                                              &barAmplitudeRight,
                                                              &lblAmplitudeRightChannel,
                                                              &AmplitudeRight,
                                                              &lblAmplitudeRightUnit,
                                                              &grpOutputDevice,
                                                              &WaveDevice,
                                                              &grpMemory,
                                                              &Memory1,
                                                              &Mem1Edit,
                                                              &Memory2,
                                                              &Mem2Edit,
                                                              &Memory3,
                                                              &Mem3Edit,
                                                              &Memory4,
                                                              &Mem4Edit,
                                                              &LED,
                                                              &btnON,
                                                              &btnPause,
                                                              &btnOFF,
                                                              &lblDuration,
                                                              &Duration,
                                                              &lblDurationUnit,
                                                              &Loop,
                                                              &lblFS,
                                                              &lblBottomRight})
        add(*c);

    buildMenus();
    WindowsVolumeControl1.Caption = platform.volumeControlCaption;
    LayOut(*this, Application);
    wireFrequencyControls();
    wirePulseControls();
    wirePlayback();
    wireTransport();
    wirePresets();
    wireShell();
}

TfrmGenerator::~TfrmGenerator() {
    platform.loop.forget(this);
}

void TfrmGenerator::buildMenus() {
    File1.HelpContext = shell::kHelpFileMenu;
    File1.add(rESETTOdEFAULT1).addSeparator().add(Exit1);
    View1.add(FrequencyDisplay1).addSeparator().add(WindowsVolumeControl1);
    Presets1.add(Memory11).add(Memory21).add(Memory31).add(Memory41);
    Presets1.add(StoreMemory11).add(StoreMemory2).add(StoreMemory31).add(StoreMemory41);
    Presets1.add(PresetRecallAutostart1);
    Presets1.setVisible(false);  // never shown; its shortcuts work while it is enabled
    Tools1.add(Compatibilitysettings1).addSeparator();
    Tools1.add(OnOff1).add(Pause1).add(Off1).addSeparator().add(ONOFF2);
    Help2.add(Help1).addSeparator().add(MoreSoftware1).addSeparator().add(About2);
    MoreSoftware1.Hint = kHomepage;
    for (ui::MenuItem* m : {&File1, &View1, &Presets1, &Tools1, &Help2}) Menu.add(*m);
}

}  // namespace vpg
