// Help topics, the About box, and the two commands that hand work to other programs.
#include "shell/help_about.h"

#include "shell/generator_form.h"
#include "shell/help_topics.h"
#include "shell/layouts.h"

namespace vpg {

TfrmAbout::TfrmAbout(TfrmGenerator& generator)
    : ui::Form("frmAbout", "About"), frmGenerator(generator) {
    HelpContext = shell::kHelpAbout;
    HelpApplication = &generator.Application;
    Label1.setCaption(kHomepage);
    OKButton.setDefault(true);
    OKButton.setCancel(true);  // Escape closes the box too
    for (ui::Control* c : std::initializer_list<ui::Control*>{&ProgramIcon, &Version, &Label1,
                                                              &Homepage, &OKButton, &AboutHelp})
        add(*c);
    LayOut(*this, generator.Application);
    OnShow = [this](ui::Object* s) { FormShow(s); };
    OnActivate = [this](ui::Object* s) { FormActivate(s); };
    OnClose = [this](ui::Object* s, ui::CloseAction& a) { FormClose(s, a); };
    OKButton.OnClick = [this](ui::Object* s) { OKButtonClick(s); };
    AboutHelp.OnClick = [this](ui::Object* s) { AboutHelpClick(s); };
    ProgramIcon.OnClick = Homepage.OnClick =
        Label1.OnClick = [this](ui::Object* s) { HomepageClick(s); };
}

void TfrmAbout::FormShow(ui::Object*) {
    Version.setCaption(std::string("Version ") + kVersion);
}

void TfrmAbout::FormActivate(ui::Object*) {
    Homepage.setCaption(kHomepage);
    // While the box is open it is the only usable window.
    frmGenerator.setEnabled(false);
}

void TfrmAbout::FormClose(ui::Object*, ui::CloseAction& Action) {
    Action = ui::CloseAction::Hide;
    frmGenerator.setEnabled(true);
}

void TfrmAbout::OKButtonClick(ui::Object*) {
    Close();
}

void TfrmAbout::HomepageClick(ui::Object*) {
    frmGenerator.platform.shell.ShellExecute(this, "open", Homepage.Caption(),
                                             shell::ShowMode::Show);
}

void TfrmAbout::AboutHelpClick(ui::Object*) {
    frmGenerator.Application.HelpContext(shell::kHelpAbout);
}

void TfrmGenerator::Help1Click(ui::Object*) {
    Application.HelpContext(shell::kHelpMainWindow);
}

void TfrmGenerator::About2Click(ui::Object*) {
    if (frmAbout) frmAbout->Show();
}

void TfrmGenerator::MoreSoftware1Click(ui::Object*) {
    platform.shell.ShellExecute(this, "open", MoreSoftware1.Hint, shell::ShowMode::Show);
}

void TfrmGenerator::WindowsVolumeControl1Click(ui::Object*) {
    // The volume control is the system's, not this window's: no owner, no working folder.
    for (const std::string& program : platform.volumeControlPrograms)
        if (platform.shell.ShellExecute(nullptr, "open", program, shell::ShowMode::ShowNormal))
            return;
    platform.dialogs.ShowMessage(platform.volumeControlMissing);
}

}  // namespace vpg
