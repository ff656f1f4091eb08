#pragma once

#include <functional>
#include <string>

namespace ui {

// Standard dialog results.
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Sets of standard buttons.
enum MsgDlgButtons : unsigned {
    mbOK = 1u << 0,
    mbCancel = 1u << 1,
    mbYes = 1u << 2,
    mbNo = 1u << 3
};

enum class MsgDlgType { Warning, Error, Information, Confirmation };

// A modal message dialog that carries an extra check box (the suppressible notice).
struct NoticeDialogRequest {
    std::string text;
    std::string caption;
    MsgDlgType type = MsgDlgType::Warning;
    unsigned buttons = mbOK;
    int defaultResult = mrOk;  // the button Enter presses
    int cancelResult = mrOk;   // the button Escape presses
    int height = 200;
    std::string checkBoxCaption;
    int checkLeft = 10, checkTop = 110, checkWidth = 300, checkHeight = 30;
    // What F1 in the dialog opens (the notice's help page); empty: nothing.
    std::function<void()> help;
};

// Message boxes, modal. While one is open the platform keeps dispatching messages.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A plain message box with an OK button under the application's title.
    virtual void ShowMessage(const std::string& text) = 0;
    // A question with the given buttons; returns the button pressed.
    virtual int MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons) = 0;
    // The notice dialog; `checked` receives the state of the check box when it closed.
    virtual int ShowNoticeDialog(const NoticeDialogRequest& request, bool& checked) = 0;
};

// Passes every box on to another IDialogs and counts those open, so that the program knows
// when it runs inside one (what arrives then is not acted on).
class CountedDialogs final : public IDialogs {
public:
    explicit CountedDialogs(IDialogs& inner) : inner_(inner) {}
    void ShowMessage(const std::string& text) override {
        const Open open(open_);
        inner_.ShowMessage(text);
    }
    int MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons) override {
        const Open open(open_);
        return inner_.MessageDlg(text, type, buttons);
    }
    int ShowNoticeDialog(const NoticeDialogRequest& request, bool& checked) override {
        const Open open(open_);
        return inner_.ShowNoticeDialog(request, checked);
    }
    int open() const { return open_; }

private:
    struct Open {
        explicit Open(int& n) : n_(n) { ++n_; }
        ~Open() { --n_; }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;
        int& n_;
    };
    IDialogs& inner_;
    int open_ = 0;
};

}  // namespace ui
