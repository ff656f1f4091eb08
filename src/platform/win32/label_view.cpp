#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/utf.h"
#include "platform/win32/views.h"

namespace win32 {

namespace {
constexpr int kRightInset = 3;  // design pixels
}  // namespace

void LabelView::pushState() {
    // The text, font, colour and alignment are painted from the model: repaint.
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void LabelView::paint(HDC dc) {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    if (label_.Transparent) {
        RECT place;
        ::GetWindowRect(hwnd_, &place);
        ::MapWindowPoints(HWND_DESKTOP, form_.hwnd(), reinterpret_cast<POINT*>(&place), 2);
        form_.paintUnder(dc, place);
    } else {
        ::FillRect(dc, &r, form_.views().brush(ColorRef(label_.color)));
    }
    const HGDIOBJ oldFont = ::SelectObject(dc, font());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc,
                   label_.Enabled() ? ColorRef(label_.font.color) : ::GetSysColor(COLOR_GRAYTEXT));
    // No clipping to the text's rectangle: the label's own window bounds it, and DrawText's clip
    // would cut what hinted glyphs draw past their advance.
    UINT format = DT_NOPREFIX | DT_TOP | DT_EXPANDTABS | DT_NOCLIP;
    switch (label_.alignment) {
        case ui::Alignment::Left:
            format |= DT_LEFT;
            break;
        case ui::Alignment::Right:
            // Room inside the window for those pixels of the last letter.
            format |= DT_RIGHT;
            r.right -= form_.scale(kRightInset);
            break;
        case ui::Alignment::Center:
            format |= DT_CENTER;
            break;
    }
    if (label_.WordWrap) format |= DT_WORDBREAK;
    const std::wstring text = Utf8ToWide(label_.Caption());
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    ::SelectObject(dc, oldFont);
}

LRESULT PaintedView::message(UINT msg, WPARAM, LPARAM, bool& handled) {
    switch (msg) {
        case WM_ERASEBKGND:
            handled = true;
            return 1;  // the paint covers everything
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = ::BeginPaint(hwnd_, &ps);
            paint(dc);
            ::EndPaint(hwnd_, &ps);
            handled = true;
            return 0;
        }
        case WM_LBUTTONUP:
            if (clicks_ && !ignoring()) model_.userClicked();
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace win32
