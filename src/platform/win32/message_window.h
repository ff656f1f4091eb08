#pragma once

#include <windows.h>

namespace win32 {

// A hidden, message-only window of this thread (never shown, never enumerated, but with a
// queue), whose procedure finds `owner` with MessageWindowOwner. The class is registered at
// its first use. Throws std::runtime_error when the system refuses.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure, void* owner);
// Cuts the window off from its owner (a message still queued finds none) and destroys it.
void DestroyMessageWindow(HWND window);

// The owner given at creation; null during creation and after DestroyMessageWindow. Call it
// from the procedure: it also stores the owner when WM_NCCREATE arrives.
template <typename T>
T* MessageWindowOwner(HWND window, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return nullptr;
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace win32
