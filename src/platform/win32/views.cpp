#include "platform/win32/views.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/window_kinds.h"

namespace win32 {

namespace {

constexpr wchar_t kAppClass[] = L"VimbrelPulseGeneratorApplication";

}  // namespace

COLORREF ColorRef(ui::Color c) {
    if (c.system) {
        if (c == ui::clWindow) return ::GetSysColor(COLOR_WINDOW);
        if (c == ui::clBtnFace) return ::GetSysColor(COLOR_BTNFACE);
        if (c == ui::clWindowText) return ::GetSysColor(COLOR_WINDOWTEXT);
        if (c == ui::clGrayText) return ::GetSysColor(COLOR_GRAYTEXT);
    }
    return RGB(c.r, c.g, c.b);
}

Views::Views(ui::Application& app, HINSTANCE inst) : application(app), instance(inst) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!RegisterViewClasses(instance))
        throw std::runtime_error("the controls' window classes could not be registered");

    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    if (!::GetClassInfoExW(instance, kAppClass, &c)) {
        c = WNDCLASSEXW{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = &AppWindowProc;
        c.hInstance = instance;
        c.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
        c.lpszClassName = kAppClass;
        ::RegisterClassExW(&c);
    }
    // A window whose only visible part is its task-bar button: the program's title. It stands
    // off the screen with a size of one pixel (a window of no size is never mapped under Wine,
    // which then waits for it at every showing).
    appWindow_ = ::CreateWindowExW(0, kAppClass, Utf8ToWide(app.Title()).c_str(),
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, -32000,
                                   -32000, 1, 1, nullptr, nullptr, instance, this);
    if (appWindow_ != nullptr) ::ShowWindow(appWindow_, SW_SHOWNOACTIVATE);
    application.viewChanged = [this] { pushTitle(); };
}

Views::~Views() {
    application.viewChanged = nullptr;
    forms_.clear();
    if (appWindow_ != nullptr) {
        ::SetWindowLongPtrW(appWindow_, GWLP_USERDATA, 0);
        ::DestroyWindow(appWindow_);
    }
    for (auto& [key, f] : fonts_) ::DeleteObject(f);
    for (auto& [key, b] : brushes_) ::DeleteObject(b);
}

void Views::measureScreen() {
    const HDC screen = ::GetDC(nullptr);
    application.PixelsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    application.frameMetrics = [](ui::BorderStyle border, bool menuBar) {
        return MeasureFrame(border, menuBar);
    };
    application.screenArea = [] {
        return ui::ScreenArea{
            ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
            ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    };
}

void Views::pushTitle() {
    if (appWindow_ == nullptr) return;
    ::SetWindowTextW(appWindow_, Utf8ToWide(application.Title()).c_str());
}

FormWindow& Views::formCreated(ui::Form& form) {
    // The main window belongs to the application window; the others to the main window, so
    // they stay over it and show no task-bar buttons of their own.
    HWND owner = nullptr;
    if (&form == application.MainForm)
        owner = appWindow_;
    else if (form.borderStyle != ui::BorderStyle::None)
        owner = mainWindow();
    auto window = std::make_unique<FormWindow>(*this, form, owner);
    FormWindow& made = *window;
    forms_[&form] = std::move(window);
    return made;
}

void Views::formDestroyed(ui::Form& form) {
    forms_.erase(&form);
}

FormWindow* Views::find(const ui::Form* form) const {
    const auto it = forms_.find(form);
    return it == forms_.end() ? nullptr : it->second.get();
}

HWND Views::windowOf(const ui::Form* form) const {
    const FormWindow* w = find(form);
    return w != nullptr ? w->hwnd() : nullptr;
}

FormWindow* Views::owning(HWND window) const {
    const HWND root = ::GetAncestor(window, GA_ROOT);
    for (const auto& [form, w] : forms_)
        if (w->hwnd() == root) return w.get();
    return nullptr;
}

HFONT Views::font(const ui::Font& f) {
    const FontKey key{f.Name, f.Height, f.Bold, f.Italic, f.Underline};
    if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
    // A negative height asks for the character height, as the layout gives it.
    const HFONT made = ::CreateFontW(
        -f.Height, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, f.Italic ? TRUE : FALSE,
        f.Underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Utf8ToWide(f.Name).c_str());
    fonts_[key] = made;
    return made;
}

HBRUSH Views::brush(COLORREF color) {
    if (const auto it = brushes_.find(color); it != brushes_.end()) return it->second;
    const HBRUSH made = ::CreateSolidBrush(color);
    brushes_[color] = made;
    return made;
}

LRESULT CALLBACK Views::AppWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Views*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (msg) {
            case WM_ACTIVATE:
                // Chosen from the task bar: the window the person last used takes over.
                if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
                    HWND target = ::GetLastActivePopup(window);
                    if (target == window) target = self->mainWindow();
                    if (target != nullptr && ::IsWindowVisible(target) && ::IsWindowEnabled(target))
                        ::SetActiveWindow(target);
                    return 0;
                }
                break;
            case WM_CLOSE:
                // Closing the task-bar button closes the main window, which decides.
                if (HWND main = self->mainWindow()) ::PostMessageW(main, WM_CLOSE, 0, 0);
                return 0;
            default:
                break;
        }
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace win32
