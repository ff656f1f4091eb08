#include "platform/win32/window_kinds.h"

namespace win32 {

WindowStyles StylesOf(ui::BorderStyle border, const ui::BorderIcons& icons) {
    WindowStyles s;
    switch (border) {
        case ui::BorderStyle::None:
            s.style = WS_POPUP;
            return s;
        case ui::BorderStyle::Single:
            s.style = WS_OVERLAPPED | WS_CAPTION;
            break;
        case ui::BorderStyle::Sizeable:
            s.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
            break;
        case ui::BorderStyle::ToolWindow:
            s.style = WS_OVERLAPPED | WS_CAPTION;
            s.exStyle = WS_EX_TOOLWINDOW;
            break;
        case ui::BorderStyle::SizeToolWin:
            s.style = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
            s.exStyle = WS_EX_TOOLWINDOW;
            break;
    }
    if (icons.SystemMenu) s.style |= WS_SYSMENU;
    // Tool windows have a close box only, whatever the form asks for.
    const bool tool = (s.exStyle & WS_EX_TOOLWINDOW) != 0;
    if (icons.SystemMenu && !tool) {
        if (icons.Minimize) s.style |= WS_MINIMIZEBOX;
        if (icons.Maximize) s.style |= WS_MAXIMIZEBOX;
    }
    // Windows shows a help box only on a window without minimise and maximise boxes.
    if (icons.Help && !(s.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
        s.exStyle |= WS_EX_CONTEXTHELP;
    return s;
}

ui::FrameExtent MeasureFrame(ui::BorderStyle border, bool menuBar) {
    const WindowStyles s = StylesOf(border, ui::BorderIcons{});
    RECT r{0, 0, 400, 300};
    if (!::AdjustWindowRectEx(&r, s.style, menuBar ? TRUE : FALSE, s.exStyle)) return {};
    return {(r.right - r.left) - 400, (r.bottom - r.top) - 300};
}

}  // namespace win32
