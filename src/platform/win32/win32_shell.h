#pragma once

#include "platform/win32/windows_api.h"

#include <functional>
#include <string>

#include "shell/shell_services.h"

namespace win32 {

// Other programs through the shell: ShellExecuteExW for addresses and programs, the compiled
// HTML help viewer (HtmlHelpW from hhctrl.ocx, loaded when first needed, so the program links
// without its import library) for the help file. ShellExecute tells whether the system
// started what it was asked to; a missing help viewer or file shows whatever the system shows.
class Win32Shell final : public shell::IShell {
public:
    // `windowOf` gives a form's window (null for none); `helpOwner` the window help belongs to.
    Win32Shell(std::function<HWND(const ui::Form*)> windowOf, std::function<HWND()> helpOwner)
        : windowOf_(std::move(windowOf)), helpOwner_(std::move(helpOwner)) {}
    Win32Shell(const Win32Shell&) = delete;
    Win32Shell& operator=(const Win32Shell&) = delete;
    ~Win32Shell() override;

    bool ShellExecute(const ui::Form* owner, const std::string& verb, const std::string& file,
                      shell::ShowMode show) override;
    void ShowHelp(const std::string& helpFile, int context) override;

    static int ShowCommand(shell::ShowMode show);
    static constexpr UINT kHelpContext = 0x000F;  // HH_HELP_CONTEXT

private:
    std::function<HWND(const ui::Form*)> windowOf_;
    std::function<HWND()> helpOwner_;
    HMODULE helpLibrary_ = nullptr;
};

}  // namespace win32
