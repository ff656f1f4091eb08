#include "platform/win32/message_window.h"

#include <stdexcept>
#include <string>

namespace win32 {

HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure, void* owner) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExW(instance, className, &windowClass)) {
        windowClass = WNDCLASSEXW{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        if (::RegisterClassExW(&windowClass) == 0)
            throw std::runtime_error("RegisterClassExW failed, error " +
                                     std::to_string(::GetLastError()));
    }
    const HWND window =
        ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, owner);
    if (window == nullptr)
        throw std::runtime_error("CreateWindowExW failed, error " +
                                 std::to_string(::GetLastError()));
    return window;
}

void DestroyMessageWindow(HWND window) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
}

}  // namespace win32
