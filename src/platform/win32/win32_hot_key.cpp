#include "platform/win32/win32_hot_key.h"

namespace win32 {

UINT Win32HotKey::Modifiers(ui::ShiftState shift) {
    return (shift.ctrl ? MOD_CONTROL : 0u) | (shift.shift ? MOD_SHIFT : 0u) |
           (shift.alt ? MOD_ALT : 0u);
}

bool Win32HotKey::RegisterHotKey(ui::MessageTarget* window, int id, ui::ShiftState modifiers,
                                 std::uint16_t key) {
    const HWND hwnd = windowOf_ ? windowOf_(window) : nullptr;
    if (hwnd == nullptr) return false;
    return ::RegisterHotKey(hwnd, id, Modifiers(modifiers), key) != FALSE;
}

void Win32HotKey::UnregisterHotKey(ui::MessageTarget* window, int id) {
    const HWND hwnd = windowOf_ ? windowOf_(window) : nullptr;
    if (hwnd != nullptr) ::UnregisterHotKey(hwnd, id);
}

}  // namespace win32
