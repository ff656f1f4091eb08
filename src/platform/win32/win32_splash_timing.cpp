#include "platform/win32/win32_splash_timing.h"

#include <algorithm>

#include "platform/win32/views.h"

namespace win32 {

void Win32SplashTiming::Sleep(int milliseconds) {
    ::Sleep(static_cast<DWORD>(std::max(milliseconds, 0)));
}

void Win32SplashTiming::ProcessMessages() {
    loop_.processMessages();
}

void Win32SplashTiming::SetOpacity(ui::Form& window, int alpha) {
    const HWND hwnd = windowOf_(&window);
    if (hwnd == nullptr) return;
    ::SetLayeredWindowAttributes(hwnd, ColorRef(window.TransparentColorValue),
                                 static_cast<BYTE>(std::clamp(alpha, 0, 255)),
                                 LWA_COLORKEY | LWA_ALPHA);
}

void Win32SplashTiming::Repaint(ui::Form& window) {
    const HWND hwnd = windowOf_(&window);
    if (hwnd == nullptr) return;
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    ::UpdateWindow(hwnd);
}

}  // namespace win32
