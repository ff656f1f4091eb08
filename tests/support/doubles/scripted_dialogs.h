#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace doubles {

// Message boxes that record every call and answer as the test scripts them. Unscripted:
// a plain message is acknowledged, a question is answered No, a notice is closed with its
// default button and the box left unticked.
class ScriptedDialogs final : public ui::IDialogs {
public:
    enum class Kind { Message, Question, Notice };
    struct Call {
        Kind kind;
        std::string text;
        std::string caption;
        unsigned buttons = 0;
        int result = 0;
        bool ticked = false;
        ui::NoticeDialogRequest notice;
    };

    void ShowMessage(const std::string& text) override;
    int MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) override;
    int ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) override;

    void answerQuestion(int result) { questions_.push_back(result); }
    void answerNotice(int result, bool tick) { notices_.push_back({result, tick}); }

    // Runs while a dialog is open: the platform keeps dispatching messages then.
    std::function<void()> whileOpen;

    std::vector<Call> calls;
    std::vector<std::string> messages() const;

private:
    struct NoticeAnswer {
        int result;
        bool tick;
    };
    std::deque<int> questions_;
    std::deque<NoticeAnswer> notices_;
};

}  // namespace doubles
