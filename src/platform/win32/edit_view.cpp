#include "platform/win32/control_views.h"

#include <commctrl.h>

#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace win32 {

namespace {

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

DWORD EditView::style() const {
    return ES_AUTOHSCROLL | WS_TABSTOP;
}

void EditView::pushState() {
    const std::wstring text = Utf8ToWide(edit_.Text());
    // Set only when it differs, so that the caret stays where the person is typing.
    if (TextOf(hwnd_) != text) {
        ::SetWindowTextW(hwnd_, text.c_str());
        // A text the program wrote shows from its start, not scrolled to its tail.
        if (::GetFocus() != hwnd_) {
            ::SendMessageW(hwnd_, EM_SETSEL, 0, 0);
            ::SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
        }
    }
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void EditView::command(WORD code) {
    if (code == EN_CHANGE && !ignoring()) edit_.userTyped(WideToUtf8(TextOf(hwnd_)));
}

LRESULT EditView::message(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    // A field entered other than by a click has its whole text selected, so that typing
    // replaces it (a rename field opened with the button's caption, a field tabbed into).
    if (msg != WM_SETFOCUS) return 0;
    handled = true;
    const LRESULT result = ::DefSubclassProc(hwnd_, msg, wParam, lParam);
    if (::GetKeyState(VK_LBUTTON) >= 0) ::SendMessageW(hwnd_, EM_SETSEL, 0, -1);
    return result;
}

HBRUSH EditView::colors(HDC dc) {
    const COLORREF c = ColorRef(edit_.color);
    ::SetBkColor(dc, c);
    ::SetTextColor(dc, ColorRef(edit_.font.color));
    return form_.views().brush(c);
}

}  // namespace win32
