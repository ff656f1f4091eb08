#pragma once

#include <cstdint>

#include "ui/message_loop.h"
#include "ui/types.h"

namespace ui {

#ifndef WM_HOTKEY  // <windows.h> may have defined it first, with the same value
inline constexpr std::uint32_t WM_HOTKEY = 0x0312;
#endif

// A system-wide hot key: pressed anywhere, it reaches `window` as WM_HOTKEY with wParam = id.
class IHotKey {
public:
    virtual ~IHotKey() = default;
    // False when the combination is held by another program (or the desktop has no such thing).
    virtual bool RegisterHotKey(MessageTarget* window, int id, ShiftState modifiers,
                                std::uint16_t key) = 0;
    virtual void UnregisterHotKey(MessageTarget* window, int id) = 0;
};

}  // namespace ui
