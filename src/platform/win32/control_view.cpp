#include "platform/win32/control_view.h"

#include <commctrl.h>

#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace win32 {

ui::ShiftState CurrentShiftState() {
    return {::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0};
}

ControlView::ControlView(FormWindow& form, ui::Control& model) : form_(form), model_(model) {}

namespace {

// The control's tool in a tooltip control: the control's window itself, whose mouse messages
// the tooltip control takes from it.
TTTOOLINFOW ToolOf(HWND form, HWND control) {
    TTTOOLINFOW tool{};
    // Without the reserved field of the newest layout, which older common controls refuse.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

}  // namespace

ControlView::~ControlView() {
    model_.viewChanged = nullptr;
    if (hwnd_ != nullptr) {
        if (const HWND tips = form_.tooltip()) {
            TTTOOLINFOW tool = ToolOf(form_.hwnd(), hwnd_);
            ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        ::RemoveWindowSubclass(hwnd_, &SubclassProc, 0);
        ::DestroyWindow(hwnd_);
    }
}

void ControlView::create() {
    const RECT r = placement();
    FormWindow::PushScope scope(form_);
    hwnd_ = ::CreateWindowExW(exStyle(), className(), L"", WS_CHILD | WS_CLIPSIBLINGS | style(),
                              r.left, r.top, r.right - r.left, nativeHeight(r), form_.hwnd(),
                              nullptr, form_.views().instance, nullptr);
    if (hwnd_ == nullptr) return;
    ::SetWindowSubclass(hwnd_, &SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    model_.viewChanged = [this] { push(); };
    push();
}

RECT ControlView::placement() const {
    return form_.placementOf(model_);
}

bool ControlView::ignoring() const {
    return form_.pushing();
}

HFONT ControlView::font() const {
    ui::Font f = model_.ShownFont();
    f.Height = form_.scale(f.Height);
    return form_.views().font(f);
}

void ControlView::push() {
    if (hwnd_ == nullptr) return;
    FormWindow::PushScope scope(form_);
    const RECT r = placement();
    RECT now;
    ::GetWindowRect(hwnd_, &now);
    ::MapWindowPoints(HWND_DESKTOP, form_.hwnd(), reinterpret_cast<POINT*>(&now), 2);
    if (now.left != r.left || now.top != r.top || now.right - now.left != r.right - r.left ||
        now.bottom - now.top != nativeHeight(r))
        ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, nativeHeight(r), TRUE);
    const HFONT f = font();
    if (reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)) != f)
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    pushHint();
    pushState();
    if ((::IsWindowEnabled(hwnd_) != FALSE) != model_.Enabled())
        ::EnableWindow(hwnd_, model_.Enabled() ? TRUE : FALSE);
    const bool shown = model_.Showing();
    if (((::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0) != shown)
        ::ShowWindow(hwnd_, shown ? SW_SHOWNA : SW_HIDE);
    if (model_.Focused() && form_.active() && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
}

void ControlView::pushHint() {
    const HWND tips = form_.tooltip();
    if (tips == nullptr) return;
    std::wstring hint = Utf8ToWide(model_.Hint);
    // What the tool shows now; empty when there is no tool, since an empty hint has none.
    // The buffer ends in a null beyond what the message may fill.
    std::wstring shown(INFOTIPSIZE + 1, L'\0');
    TTTOOLINFOW tool = ToolOf(form_.hwnd(), hwnd_);
    tool.lpszText = shown.data();
    ::SendMessageW(tips, TTM_GETTEXTW, INFOTIPSIZE, reinterpret_cast<LPARAM>(&tool));
    shown.resize(shown.find(L'\0'));
    if (shown == hint) return;
    tool.lpszText = hint.data();
    if (hint.empty())
        ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    else if (shown.empty())
        ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    else
        ::SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT ControlView::message(UINT, WPARAM, LPARAM, bool&) {
    return 0;
}

namespace {

ui::MouseButton ButtonOf(UINT msg) {
    switch (msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return ui::MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return ui::MouseButton::Middle;
        default:
            return ui::MouseButton::Left;
    }
}

}  // namespace

LRESULT CALLBACK ControlView::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<ControlView*>(data);
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!view->ignoring() && view->form_.routeKey(window, msg, wParam)) return 0;
            break;
        case WM_SETFOCUS:
            if (!view->ignoring()) view->model_.userFocused();
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (view->reportsMouse() && !view->ignoring())
                view->model_.userMouseDown(ButtonOf(msg), CurrentShiftState());
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (view->reportsMouse() && !view->ignoring()) {
                // The control finishes its own part first (a slider's last move).
                const LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
                view->model_.userMouseUp(ButtonOf(msg), CurrentShiftState());
                return result;
            }
            break;
        case WM_CONTEXTMENU:
            if (view->model_.PopupMenu != nullptr && !view->ignoring()) {
                TrackPopup(view->form_.hwnd(), *view->model_.PopupMenu);
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (view->model_.cursor == ui::Cursor::HandPoint && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        default:
            break;
    }
    bool handled = false;
    const LRESULT result = view->message(msg, wParam, lParam, handled);
    if (handled) return result;
    return ::DefSubclassProc(window, msg, wParam, lParam);
}

}  // namespace win32
