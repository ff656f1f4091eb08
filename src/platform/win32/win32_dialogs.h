#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <string>

#include "ui/dialogs.h"

namespace win32 {

// Message boxes on Windows, modal to the window the person is in. The notice is a dialog of
// our own (an in-memory template whose controls are placed in pixels): the warning icon, the
// text, the request's buttons with its default and Escape buttons, 200 design pixels high, the
// check box at its fixed rectangle; the close box gives Cancel.
class Win32Dialogs final : public ui::IDialogs {
public:
    // `title` gives the application's title, the caption of the plain message box; `ppi` the
    // screen's resolution that design pixels are scaled to.
    Win32Dialogs(std::function<std::string()> title, std::function<int()> ppi)
        : title_(std::move(title)), ppi_(std::move(ppi)) {}

    void ShowMessage(const std::string& text) override;
    int MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) override;
    int ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) override;

    // The check box's control id in the notice dialog.
    static constexpr int kCheckBoxId = 100;
    // Called with the notice dialog's window once it is laid out (tests drive it from here).
    std::function<void(HWND)> noticeShown;

private:
    std::function<std::string()> title_;
    std::function<int()> ppi_;
};

}  // namespace win32
