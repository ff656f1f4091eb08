#include "platform/win32/control_views.h"
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
    if (TextOf(hwnd_) != text) ::SetWindowTextW(hwnd_, text.c_str());
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void EditView::command(WORD code) {
    if (code == EN_CHANGE && !ignoring()) edit_.userTyped(WideToUtf8(TextOf(hwnd_)));
}

HBRUSH EditView::colors(HDC dc) {
    const COLORREF c = ColorRef(edit_.color);
    ::SetBkColor(dc, c);
    ::SetTextColor(dc, ColorRef(edit_.font.color));
    return form_.views().brush(c);
}

}  // namespace win32
