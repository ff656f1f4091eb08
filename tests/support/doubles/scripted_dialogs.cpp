#include "support/doubles/scripted_dialogs.h"

namespace doubles {

void ScriptedDialogs::ShowMessage(const std::string& text) {
    calls.push_back({Kind::Message, text, {}, ui::mbOK, ui::mrOk, false, {}});
    if (whileOpen) whileOpen();
}

int ScriptedDialogs::MessageDlg(const std::string& text, ui::MsgDlgType, unsigned buttons) {
    int result = ui::mrNo;
    if (!questions_.empty()) {
        result = questions_.front();
        questions_.pop_front();
    }
    calls.push_back({Kind::Question, text, {}, buttons, result, false, {}});
    if (whileOpen) whileOpen();
    return result;
}

int ScriptedDialogs::ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) {
    NoticeAnswer answer{request.defaultResult, false};
    if (!notices_.empty()) {
        answer = notices_.front();
        notices_.pop_front();
    }
    checked = answer.tick;
    calls.push_back({Kind::Notice, request.text, request.caption, request.buttons, answer.result,
                     answer.tick, request});
    if (whileOpen) whileOpen();
    return answer.result;
}

std::vector<std::string> ScriptedDialogs::messages() const {
    std::vector<std::string> out;
    for (const Call& c : calls) out.push_back(c.text);
    return out;
}

}  // namespace doubles
