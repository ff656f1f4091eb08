#include "platform/win32/control_views.h"

#include <commctrl.h>

#include "platform/win32/form_window.h"
#include "platform/win32/views.h"

namespace win32 {

const wchar_t* TrackBarView::className() const {
    return TRACKBAR_CLASSW;
}

DWORD TrackBarView::style() const {
    // Vertical sliders have Min at the top, as Windows draws them.
    DWORD s =
        WS_TABSTOP | (bar_.orientation() == ui::Orientation::Vertical ? TBS_VERT | TBS_RIGHT
                                                                      : TBS_HORZ | TBS_BOTTOM);
    // Without automatic ticks a trackbar marks only its two ends.
    if (bar_.Frequency > 0) s |= TBS_AUTOTICKS;
    return s;
}

void TrackBarView::pushState() {
    ::SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, bar_.Min());
    ::SendMessageW(hwnd_, TBM_SETRANGEMAX, FALSE, bar_.Max());
    if (bar_.Frequency > 0) ::SendMessageW(hwnd_, TBM_SETTICFREQ, bar_.Frequency, 0);
    ::SendMessageW(hwnd_, TBM_SETPOS, TRUE, bar_.Position());
}

void TrackBarView::scroll(WORD request) {
    // TB_ENDTRACK repeats the last position when a drag or a key press ends: not a movement.
    if (ignoring() || request == TB_ENDTRACK) return;
    bar_.userMoved(static_cast<int>(::SendMessageW(hwnd_, TBM_GETPOS, 0, 0)));
}

HBRUSH TrackBarView::colors(HDC dc) {
    const COLORREF c = ColorRef(form_.form().color);
    ::SetBkColor(dc, c);
    return form_.views().brush(c);
}

}  // namespace win32
