#include "platform/win32/control_views.h"
#include "platform/win32/form_window.h"
#include "platform/win32/views.h"

namespace win32 {

void LampView::pushState() {
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void LampView::paint(HDC dc) {
    RECT r;
    ::GetClientRect(hwnd_, &r);
    RECT place = r;
    ::MapWindowPoints(hwnd_, form_.hwnd(), reinterpret_cast<POINT*>(&place), 2);
    form_.paintUnder(dc, place);
    // A circle as large as the shorter side, centred, with a black outline.
    const int d = std::min(r.right, r.bottom);
    const int x = (r.right - d) / 2, y = (r.bottom - d) / 2;
    const HGDIOBJ oldBrush = ::SelectObject(dc, form_.views().brush(ColorRef(shape_.Brush())));
    const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Ellipse(dc, x, y, x + d, y + d);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
}

}  // namespace win32
