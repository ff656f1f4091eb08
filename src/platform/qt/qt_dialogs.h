#pragma once

#include "ui/application.h"
#include "ui/dialogs.h"

namespace qtui {

// Message boxes with Qt: modal, over the active window; Qt's event loop keeps dispatching
// (sound notifications included) while one is open.
class QtDialogs final : public ui::IDialogs {
public:
    QtDialogs() = default;
    explicit QtDialogs(const ui::Application& app) : app_(&app) {}
    // The program whose title the boxes carry and whose resolution they are scaled to; the
    // program is made after its platform, so it is named here once it exists.
    void setApplication(const ui::Application& app) { app_ = &app; }

    void ShowMessage(const std::string& text) override;
    int MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) override;
    int ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) override;

private:
    const ui::Application& app() const;

    const ui::Application* app_ = nullptr;
};

}  // namespace qtui
