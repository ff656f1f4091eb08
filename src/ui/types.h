#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/object.h"

namespace ui {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    bool system = false;  // a system colour such as the window background: the platform picks it
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color clGreen{0, 128, 0};
inline constexpr Color clMaroon{128, 0, 0};
inline constexpr Color clYellow{255, 255, 0};
inline constexpr Color clBlack{0, 0, 0};
inline constexpr Color clWhite{255, 255, 255};
inline constexpr Color clLime{0, 255, 0};
inline constexpr Color clWindow{255, 255, 255, true};
inline constexpr Color clBtnFace{240, 240, 240, true};
inline constexpr Color clWindowText{0, 0, 0, true};
inline constexpr Color clGrayText{109, 109, 109, true};

// Every size and position a window's layout gives is in design pixels at this resolution; a
// front-end scales them to the screen's.
inline constexpr int DesignPixelsPerInch = 120;

// A font as a form file gives it. An empty name or a height of 0 takes the window's font;
// the height is the character height in design pixels.
struct Font {
    std::string Name;
    int Height = 0;
    bool Bold = false, Italic = false, Underline = false;
    Color color = clWindowText;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class Alignment { Left, Right, Center };
enum class Cursor { Default, HandPoint };

// Virtual-key codes, as the keyboard reports them. Each is guarded, so that a Windows source may
// include <windows.h> (whose macros carry the same names and values) first.
enum : std::uint16_t {
#ifndef VK_BACK
    VK_BACK = 0x08,
#endif
#ifndef VK_TAB
    VK_TAB = 0x09,
#endif
#ifndef VK_RETURN
    VK_RETURN = 0x0D,
#endif
#ifndef VK_ESCAPE
    VK_ESCAPE = 0x1B,
#endif
#ifndef VK_SPACE
    VK_SPACE = 0x20,
#endif
#ifndef VK_INSERT
    VK_INSERT = 0x2D,
#endif
#ifndef VK_DELETE
    VK_DELETE = 0x2E,
#endif
#ifndef VK_F1
    VK_F1 = 0x70,
#endif
#ifndef VK_F5
    VK_F5 = 0x74,
#endif
#ifndef VK_F6
    VK_F6 = 0x75,
#endif
#ifndef VK_F7
    VK_F7 = 0x76,
#endif
#ifndef VK_F8
    VK_F8 = 0x77,
#endif
#ifndef VK_F9
    VK_F9 = 0x78,
#endif
#ifndef VK_F10
    VK_F10 = 0x79,
#endif
#ifndef VK_F11
    VK_F11 = 0x7A,
#endif
    NoKey = 0,  // a shortcut of none; also keeps the list from being empty
};

struct ShiftState {
    bool shift = false, ctrl = false, alt = false;
    friend bool operator==(const ShiftState&, const ShiftState&) = default;
};

struct ShortCut {
    std::uint16_t key = 0;  // 0: none
    ShiftState shift;
    friend bool operator==(const ShortCut&, const ShortCut&) = default;
};

inline constexpr ShortCut Key(std::uint16_t k) {
    return ShortCut{k, {}};
}
inline constexpr ShortCut Ctrl(std::uint16_t k) {
    return ShortCut{k, {false, true, false}};
}
inline constexpr ShortCut Shift(std::uint16_t k) {
    return ShortCut{k, {true, false, false}};
}

enum class MouseButton { Left, Right, Middle };

enum class CloseAction { None, Hide, Free, Minimize };

using MouseEvent = std::function<void(Object* Sender, MouseButton, ShiftState)>;
using KeyEvent = std::function<void(Object* Sender, std::uint16_t& Key, ShiftState)>;
using KeyPressEvent = std::function<void(Object* Sender, char& Key)>;
using CloseEvent = std::function<void(Object* Sender, CloseAction& Action)>;

}  // namespace ui
