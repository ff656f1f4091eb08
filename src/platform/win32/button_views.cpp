#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace win32 {

namespace {

void SetCaption(HWND window, const std::wstring& text) {
    std::wstring now(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    now.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, now.data(), static_cast<int>(now.size()))));
    if (now != text) ::SetWindowTextW(window, text.c_str());
}

void SetCaption(HWND window, const std::string& caption) {
    SetCaption(window, Utf8ToWide(caption));
}

// The caption as it fits the button in its font: a longer one loses its end to "…", so that
// the start of a name shows rather than its middle, cut at both edges.
std::wstring FittingCaption(HWND button, const std::wstring& caption) {
    RECT r;
    ::GetClientRect(button, &r);
    // The button's 3D frame at both sides.
    const int room = r.right - r.left - 2 * ::GetSystemMetrics(SM_CXEDGE);
    if (caption.empty() || room <= 0) return caption;
    const HDC dc = ::GetDC(button);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0)));
    const auto width = [dc](const std::wstring& text) {
        SIZE s{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
        return static_cast<int>(s.cx);
    };
    std::wstring shown = caption;
    if (width(shown) > room) {
        std::wstring kept = caption;
        do {
            kept.pop_back();
            shown = kept + L"\u2026";
        } while (!kept.empty() && width(shown) > room);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(button, dc);
    return shown;
}

// Check boxes, radio buttons and group boxes ask their window for the colour around their text.
HBRUSH WindowBackground(FormWindow& form, HDC dc) {
    const COLORREF c = ColorRef(form.form().color);
    ::SetBkColor(dc, c);
    return form.views().brush(c);
}

}  // namespace

DWORD ButtonView::style() const {
    return WS_TABSTOP | (button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void ButtonView::pushState() {
    SetCaption(hwnd_, FittingCaption(hwnd_, Utf8ToWide(button_.Caption())));
    const DWORD kind = button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)) & BS_TYPEMASK) != kind)
        ::SendMessageW(hwnd_, BM_SETSTYLE, kind, TRUE);
}

void ButtonView::command(WORD code) {
    // The mouse's press and release have reached the model already; Space comes here alone.
    if (code == BN_CLICKED && !ignoring()) button_.Click();
}

LRESULT ButtonView::message(UINT msg, WPARAM, LPARAM, bool& handled) {
    // The dialog manager asks a button whether it is the default one; the model decides.
    if (msg == WM_GETDLGCODE) {
        handled = true;
        return button_.Default() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    }
    return 0;
}

DWORD CheckView::style() const {
    return WS_TABSTOP | (box_ != nullptr ? BS_AUTOCHECKBOX : BS_RADIOBUTTON);
}

void CheckView::pushState() {
    SetCaption(hwnd_, box_ != nullptr ? box_->Caption : radio_->Caption);
    const bool checked = box_ != nullptr ? box_->Checked() : radio_->Checked();
    if ((::SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked)
        ::SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckView::command(WORD code) {
    if (code != BN_CLICKED || ignoring()) return;
    model_.userClicked();
    // An automatic check box has turned itself already; the model's state is what counts.
    push();
}

HBRUSH CheckView::colors(HDC dc) {
    return WindowBackground(form_, dc);
}

void GroupBoxView::pushState() {
    SetCaption(hwnd_, box_.Caption);
    // Its controls show only while it does: they follow its visibility.
    for (ui::Control* c : form_.form().Controls())
        if (c->Parent == &box_)
            if (ControlView* v = form_.viewOf(c)) v->push();
}

LRESULT GroupBoxView::message(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    // The window paints around its controls only: inside the frame, where none of its
    // controls lie, the group box paints the window's colour itself.
    if (msg != WM_ERASEBKGND) return 0;
    handled = true;
    form_.paintUnder(reinterpret_cast<HDC>(wParam), placement());
    return 1;
}

HBRUSH GroupBoxView::colors(HDC dc) {
    return WindowBackground(form_, dc);
}

}  // namespace win32
