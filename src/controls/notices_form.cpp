// The main window's notices: its dialogs, its settings key and its help.
#include "controls/notices.h"
#include "shell/generator_form.h"

namespace vpg {

int TfrmGenerator::ShowNotice(const std::string& text, const std::string& caption, unsigned buttons,
                              const std::string& flagName, int helpContext) {
    std::function<void()> help;
    if (helpContext != 0) help = [this, helpContext] { Application.HelpContext(helpContext); };
    return controls::ShowNotice(platform.dialogs, platform.registry, ProgramKey(), text, caption,
                                buttons, flagName, std::move(help));
}

}  // namespace vpg
