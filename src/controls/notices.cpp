#include "controls/notices.h"

namespace controls {

int ShowNotice(ui::IDialogs& dialogs, persistence::IRegistry& registry,
               const std::string& programKey, const std::string& text, const std::string& caption,
               unsigned buttons, const std::string& flagName, std::function<void()> help) {
    int result = ui::mrNone;
    persistence::RegKey key = registry.OpenKey(programKey);
    if (!key || !registry.QueryValue(key, flagName)) {
        ui::NoticeDialogRequest request;
        request.text = text;
        request.caption = caption;
        request.type = ui::MsgDlgType::Warning;
        request.buttons = buttons;
        request.defaultResult = (buttons & ui::mbOK) ? ui::mrOk : ui::mrYes;
        request.cancelResult = (buttons & ui::mbCancel) ? ui::mrCancel
                               : (buttons & ui::mbNo)   ? ui::mrNo
                                                        : ui::mrOk;
        request.checkBoxCaption = kDontShowAgain;
        request.help = std::move(help);
        bool ticked = false;
        result = dialogs.ShowNoticeDialog(request, ticked);
        if (ticked) {
            // On a first run the key does not exist yet: create it rather than lose the choice.
            if (!key) key = registry.CreateKey(programKey);
            if (!key || !registry.SetValue(key, flagName, persistence::RegistryValue::Integer(1)))
                dialogs.ShowMessage(
                    "Your choice not to show this message again could not be saved; it will "
                    "be shown again next time.");
        }
    }
    if (key) registry.CloseKey(key);
    return result;
}

}  // namespace controls
