#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ui/application.h"
#include "ui/dialogs.h"

namespace qtui {

// One line that names a dialog as it opens: its caption and its text, with line breaks and
// other control characters written as escapes (\r, \n, \xNN) so that one dialog is one line.
std::string DialogTraceLine(const std::string& caption, const std::string& text);

// The diagnostic VPG_TRACE_DIALOGS=1: each dialog's trace line on standard error as it opens,
// for scripts (the end-to-end tests) and for a user's bug report. Nothing otherwise.
std::function<void(const std::string&)> TraceFromEnvironment();

// Message boxes with Qt: modal, over the active window; Qt's event loop keeps dispatching
// (sound notifications included) while one is open.
class QtDialogs final : public ui::IDialogs {
public:
    QtDialogs() : trace(TraceFromEnvironment()) {}
    explicit QtDialogs(const ui::Application& app) : trace(TraceFromEnvironment()), app_(&app) {}

    // Receives each dialog's trace line as it opens (empty: no trace).
    std::function<void(const std::string&)> trace;

    // The program whose title the boxes carry and whose resolution they are scaled to; the
    // program is made after its platform, so it is named here once it exists.
    void setApplication(const ui::Application& app) { app_ = &app; }

    void ShowMessage(const std::string& text) override;
    int MessageDlg(const std::string& text, ui::MsgDlgType type, unsigned buttons) override;
    int ShowNoticeDialog(const ui::NoticeDialogRequest& request, bool& checked) override;

private:
    const ui::Application& app() const;
    void traced(const QString& caption, const std::string& text) const;

    const ui::Application* app_ = nullptr;
};

}  // namespace qtui
