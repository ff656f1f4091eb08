#include "platform/win32/win32_shell.h"

#include <shellapi.h>

#include "platform/win32/utf.h"

namespace win32 {

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

}  // namespace

Win32Shell::~Win32Shell() {
    if (helpLibrary_ != nullptr) ::FreeLibrary(helpLibrary_);
}

int Win32Shell::ShowCommand(shell::ShowMode show) {
    return show == shell::ShowMode::ShowNormal ? SW_SHOWNORMAL : SW_SHOW;
}

bool Win32Shell::ShellExecute(const ui::Form* owner, const std::string& verb,
                              const std::string& file, shell::ShowMode show) {
    const HWND window = owner != nullptr && windowOf_ ? windowOf_(owner) : nullptr;
    const std::wstring wideVerb = Utf8ToWide(verb), wideFile = Utf8ToWide(file);
    // A request from one of our windows passes empty parameters and an empty folder; one on
    // no window's behalf (the system's mixer) passes none.
    const wchar_t* const empty = owner != nullptr ? L"" : nullptr;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The program says itself what could not be opened (the mixer), so the system shows no
    // error box of its own.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = wideVerb.c_str();
    info.lpFile = wideFile.c_str();
    info.lpParameters = empty;
    info.lpDirectory = empty;
    info.nShow = ShowCommand(show);
    return ::ShellExecuteExW(&info) != FALSE;
}

void Win32Shell::ShowHelp(const std::string& helpFile, int context) {
    if (helpLibrary_ == nullptr) helpLibrary_ = ::LoadLibraryW(L"hhctrl.ocx");
    if (helpLibrary_ == nullptr) return;
    // Through void (*)() (GetProcAddress's type is any function's), to the one it really is.
    const auto htmlHelp = reinterpret_cast<HtmlHelpFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(helpLibrary_, "HtmlHelpW")));
    if (htmlHelp == nullptr) return;
    const std::wstring path = Utf8ToWide(helpFile);
    htmlHelp(helpOwner_ ? helpOwner_() : nullptr, path.c_str(), kHelpContext,
             static_cast<DWORD_PTR>(context));
}

}  // namespace win32
