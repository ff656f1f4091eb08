#include "platform/win32/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/win32/control_views.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"
#include "platform/win32/window_kinds.h"
#include "shell/remote_catalogue.h"
#include "ui/application.h"
#include "ui/message_loop.h"

namespace win32 {

namespace {

std::wstring ClassNameOf(const ui::Form& form) {
    return L"T" + Utf8ToWide(form.Name);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Drops the characters a key press that the model took would still type. PeekMessage hands
// out WM_QUIT whatever the filter (the key may have been Exit's): that one goes back.
void DropTypedCharacters(HWND window) {
    MSG m;
    for (const auto& [first, last] : {std::pair<UINT, UINT>{WM_CHAR, WM_DEADCHAR},
                                      std::pair<UINT, UINT>{WM_SYSCHAR, WM_SYSDEADCHAR}}) {
        while (::PeekMessageW(&m, window, first, last, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(m.wParam));
                return;
            }
        }
    }
}

}  // namespace

// Other programs' messages are window messages from WM_USER on.
static_assert(vpg::kFirstRemoteMessage >= WM_USER);

bool FormWindow::IsModelMessage(UINT msg) {
    return vpg::IsInRemoteSpan(msg) || msg == WM_USER + 76 || msg == WM_HOTKEY;
}

ATOM FormWindow::registerClass() const {
    const std::wstring name = ClassNameOf(form_);
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    if (const ATOM atom = static_cast<ATOM>(::GetClassInfoExW(views_.instance, name.c_str(), &c)))
        return atom;
    c = WNDCLASSEXW{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = &WindowProc;
    c.hInstance = views_.instance;
    c.hIcon = ::LoadIconW(views_.instance, MAKEINTRESOURCEW(1));
    c.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    c.lpszClassName = name.c_str();
    return ::RegisterClassExW(&c);
}

FormWindow::FormWindow(Views& views, ui::Form& form, HWND owner) : views_(views), form_(form) {
    registerClass();
    const WindowStyles s = StylesOf(form.borderStyle, form.borderIcons);
    DWORD exStyle = s.exStyle;
    if (form.TransparentColor) exStyle |= WS_EX_LAYERED;
    const std::wstring name = ClassNameOf(form);
    const std::wstring caption = Utf8ToWide(form.Caption());
    {
        PushScope scope(*this);
        hwnd_ = ::CreateWindowExW(exStyle, name.c_str(), caption.c_str(), s.style | WS_CLIPCHILDREN,
                                  form.Left, form.Top, std::max(form.Width, 0),
                                  std::max(form.Height, 0), owner, nullptr, views.instance, this);
    }
    if (hwnd_ == nullptr) return;
    // A layered window starts see-through; the splash's fade gives it its opacity.
    if (form.TransparentColor)
        ::SetLayeredWindowAttributes(hwnd_, ColorRef(form.TransparentColorValue), 0,
                                     LWA_COLORKEY | LWA_ALPHA);
    if (!form.Menu.Items().empty()) menu_ = std::make_unique<MenuBarView>(hwnd_, form.Menu);
    // Before the controls, which add their hints to it as they are made. Owned by the window,
    // so it stays above it; it shows also while the window is not the active one.
    tooltip_ = ::CreateWindowExW(
        0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, views.instance, nullptr);
    // A long hint wraps instead of running across the screen.
    if (tooltip_ != nullptr) ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scale(400));
    build();
    form_.viewChanged = [this] { push(); };
    push();
}

FormWindow::~FormWindow() {
    form_.viewChanged = nullptr;
    if (hwnd_ == nullptr) return;
    // Nothing reaches this object while its parts go.
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    byWindow_.clear();
    pictures_.clear();
    views_list_.clear();
    menu_.reset();
    if (tooltip_ != nullptr) ::DestroyWindow(tooltip_);
    ::DestroyWindow(hwnd_);
}

void FormWindow::build() {
    for (ui::Control* c : form_.CreationOrder()) {
        views_list_.push_back(MakeView(*this, *c));
        ControlView* v = views_list_.back().get();
        v->create();
        if (v->hwnd() != nullptr) byWindow_[v->hwnd()] = v;
    }
    // Later controls lie over earlier ones, as in the form's list: the rename fields over their
    // buttons, the link over its shadow, every control over its group box.
    for (ui::Control* c : form_.Controls())
        if (ControlView* v = viewOf(c))
            ::SetWindowPos(v->hwnd(), HWND_TOP, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ControlView* FormWindow::viewOf(const ui::Control* control) const {
    for (const auto& v : views_list_)
        if (&v->model() == control) return v.get();
    return nullptr;
}

ControlView* FormWindow::viewOf(HWND control) const {
    const auto it = byWindow_.find(control);
    return it == byWindow_.end() ? nullptr : it->second;
}

int FormWindow::scale(int designPixels) const {
    return views_.application.Scale(designPixels);
}

RECT FormWindow::placementOf(const ui::Control& c) const {
    if (c.FillsParent || c.DocksBottom) {
        RECT area{};
        if (c.Parent != nullptr)
            area = placementOf(*c.Parent);
        else
            ::GetClientRect(hwnd_, &area);
        const ui::PixelRect r =
            ui::DockedRect(c,
                           {static_cast<int>(area.left), static_cast<int>(area.top),
                            static_cast<int>(area.right), static_cast<int>(area.bottom)},
                           [this](int v) { return scale(v); });
        return {r.left, r.top, r.right, r.bottom};
    }
    int left = c.Left, top = c.Top;
    for (const ui::Control* p = c.Parent; p != nullptr; p = p->Parent) {
        left += p->Left;
        top += p->Top;
    }
    const int x = scale(left), y = scale(top);
    return {x, y, x + scale(c.Width), y + scale(c.Height)};
}

bool FormWindow::active() const {
    return hwnd_ != nullptr && ::GetActiveWindow() == hwnd_;
}

void FormWindow::push() {
    if (hwnd_ == nullptr) return;
    PushScope scope(*this);
    pushWindow();
    // Everything, also what the program changed without notice (the lamp placed at creation).
    for (const auto& v : views_list_) v->push();
}

void FormWindow::pushWindow() {
    const std::wstring caption = Utf8ToWide(form_.Caption());
    if (WindowText(hwnd_) != caption) ::SetWindowTextW(hwnd_, caption.c_str());
    if ((::IsWindowEnabled(hwnd_) != FALSE) != form_.Enabled())
        ::EnableWindow(hwnd_, form_.Enabled() ? TRUE : FALSE);

    if (!::IsIconic(hwnd_)) {
        RECT now;
        ::GetWindowRect(hwnd_, &now);
        // A centred window has its place from the screen until it is first shown.
        const bool place = form_.Position == ui::FormPosition::Designed || placed_;
        const int x = place ? form_.Left : now.left, y = place ? form_.Top : now.top;
        if (x != now.left || y != now.top || form_.Width != now.right - now.left ||
            form_.Height != now.bottom - now.top)
            ::SetWindowPos(hwnd_, nullptr, x, y, form_.Width, form_.Height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const bool shown = (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (form_.Visible() && !shown) {
        if (!placed_ && form_.Position == ui::FormPosition::ScreenCenter) centre();
        placed_ = true;
        ::ShowWindow(hwnd_, SW_SHOW);
    } else if (!form_.Visible() && shown) {
        ::ShowWindow(hwnd_, SW_HIDE);
    }
    // The main window's close ended the program: the message loop ends with it.
    const ui::Application& app = views_.application;
    if (&form_ == app.MainForm && app.Terminated && !form_.Visible()) ::PostQuitMessage(0);
}

void FormWindow::centre() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int x = work.left + ((work.right - work.left) - form_.Width) / 2;
    const int y = work.top + ((work.bottom - work.top) - form_.Height) / 2;
    ::SetWindowPos(hwnd_, nullptr, x, y, form_.Width, form_.Height, SWP_NOZORDER | SWP_NOACTIVATE);
    reportPlace();
}

void FormWindow::reportPlace() {
    // A minimised window's place is not where the person put it.
    if (hwnd_ == nullptr || ::IsIconic(hwnd_)) return;
    RECT r;
    ::GetWindowRect(hwnd_, &r);
    form_.userMoved(r.left, r.top);
    form_.userResized(r.right - r.left, r.bottom - r.top);
}

void FormWindow::focusFromModel() {
    if (!active()) return;
    ui::Control* c = form_.ActiveControl();
    if (c == nullptr) {
        // Entering a window without a focused control: the first one that can take it.
        for (ui::Control* candidate : form_.Controls())
            if (candidate->CanFocus() && candidate->Showing() && viewOf(candidate)) {
                candidate->SetFocus();
                return;
            }
        return;
    }
    if (ControlView* v = viewOf(c)) {
        PushScope scope(*this);
        ::SetFocus(v->hwnd());
    }
}

void FormWindow::moveFocus(bool backwards) {
    if (ui::Control* next = form_.NextInTabOrder(form_.ActiveControl(), backwards))
        next->userFocused();
}

bool FormWindow::routeKey(HWND from, UINT, WPARAM key) {
    if (!form_.Enabled()) return false;
    const ui::ShiftState shift = CurrentShiftState();
    bool taken = form_.userKeyDown(static_cast<std::uint16_t>(key), shift);
    if (taken && key == VK_F1) f1Answered_ = ::GetMessageTime();
    if (!taken && key == VK_TAB && !shift.ctrl && !shift.alt) {
        moveFocus(shift.shift);
        taken = true;
    }
    if (taken) DropTypedCharacters(from);
    return taken;
}

void FormWindow::addPicture(const PictureView& picture) {
    pictures_.push_back(&picture);
}

void FormWindow::paintUnder(HDC dc, const RECT& r) const {
    const RECT local{0, 0, r.right - r.left, r.bottom - r.top};
    ::FillRect(dc, &local, views_.brush(ColorRef(form_.color)));
    for (const PictureView* p : pictures_) p->drawInto(dc, {r.left, r.top});
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return ::DefWindowProcW(window, msg, wParam, lParam);
    return self->handle(msg, wParam, lParam);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsModelMessage(msg)) {
        const bool remote = vpg::IsInRemoteSpan(msg);
        if (remote && &form_ == views_.application.MainForm && views_.remoteMessage) {
            const LRESULT result = views_.remoteMessage(msg, wParam, lParam);
            ::DefWindowProcW(hwnd_, msg, wParam, lParam);
            return result;
        }
        // Other programs' messages, the hot key and the fill acknowledgement: the model's
        // window procedure first, then the default one.
        // The model's answer (what it did with the message) is what the sender gets back.
        std::intptr_t answer = 0;
        if (auto* target = dynamic_cast<ui::MessageTarget*>(&form_))
            answer = target->answerMessage({target, static_cast<std::uint32_t>(msg),
                                            static_cast<std::uintptr_t>(wParam),
                                            static_cast<std::intptr_t>(lParam)});
        const LRESULT inherited = ::DefWindowProcW(hwnd_, msg, wParam, lParam);
        return answer != 0 ? static_cast<LRESULT>(answer) : inherited;
    }
    switch (msg) {
        case WM_COMMAND:
            if (lParam != 0) {
                if (ControlView* v = viewOf(reinterpret_cast<HWND>(lParam)))
                    v->command(HIWORD(wParam));
                return 0;
            }
            if (HIWORD(wParam) == 0 && menu_ && menu_->command(LOWORD(wParam))) return 0;
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (ControlView* v = viewOf(reinterpret_cast<HWND>(lParam))) {
                v->scroll(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (ControlView* v = viewOf(reinterpret_cast<HWND>(lParam)))
                if (HBRUSH b = v->colors(reinterpret_cast<HDC>(wParam)))
                    return reinterpret_cast<LRESULT>(b);
            break;
        case WM_ERASEBKGND: {
            RECT r;
            ::GetClientRect(hwnd_, &r);
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, views_.brush(ColorRef(form_.color)));
            return 1;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                form_.Activate();
                if (HIWORD(wParam) == 0) focusFromModel();
                return 0;
            }
            break;
        case WM_SETFOCUS:
            focusFromModel();
            return 0;
        case WM_CLOSE:
            // The model decides; a refused close leaves the window as it is.
            form_.userClosed();
            return 0;
        case WM_MOVE:
            reportPlace();
            break;
        case WM_SIZE:
            reportPlace();
            if (!pushing()) {
                PushScope scope(*this);
                for (const auto& v : views_list_)
                    if (v->model().FillsParent || v->model().DocksBottom) v->push();
            }
            break;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const ui::SizeConstraints& c = form_.Constraints;
            if (c.MinWidth > 0) info->ptMinTrackSize.x = c.MinWidth;
            if (c.MinHeight > 0) info->ptMinTrackSize.y = c.MinHeight;
            if (c.MaxWidth > 0) info->ptMaxTrackSize.x = c.MaxWidth;
            if (c.MaxHeight > 0) info->ptMaxTrackSize.y = c.MaxHeight;
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (routeKey(hwnd_, msg, wParam)) return 0;
            break;
        case WM_MENUSELECT:
            form_.userHighlightedMenu(menu_ ? menu_->selected(wParam, lParam) : nullptr);
            return 0;
        case WM_EXITMENULOOP:
            form_.userHighlightedMenu(nullptr);
            break;
        case WM_HELP:
            // F1 inside an open menu: that menu's help, which the model knows; once per press,
            // also where the window saw the key itself.
            if (form_.HighlightedMenu() != nullptr && ::GetMessageTime() != f1Answered_) {
                f1Answered_ = ::GetMessageTime();
                form_.userKeyDown(VK_F1, {});
            }
            return TRUE;
        case WM_SYSCOMMAND:
            // The main window minimises the program: the application window goes to the task
            // bar and takes its windows with it.
            if ((wParam & 0xFFF0) == SC_MINIMIZE && hwnd_ == views_.mainWindow() &&
                views_.applicationWindow() != nullptr) {
                ::ShowWindow(views_.applicationWindow(), SW_MINIMIZE);
                return 0;
            }
            break;
        case MenuBarView::kRebuildMessage:
            if (menu_) menu_->rebuild();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace win32
